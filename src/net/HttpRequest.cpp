#include "HttpRequest.h"

#include "HttpTransfer.h"

#include <QtConcurrent/QtConcurrentRun>

#include <new>

HttpRequest::HttpRequest(QNetworkAccessManager& manager, const QUrl& url, HttpLimits limits,
                         Consumer consume, QObject* parent)
    : QObject(parent), m_manager(manager), m_url(url), m_limits(limits),
      m_consume(std::move(consume)) {
    connect(&m_reading, &QFutureWatcher<bool>::finished, this, &HttpRequest::onRead);
}

HttpRequest::~HttpRequest() {
    m_reading.waitForFinished();
}

void HttpRequest::start() {
    emit started();
    const QString scheme = m_url.scheme().toLower();
    if (!m_url.isValid() || m_url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        // Qt's own words for this ("Protocol "" is unknown") leave the user guessing.
        HttpReply refused;
        refused.error = FetchError::BadAddress;
        refused.reason = tr("The server name is not a valid http or https address.");
        QMetaObject::invokeMethod(
            this, [this, refused] { finish(refused); }, Qt::QueuedConnection);
        return;
    }
    m_transfer = new HttpTransfer(m_manager, m_url, m_limits);
    m_transfer->setParent(this);
    connect(m_transfer, &HttpTransfer::progress, this, &HttpRequest::progress);
    connect(m_transfer, &HttpTransfer::finished, this, &HttpRequest::onTransferFinished);
    m_transfer->start();
}

void HttpRequest::cancel() {
    m_cancelled = true;
    if (m_transfer)
        m_transfer->cancel();
}

void HttpRequest::onTransferFinished() {
    HttpReply reply = m_transfer->takeResult();
    m_transfer->deleteLater();
    m_transfer = nullptr;
    if (!reply.ok() || !m_consume)
        return finish(std::move(reply));
    // The pieces are joined on the worker too: for a large reply that is a copy worth keeping
    // off the GUI thread.
    HttpReply body;
    body.pieces = std::move(reply.pieces);
    m_result = std::move(reply);
    m_reading.setFuture(QtConcurrent::run([consume = m_consume, body = std::move(body)]() mutable {
        // An exception must not end the program from a worker thread: a reply too large to
        // read is a failure like any other.
        try {
            consume(body.takeBody());
            return false;
        } catch (const std::bad_alloc&) {
            return true;
        }
    }));
    // Last: whoever hears it may drop the request.
    emit reading();
}

void HttpRequest::onRead() {
    HttpReply reply = std::move(m_result);
    if (m_reading.result()) {
        reply.error = FetchError::TooLarge;
        reply.reason = tr("The reply is too large to read.");
    } else if (m_cancelled) {
        reply.error = FetchError::Cancelled;
        reply.reason = tr("The request was cancelled.");
    }
    finish(std::move(reply));
}

void HttpRequest::finish(HttpReply reply) {
    m_result = std::move(reply);
    emit finished();
}
