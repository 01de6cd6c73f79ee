#pragma once

#include "HttpLimits.h"
#include "HttpReply.h"
#include "HttpRequest.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <chrono>

// A GET that returns to its caller only when the reply is complete or has failed, while the
// event loop keeps running, so callers can be written as straight-line code without freezing the
// window. The window keeps user input away during the wait, apart from its ways out, which end
// up in cancel(). The request itself is an HttpRequest, under the limits of HttpLimits.
class HttpClient : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultStallTimeout =
        HttpLimits::DefaultStallTimeout;
    using LowSpeedLimit = HttpLimits::LowSpeed;
    using Consumer = HttpRequest::Consumer;

    explicit HttpClient(QObject* parent = nullptr);
    ~HttpClient() override;

    std::chrono::milliseconds stallTimeout() const { return m_stallTimeout; }
    void setStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }
    LowSpeedLimit lowSpeedLimit() const { return m_lowSpeed; }
    void setLowSpeedLimit(LowSpeedLimit limit) { m_lowSpeed = limit; }

    bool isBusy() const { return m_busy; }

    HttpReply get(const QUrl& url);
    // Fetches the URL and hands the body to `consume` on a worker thread: one wait, for the
    // transfer and the reading both. A cancel during the reading lets it finish, then reports the
    // request as cancelled.
    HttpReply get(const QUrl& url, const Consumer& consume);
    // Ends the running request as cancelled; does nothing when none runs.
    void cancel();

signals:
    void busyChanged(bool busy);
    // Bytes of the reply so far, and its announced length or -1.
    void transferProgress(qint64 received, qint64 total);
    // The last byte of a reply is in, and reading it begins.
    void replyReceived();

private:
    QNetworkAccessManager m_manager;
    std::chrono::milliseconds m_stallTimeout = DefaultStallTimeout;
    LowSpeedLimit m_lowSpeed;
    HttpRequest* m_request = nullptr;
    bool m_busy = false;
};
