#pragma once

#include "HttpLimits.h"
#include "HttpReply.h"

#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class HttpTransfer;
class QNetworkAccessManager;

// A GET and the reading of its body, running while the event loop does: start() returns at once
// and finished() says when the result is there. The body is read on a worker thread piece by
// piece as it arrives, so that reading a large reply neither keeps the window from painting nor
// waits for the last byte. One way to end it early: cancel(), or deleting the request, aborts the
// transfer and lets the worker go, which stops after the slice it is reading; nobody waits for it.
class HttpRequest : public QObject {
    Q_OBJECT

public:
    // What becomes of the body, on a worker thread, one call at a time: its pieces in order as
    // they arrive, then its end once the transfer has succeeded. A failed or cancelled transfer
    // never reaches its end. A piece the reader refuses (read() says false) ends the request at
    // once, as FetchError::Refused: the reader knows why. Since the worker may still be reading a
    // slice when the request is gone, everything the consumer writes to must be its own (held by
    // its functions), and it must touch nothing the GUI thread uses meanwhile.
    struct Consumer {
        std::function<bool(const QByteArray& piece)> read;
        std::function<void()> end;
        explicit operator bool() const { return static_cast<bool>(read); }
    };

    // The most one call of the consumer is given: a piece that arrives larger is read in slices
    // of this size, and a cancel takes effect between them.
    static constexpr qsizetype SliceBytes = 64 * 1024;

    HttpRequest(QNetworkAccessManager& manager, const QUrl& url, HttpLimits limits,
                Consumer consume = {}, QObject* parent = nullptr);
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

    static void readFeed(const std::shared_ptr<Feed>& feed);
    void onPiece(const QByteArray& piece);
    void wakeReader();
    void resumeTransfer();
    void onRefused();
    void onTransferFinished();
    void onRead();
    void onReaderStopped();
    void stopReading();
    // A failure ends the request once the reader has let go of what it writes to, which it does
    // after the slice under way; nobody waits meanwhile.
    void finishAfterReader(HttpReply reply);
    void finish(HttpReply reply);

    QNetworkAccessManager& m_manager;
    QUrl m_url;
    HttpLimits m_limits;
    bool m_consuming = false;
    std::shared_ptr<Feed> m_feed;
    HttpTransfer* m_transfer = nullptr;
    HttpReply m_result;
    std::optional<HttpReply> m_afterReader;
    bool m_cancelled = false;
    bool m_readingTail = false; // the transfer is over, the reader not yet
    bool m_done = false;
};
