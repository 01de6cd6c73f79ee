#pragma once

#include "HttpReply.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <functional>

class HttpTransfer;

// A GET that returns to its caller only when the reply is complete or has failed, while the
// event loop keeps running, so callers can be written as straight-line code without freezing the
// window. The window keeps user input away during the wait, apart from its ways out, which end
// up in cancel().
//
// Nothing a server sends is trusted: a reply is bounded in size (checked against the announced
// length and counted while reading), in time (a stall time-out, and a low-speed limit that a
// reply trickling in byte by byte cannot keep resetting), and in where it may lead (redirects
// stay on the server's own origin, so the token in the query never goes anywhere else).
class HttpClient : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultStallTimeout{30000};
    static constexpr qint64 MaxReplyBytes = 256LL * 1024 * 1024;
    static constexpr int MaxRedirects = 5;

    // Less than `bytes` arriving within any `window` ends the request, as curl's low-speed limit.
    struct LowSpeedLimit {
        qint64 bytes = 1024;
        std::chrono::milliseconds window{30000};
    };

    explicit HttpClient(QObject* parent = nullptr);
    ~HttpClient() override;

    std::chrono::milliseconds stallTimeout() const { return m_stallTimeout; }
    void setStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }
    LowSpeedLimit lowSpeedLimit() const { return m_lowSpeed; }
    void setLowSpeedLimit(LowSpeedLimit limit) { m_lowSpeed = limit; }

    bool isBusy() const { return m_busy; }

    // What becomes of a reply's body. It runs on a worker thread while the request's wait goes
    // on, so that reading a large reply never stops the window from painting, and it must touch
    // nothing the GUI thread uses meanwhile.
    using Consumer = std::function<void(QByteArray body)>;

    HttpReply get(const QUrl& url);
    // Fetches the URL and hands the body to `consume`: one wait, for the transfer and the reading
    // both. A cancel during the reading lets it finish, then reports the request as cancelled.
    HttpReply get(const QUrl& url, const Consumer& consume);
    // Ends the running request as cancelled; does nothing when none runs.
    void cancel();

    // Whether a request to `origin` may follow a redirect to `target`: the same scheme, host and
    // port, or from http to https on the same host.
    static bool isSameServer(const QUrl& origin, const QUrl& target);

signals:
    void busyChanged(bool busy);
    // Bytes of the reply so far, and its announced length or -1.
    void transferProgress(qint64 received, qint64 total);
    // The last byte of a reply is in, and reading it begins.
    void replyReceived();

private:
    // Runs the work on a thread of its own while the event loop runs here.
    static void runOffThread(const std::function<void()>& work);

    QNetworkAccessManager m_manager;
    std::chrono::milliseconds m_stallTimeout = DefaultStallTimeout;
    LowSpeedLimit m_lowSpeed;
    HttpTransfer* m_transfer = nullptr;
    bool m_busy = false;
    bool m_reading = false;
    bool m_cancelledWhileReading = false;
};
