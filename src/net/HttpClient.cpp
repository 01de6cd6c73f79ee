#include "HttpClient.h"

#include "HttpRequest.h"

#include <QEventLoop>
#include <QScopeGuard>

HttpClient::HttpClient(QObject* parent) : QObject(parent) {
}

HttpClient::~HttpClient() = default;

HttpReply HttpClient::get(const QUrl& url) {
    return get(url, Consumer());
}

HttpReply HttpClient::get(const QUrl& url, const Consumer& consume) {
    if (m_busy) {
        // A timer or a queued event reached us while our own wait was running.
        HttpReply result;
        result.error = FetchError::Busy;
        result.reason = tr("Another request is still running.");
        return result;
    }
    m_busy = true;
    emit busyChanged(true);
    const auto idle = qScopeGuard([this] {
        m_request = nullptr;
        m_busy = false;
        emit busyChanged(false);
    });
    HttpRequest request(m_manager, url, {m_stallTimeout, HttpLimits::MaxReplyBytes, m_lowSpeed},
                        consume);
    connect(&request, &HttpRequest::progress, this, &HttpClient::transferProgress);
    connect(&request, &HttpRequest::reading, this, &HttpClient::replyReceived);
    m_request = &request;
    QEventLoop wait;
    connect(&request, &HttpRequest::finished, &wait, &QEventLoop::quit);
    request.start();
    wait.exec();
    return request.takeResult();
}

void HttpClient::cancel() {
    if (m_request)
        m_request->cancel();
}
