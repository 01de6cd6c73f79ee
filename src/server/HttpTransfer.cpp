#include "HttpTransfer.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

namespace {

// Enough to keep a fast transfer moving; more is not held in flight before it is counted.
constexpr qint64 ReadBufferBytes = 4 * 1024 * 1024;
// The low-speed window is checked in this many steps.
constexpr int LowSpeedSteps = 30;
// An HTTP reason phrase is the server's text: kept short and to printable characters.
constexpr qsizetype MaxReasonPhrase = 100;

FetchError classify(QNetworkReply::NetworkError error) {
    switch (error) {
    case QNetworkReply::NoError:
        return FetchError::None;
    case QNetworkReply::SslHandshakeFailedError:
        return FetchError::Tls;
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return FetchError::Redirected;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return FetchError::Unreachable;
    default:
        break;
    }
    if (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownServerError)
        return FetchError::HttpStatus;
    return FetchError::Other;
}

// Qt's error texts can quote the whole URL, whose query carries the passphrase or the token.
QString withoutQuery(QString text, const QUrl& url) {
    const QString bare = url.toString(QUrl::RemoveQuery);
    for (const QString& form :
         {url.toString(), QString::fromUtf8(url.toEncoded()), url.toDisplayString()})
        text.replace(form, bare);
    return text;
}

QString printable(const QByteArray& bytes) {
    QString out;
    for (const char c : bytes.left(MaxReasonPhrase))
        if (c >= 0x20 && c < 0x7F)
            out += QLatin1Char(c);
    return out;
}

QString seconds(std::chrono::milliseconds time) {
    return QString::number(static_cast<double>(time.count()) / 1000.0);
}

} // namespace

HttpTransfer::HttpTransfer(QNetworkAccessManager& manager, const QUrl& url, Limits limits)
    : m_url(url), m_limits(limits) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(HttpClient::MaxRedirects);
    m_reply.reset(manager.get(request));
    m_reply->setReadBufferSize(ReadBufferBytes);

    connect(m_reply.get(), &QNetworkReply::finished, &m_loop, &QEventLoop::quit);
    connect(m_reply.get(), &QNetworkReply::metaDataChanged, this, &HttpTransfer::onMetaData);
    connect(m_reply.get(), &QNetworkReply::readyRead, this, &HttpTransfer::onReadyRead);
    connect(m_reply.get(), &QNetworkReply::downloadProgress, this, &HttpTransfer::onProgress);
    connect(m_reply.get(), &QNetworkReply::redirected, this, &HttpTransfer::onRedirected);
    // Never ignored: the request fails, and the user is told what was wrong.
    connect(m_reply.get(), &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            m_certificateProblems << error.errorString();
    });

    m_stall.setSingleShot(true);
    m_stall.setInterval(m_limits.stallTimeout);
    connect(&m_stall, &QTimer::timeout, this, [this] {
        end(FetchError::TimedOut,
            tr("No answer from the server for %1 s.").arg(seconds(m_limits.stallTimeout)));
    });
    m_lowSpeedTick.setInterval(
        std::max(std::chrono::milliseconds(10), m_limits.lowSpeed.window / LowSpeedSteps));
    connect(&m_lowSpeedTick, &QTimer::timeout, this, &HttpTransfer::onLowSpeedTick);
}

HttpTransfer::~HttpTransfer() = default;

HttpReply HttpTransfer::run() {
    m_stall.start();
    m_receivedAtTicks.push_back(0);
    m_lowSpeedTick.start();
    if (!m_reply->isFinished())
        m_loop.exec();
    m_stall.stop();
    m_lowSpeedTick.stop();
    return result();
}

void HttpTransfer::cancel() {
    end(FetchError::Cancelled, tr("The request was cancelled."));
}

void HttpTransfer::end(FetchError error, const QString& reason) {
    if (m_ended)
        return;
    m_ended = error;
    m_endReason = reason;
    m_body.clear();
    m_body.squeeze();
    m_reply->abort();
    m_loop.quit();
}

QString HttpTransfer::tooLargeReason() const {
    constexpr qint64 MiB = 1024 * 1024;
    if (m_limits.maxBytes % MiB == 0)
        return tr("The reply is larger than %1 MB.").arg(m_limits.maxBytes / MiB);
    return tr("The reply is larger than %1 bytes.").arg(m_limits.maxBytes);
}

void HttpTransfer::onMetaData() {
    m_stall.start();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
        end(FetchError::TooLarge, tooLargeReason());
}

void HttpTransfer::onReadyRead() {
    if (m_ended)
        return;
    m_body += m_reply->readAll();
    if (m_body.size() > m_limits.maxBytes)
        end(FetchError::TooLarge, tooLargeReason());
}

void HttpTransfer::onProgress(qint64 received) {
    if (received > m_received) {
        m_received = received;
        m_stall.start();
    }
}

void HttpTransfer::onRedirected(const QUrl& target) {
    if (HttpClient::isSameServer(m_url, m_url.resolved(target)))
        emit m_reply->redirectAllowed();
    else
        end(FetchError::Redirected, tr("The server redirected the request to another address."));
}

void HttpTransfer::onLowSpeedTick() {
    m_receivedAtTicks.push_back(m_received);
    if (m_receivedAtTicks.size() <= LowSpeedSteps)
        return;
    m_receivedAtTicks.pop_front();
    if (m_received - m_receivedAtTicks.front() < m_limits.lowSpeed.bytes)
        end(FetchError::TooSlow, tr("Less than %1 bytes arrived from the server in %2 s.")
                                     .arg(m_limits.lowSpeed.bytes)
                                     .arg(seconds(m_limits.lowSpeed.window)));
}

HttpReply HttpTransfer::result() {
    HttpReply result;
    result.httpStatus = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_ended) {
        result.error = *m_ended;
        result.reason = m_endReason;
        return result;
    }
    if (!m_certificateProblems.isEmpty()) {
        result.error = FetchError::Tls;
        result.reason = tr("The server's certificate was refused: %1")
                            .arg(m_certificateProblems.join(QLatin1String("; ")));
        return result;
    }
    result.error = classify(m_reply->error());
    if (result.error == FetchError::None && result.httpStatus >= 400)
        result.error = FetchError::HttpStatus;
    switch (result.error) {
    case FetchError::None:
        break;
    case FetchError::HttpStatus:
        result.reason =
            (QLatin1String("HTTP ") + QString::number(result.httpStatus) + QLatin1Char(' ') +
             printable(
                 m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray()))
                .trimmed();
        return result;
    case FetchError::Redirected:
        result.reason = tr("The server redirected the request more than %1 times.")
                            .arg(HttpClient::MaxRedirects);
        return result;
    default:
        result.reason = withoutQuery(m_reply->errorString(), m_url);
        return result;
    }
    onReadyRead();
    if (m_ended) {
        result.error = *m_ended;
        result.reason = m_endReason;
        return result;
    }
    result.body = std::move(m_body);
    if (result.body.isEmpty()) {
        result.error = FetchError::EmptyBody;
        result.reason = tr("The server sent an empty reply.");
    }
    return result;
}
