#pragma once

#include "HttpLimits.h"
#include "HttpReply.h"

#include <QFutureWatcher>
#include <QObject>
#include <QUrl>

#include <functional>

class HttpTransfer;
class QNetworkAccessManager;

// A GET and the reading of its body, running while the event loop does: start() returns at once
// and finished() says when the result is there. The body is read on a worker thread, so that
// reading a large reply never keeps the window from painting. One way to end it early: cancel(),
// or deleting the request, aborts the transfer; a body already being read is read to its end,
// and the request then counts as cancelled.
class HttpRequest : public QObject {
    Q_OBJECT

public:
    // What becomes of the body, on the worker thread: it must touch nothing the GUI thread uses
    // meanwhile.
    using Consumer = std::function<void(QByteArray body)>;

    HttpRequest(QNetworkAccessManager& manager, const QUrl& url, HttpLimits limits,
                Consumer consume = {}, QObject* parent = nullptr);
    // Waits for a reading under way: what it writes to must not outlive the request.
    ~HttpRequest() override;

    void start();
    void cancel();
    // Once finished: the reply (its body in pieces when there was nothing to read it).
    HttpReply takeResult() { return std::move(m_result); }

signals:
    void started();
    // Bytes of the reply so far, and its announced length or -1.
    void progress(qint64 received, qint64 total);
    // The last byte is in; reading it begins.
    void reading();
    // Emitted once, from the event loop.
    void finished();

private:
    void onTransferFinished();
    void onRead();
    void finish(HttpReply reply);

    QNetworkAccessManager& m_manager;
    QUrl m_url;
    HttpLimits m_limits;
    Consumer m_consume;
    HttpTransfer* m_transfer = nullptr;
    QFutureWatcher<bool> m_reading; // true when the body was too large to read
    HttpReply m_result;
    bool m_cancelled = false;
};
