#include "HttpTransfer.h"

#include "ContentDecoder.h"
#include "SonaricVersion.h"

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
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
        return FetchError::Unreachable;
    default:
        return FetchError::Other;
    }
}

// Qt's error texts can quote the whole URL, whose query carries the passphrase or the token, and
// whose server name may carry a password.
QString withoutQuery(QString text, const QUrl& url) {
    const QString bare = url.toString(QUrl::RemoveQuery | QUrl::RemovePassword);
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

HttpTransfer::HttpTransfer(QNetworkAccessManager& manager, const QUrl& url, HttpLimits limits)
    : m_manager(manager), m_origin(url), m_url(url), m_limits(limits) {
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

// A reply that goes while it is still under way may signal once more as it is torn down (its
// headers, as it aborts); by then there is nothing here to take them.
HttpTransfer::~HttpTransfer() {
    if (m_reply)
        m_reply->disconnect(this);
}

// Redirects are followed here rather than by Qt, so that each one is checked before anything,
// the token in the query above all, is sent to where it points.
void HttpTransfer::send() {
    QNetworkRequest request(m_url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    // So that server logs show which client asked.
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Sonaric-Client/") +
                                                            SonaricVersion::Text + " (" +
                                                            SonaricVersion::Platform + ")");
    // Named here, Qt leaves the body as it is sent, and the transfer expands it itself.
    request.setRawHeader("Accept-Encoding", ContentDecoder::acceptedEncodings());
    m_decoder.reset();
    m_pieces.clear();
    m_size = 0;
    m_receivedByReply = 0;
    if (m_reply)
        m_reply->disconnect(this);
    m_reply.reset(m_manager.get(request));
    m_reply->setReadBufferSize(ReadBufferBytes);

    // Queued, so that a transfer ended from within one of the reply's own signals finishes once
    // that signal has returned: whoever listens may then delete the transfer.
    connect(m_reply.get(), &QNetworkReply::finished, this, &HttpTransfer::onReplyFinished,
            Qt::QueuedConnection);
    // The manager deletes its replies when it goes (the client is going away): the transfer lets
    // go of its reply and is over, and nothing here touches the reply again.
    connect(m_reply.get(), &QObject::destroyed, this, [this] {
        (void)m_reply.release();
        m_stall.stop();
        m_lowSpeedTick.stop();
        m_done = true;
    });
    connect(m_reply.get(), &QNetworkReply::metaDataChanged, this, &HttpTransfer::onMetaData);
    connect(m_reply.get(), &QNetworkReply::readyRead, this, &HttpTransfer::onReadyRead);
    connect(m_reply.get(), &QNetworkReply::downloadProgress, this, &HttpTransfer::onProgress);
    // Never ignored: the request fails, and the user is told what was wrong.
    connect(m_reply.get(), &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        for (const QSslError& error : errors)
            m_certificateProblems << error.errorString();
    });
}

// The next address when the reply is a redirect that may be followed; ends the transfer when it
// may not.
std::optional<QUrl> HttpTransfer::redirectTarget() {
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant location = m_reply->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (m_ended || m_reply->error() != QNetworkReply::NoError || status < 300 || status >= 400 ||
        !location.isValid())
        return std::nullopt;
    const QUrl target = m_url.resolved(location.toUrl());
    if (++m_redirects > HttpLimits::MaxRedirects)
        end(FetchError::Redirected, tr("The server redirected the request more than %1 times.")
                                        .arg(HttpLimits::MaxRedirects));
    else if (!HttpLimits::isSameServer(m_origin, target))
        end(FetchError::Redirected, tr("The server redirected the request to another address."));
    else
        return target;
    return std::nullopt;
}

void HttpTransfer::start() {
    m_stall.start();
    m_receivedAtTicks.push_back(0);
    m_lowSpeedTick.start();
    send();
}

void HttpTransfer::onReplyFinished() {
    // A redirect's reply is replaced before its queued signal could be stale; still, only the
    // reply now in flight counts.
    if (m_done || !m_reply->isFinished())
        return;
    if (const std::optional<QUrl> next = redirectTarget()) {
        m_url = *next;
        send();
        return;
    }
    m_stall.stop();
    m_lowSpeedTick.stop();
    m_result = result();
    m_done = true;
    emit finished();
}

void HttpTransfer::cancel() {
    end(FetchError::Cancelled, tr("The request was cancelled."));
}

void HttpTransfer::end(FetchError error, const QString& reason) {
    if (m_ended || m_done)
        return;
    m_ended = error;
    m_endReason = reason;
    m_pieces.clear();
    m_reply->abort();
}

QString HttpTransfer::tooLargeReason() const {
    constexpr qint64 MiB = 1024 * 1024;
    if (m_limits.maxBytes % MiB == 0)
        return tr("The reply is larger than %1 MB.").arg(m_limits.maxBytes / MiB);
    return tr("The reply is larger than %1 bytes.").arg(m_limits.maxBytes);
}

QString HttpTransfer::damagedReason() {
    return tr("The server's compressed reply is damaged.");
}

void HttpTransfer::onMetaData() {
    if (!m_paused)
        m_stall.start();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = m_reply->rawHeader("Content-Encoding").trimmed();
    if (!encoding.isEmpty() && encoding.compare("identity", Qt::CaseInsensitive) != 0 &&
        !m_decoder) {
        m_decoder = ContentDecoder::forEncoding(encoding, m_limits.maxBytes);
        if (!m_decoder)
            return end(FetchError::Damaged,
                       tr("The server sent the reply in an encoding the client did not ask for."));
    }
    if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
        end(FetchError::TooLarge, tooLargeReason());
    // An announced length (of the body as it will be read) gets its buffer at once, so the
    // body is never copied to join it. The pages are only taken as the bytes arrive.
    else if (length.isValid() && !m_decoder && m_pieces.empty() && !m_streaming)
        m_pieces.emplace_back().reserve(length.toLongLong());
}

// Read into the buffer sized for the announced length, or else kept as the pieces that arrived:
// growing one buffer would copy it again and again, and for a moment hold it twice.
// While the reader holds the transfer back the server is not the one that is slow: its stall and
// low-speed clocks start afresh once the transfer goes on.
void HttpTransfer::setPaused(bool paused) {
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (m_done || m_ended)
        return;
    if (paused) {
        m_stall.stop();
        m_lowSpeedTick.stop();
        return;
    }
    m_stall.start();
    m_receivedAtTicks.assign(1, m_received);
    m_lowSpeedTick.start();
    if (m_reply)
        onReadyRead();
}

void HttpTransfer::onReadyRead() {
    if (m_ended || m_paused)
        return;
    const qint64 available = m_reply->bytesAvailable();
    if (m_decoder) {
        QByteArray expanded;
        const ContentDecoder::Status status = m_decoder->decode(m_reply->readAll(), expanded);
        if (status == ContentDecoder::Status::Damaged)
            return end(FetchError::Damaged, damagedReason());
        if (status == ContentDecoder::Status::TooLarge)
            return end(FetchError::TooLarge,
                       tr("The reply could not be expanded within the client's limits."));
        m_size += expanded.size();
        if (!expanded.isEmpty())
            keep(std::move(expanded));
    } else if (m_pieces.size() == 1 &&
               m_pieces.front().capacity() - m_pieces.front().size() >= available) {
        QByteArray& whole = m_pieces.front();
        const qsizetype had = whole.size();
        whole.resize(had + available);
        whole.resize(had + std::max<qint64>(0, m_reply->read(whole.data() + had, available)));
        m_size = whole.size();
    } else {
        QByteArray piece = m_reply->readAll();
        m_size += piece.size();
        keep(std::move(piece));
    }
    if (m_size > m_limits.maxBytes)
        end(FetchError::TooLarge, tooLargeReason());
}

void HttpTransfer::keep(QByteArray piece) {
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_streaming && status >= 200 && status < 300)
        emit received(piece);
    else
        m_pieces.push_back(std::move(piece));
}

// Qt reports the length as known once the last byte is in; only an announced one counts.
void HttpTransfer::onProgress(qint64 received) {
    if (received > m_receivedByReply) {
        m_received += received - m_receivedByReply;
        m_receivedByReply = received;
        if (!m_paused)
            m_stall.start();
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        emit progress(received, length.isValid() ? length.toLongLong() : -1);
    }
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
    // Only a successful answer counts: an error status, or a redirect without a target, is none.
    if (result.httpStatus >= 400 ||
        (result.error == FetchError::None && (result.httpStatus < 200 || result.httpStatus >= 300)))
        result.error = FetchError::HttpStatus;
    switch (result.error) {
    case FetchError::None:
        break;
    case FetchError::HttpStatus:
        // "HTTP 500 Internal Server Error"
        result.reason =
            (QLatin1String("HTTP ") + QString::number(result.httpStatus) + QLatin1Char(' ') +
             printable(
                 m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray()))
                .trimmed();
        return result;
    default:
        result.reason = withoutQuery(m_reply->errorString(), m_url);
        return result;
    }
    m_paused = false;
    onReadyRead();
    // A compressed stream that stops short of its end is as damaged as one that breaks.
    if (!m_ended && m_decoder && m_decoder->status() != ContentDecoder::Status::Ended)
        end(FetchError::Damaged, damagedReason());
    if (m_ended) {
        result.error = *m_ended;
        result.reason = m_endReason;
        return result;
    }
    if (m_size == 0) {
        result.error = FetchError::EmptyBody;
        result.reason = tr("The server sent an empty reply.");
        return result;
    }
    result.pieces = std::move(m_pieces);
    return result;
}
