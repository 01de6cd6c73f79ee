#pragma once

#include "HttpLimits.h"
#include "HttpRequest.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <chrono>
#include <memory>
#include <vector>

// Makes the client's requests, under one set of limits, and says when any of them is under way
// and how far the running one has got.
class HttpClient : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultStallTimeout =
        HttpLimits::DefaultStallTimeout;
    using LowSpeedLimit = HttpLimits::LowSpeed;
    using Consumer = HttpRequest::Consumer;
    // A list of any length, or a reply that is small by nature.
    enum class ReplySize { List, Small };

    explicit HttpClient(QObject* parent = nullptr);
    ~HttpClient() override;

    std::chrono::milliseconds stallTimeout() const { return m_stallTimeout; }
    void setStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }
    LowSpeedLimit lowSpeedLimit() const { return m_lowSpeed; }
    void setLowSpeedLimit(LowSpeedLimit limit) { m_lowSpeed = limit; }
    qint64 maxReplyBytes() const { return m_maxReplyBytes; }
    // A small reply is held to the smaller of this and HttpLimits::MaxSmallReplyBytes.
    void setMaxReplyBytes(qint64 bytes) { m_maxReplyBytes = bytes; }

    // A request that has been started and has not finished or been dropped.
    bool isBusy() const { return !m_running.empty(); }

    // A GET of the URL, not started yet; `consume` reads its body on a worker thread. Dropping
    // the request cancels it.
    std::unique_ptr<HttpRequest> request(const QUrl& url, Consumer consume = {},
                                         ReplySize size = ReplySize::List);

signals:
    void busyChanged(bool busy);
    // Bytes of the reply so far, and its announced length or -1.
    void transferProgress(qint64 received, qint64 total);
    // The last byte of a reply is in, and reading it begins.
    void replyReceived();

private:
    void setRunning(const QObject* request, bool running);

    QNetworkAccessManager m_manager;
    std::chrono::milliseconds m_stallTimeout = DefaultStallTimeout;
    LowSpeedLimit m_lowSpeed;
    qint64 m_maxReplyBytes = HttpLimits::MaxReplyBytes;
    std::vector<const QObject*> m_running;
};
