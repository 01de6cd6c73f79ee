#include "HttpClient.h"

#include "HttpTransfer.h"

#include <QEventLoop>
#include <QScopeGuard>

#include <new>
#include <thread>

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
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        // Qt's own words for this ("Protocol "" is unknown") leave the user guessing.
        HttpReply result;
        result.error = FetchError::BadAddress;
        result.reason = tr("The server name is not a valid http or https address.");
        return result;
    }
    m_busy = true;
    emit busyChanged(true);
    const auto idle = qScopeGuard([this] {
        m_transfer = nullptr;
        m_reading = false;
        m_busy = false;
        emit busyChanged(false);
    });
    HttpReply reply;
    {
        HttpTransfer transfer(m_manager, url, {m_stallTimeout, MaxReplyBytes, m_lowSpeed});
        connect(&transfer, &HttpTransfer::progress, this, &HttpClient::transferProgress);
        m_transfer = &transfer;
        reply = transfer.run();
        m_transfer = nullptr;
    }
    if (!reply.ok() || !consume)
        return reply; // the body still in its pieces
    m_reading = true;
    m_cancelledWhileReading = false;
    emit replyReceived();
    bool outOfMemory = false;
    runOffThread([&consume, &reply, &outOfMemory] {
        // An exception must not end the program from a worker thread: a reply too large to
        // read is a failure like any other.
        try {
            consume(reply.takeBody());
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
    });
    if (outOfMemory) {
        reply.error = FetchError::TooLarge;
        reply.reason = tr("The reply is too large to read.");
    } else if (m_cancelledWhileReading) {
        reply.error = FetchError::Cancelled;
        reply.reason = tr("The request was cancelled.");
    }
    return reply;
}

void HttpClient::runOffThread(const std::function<void()>& work) {
    QEventLoop loop;
    std::thread worker([&work, &loop] {
        work();
        // Posted, so it reaches the loop even before the loop has started.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

void HttpClient::cancel() {
    if (m_transfer)
        m_transfer->cancel();
    else if (m_reading)
        m_cancelledWhileReading = true;
}
