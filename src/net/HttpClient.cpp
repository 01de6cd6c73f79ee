#include "HttpClient.h"

#include <algorithm>

HttpClient::HttpClient(QObject* parent) : QObject(parent) {
}

HttpClient::~HttpClient() = default;

std::unique_ptr<HttpRequest> HttpClient::request(const QUrl& url, Consumer consume,
                                                 ReplySize size) {
    const qint64 maxBytes = size == ReplySize::Small
                                ? std::min(m_maxReplyBytes, HttpLimits::MaxSmallReplyBytes)
                                : m_maxReplyBytes;
    auto request = std::make_unique<HttpRequest>(
        m_manager, url, HttpLimits{m_stallTimeout, maxBytes, m_lowSpeed}, std::move(consume));
    HttpRequest* started = request.get();
    connect(started, &HttpRequest::started, this, [this, started] { setRunning(started, true); });
    connect(started, &HttpRequest::finished, this, [this, started] { setRunning(started, false); });
    connect(started, &QObject::destroyed, this,
            [this](const QObject* dropped) { setRunning(dropped, false); });
    connect(started, &HttpRequest::progress, this, &HttpClient::transferProgress);
    connect(started, &HttpRequest::reading, this, &HttpClient::replyReceived);
    return request;
}

void HttpClient::setRunning(const QObject* request, bool running) {
    const auto found = std::find(m_running.begin(), m_running.end(), request);
    if (running == (found != m_running.end()))
        return;
    if (running)
        m_running.push_back(request);
    else
        m_running.erase(found);
    if (m_running.size() == (running ? 1u : 0u))
        emit busyChanged(running);
}
