#include "HttpClient.h"

#include "HttpTransfer.h"

#include <QScopeGuard>

HttpClient::HttpClient(QObject* parent) : QObject(parent) {
}

HttpClient::~HttpClient() = default;

bool HttpClient::isSameServer(const QUrl& origin, const QUrl& target) {
    const QString from = origin.scheme().toLower();
    const QString to = target.scheme().toLower();
    const bool sameHost = origin.host().compare(target.host(), Qt::CaseInsensitive) == 0;
    if (!sameHost || !target.isValid())
        return false;
    if (from == QLatin1String("http") && to == QLatin1String("https"))
        return true;
    const int defaultPort = from == QLatin1String("https") ? 443 : 80;
    return from == to && origin.port(defaultPort) == target.port(defaultPort);
}

HttpReply HttpClient::get(const QUrl& url) {
    if (m_busy) {
        // A timer or a queued event reached us while our own wait was running.
        HttpReply result;
        result.error = FetchError::Busy;
        result.reason = tr("Another request is still running.");
        return result;
    }
    m_busy = true;
    emit busyChanged(true);
    HttpTransfer transfer(m_manager, url, {m_stallTimeout, MaxReplyBytes, m_lowSpeed});
    m_transfer = &transfer;
    const auto idle = qScopeGuard([this] {
        m_transfer = nullptr;
        m_busy = false;
        emit busyChanged(false);
    });
    return transfer.run();
}

void HttpClient::cancel() {
    if (m_transfer)
        m_transfer->cancel();
}
