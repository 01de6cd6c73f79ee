#pragma once

#include "HttpLimits.h"
#include "HttpReply.h"

#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>

class HttpTransfer;
class QNetworkAccessManager;

// A GET and the reading of its body, running while the event loop does: start() returns at once
// and finished() says when the result is there. The body is read on a worker thread piece by
// piece as it arrives, so that reading a large reply neither keeps the window from painting nor
// waits for the last byte. One way to end it early: cancel(), or deleting the request, aborts the
// transfer and stops the reading at the piece under way.
class HttpRequest : public QObject {
    Q_OBJECT

public:
    // What becomes of the body, on a worker thread, one call at a time: its pieces in order as
    // they arrive, then its end once the transfer has succeeded. A failed or cancelled transfer
    // never reaches its end. It must touch nothing the GUI thread uses meanwhile.
    struct Consumer {
        std::function<void(const QByteArray& piece)> read;
        std::function<void()> end;
        explicit operator bool() const { return static_cast<bool>(read); }
    };
    // A consumer of the whole body, joined on the worker at its end.
    static Consumer whole(std::function<void(QByteArray body)> consume);

    HttpRequest(QNetworkAccessManager& manager, const QUrl& url, HttpLimits limits,
                Consumer consume = {}, QObject* parent = nullptr);
    // Stops a reading under way and waits for it: what it writes to must not outlive the request.
    ~HttpRequest() override;

    void start();
    void cancel();
    // Once finished: the reply (its body in pieces when there was nothing to read it).
    HttpReply takeResult() { return std::move(m_result); }

signals:
    void started();
    // Bytes of the reply so far, and its announced length or -1.
    void progress(qint64 received, qint64 total);
    // The last byte is in; what the reader has not read yet, it reads now.
    void reading();
    // Emitted once, from the event loop.
    void finished();

private:
    struct Feed;

    void onPiece(const QByteArray& piece);
    void wakeReader();
    void resumeTransfer();
    void onTransferFinished();
    void onRead();
    void stopReading();
    void finish(HttpReply reply);

    QNetworkAccessManager& m_manager;
    QUrl m_url;
    HttpLimits m_limits;
    Consumer m_consume;
    std::shared_ptr<Feed> m_feed;
    HttpTransfer* m_transfer = nullptr;
    HttpReply m_result;
    bool m_cancelled = false;
    bool m_readingTail = false; // the transfer is over, the reader not yet
    bool m_done = false;
};
