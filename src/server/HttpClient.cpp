#include "HttpClient.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QScopeGuard>
#include <QSslError>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace {

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

} // namespace

HttpClient::HttpClient(QObject* parent) : QObject(parent) {
    m_manager.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

HttpReply HttpClient::get(const QUrl& url) {
    HttpReply result;
    if (m_busy) {
        // A timer or a queued event reached us while our own wait was running.
        result.error = FetchError::Busy;
        result.reason = tr("Another request is still running.");
        return result;
    }
    m_busy = true;
    emit busyChanged(true);
    const auto idle = qScopeGuard([this] {
        m_busy = false;
        emit busyChanged(false);
    });

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    std::unique_ptr<QNetworkReply> reply(m_manager.get(request));

    QEventLoop loop;
    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(m_stallTimeout);
    bool timedOut = false;
    QStringList certificateProblems;
    connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Never ignored: the request fails, and the user is told what was wrong.
    connect(reply.get(), &QNetworkReply::sslErrors, &loop,
            [&certificateProblems](const QList<QSslError>& errors) {
                for (const QSslError& error : errors)
                    certificateProblems << error.errorString();
            });
    connect(reply.get(), &QNetworkReply::downloadProgress, &stall, [&stall] { stall.start(); });
    connect(&stall, &QTimer::timeout, &loop, [&timedOut, &reply] {
        timedOut = true;
        reply->abort();
    });
    stall.start();
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    stall.stop();

    result.httpStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (timedOut) {
        result.error = FetchError::TimedOut;
        result.reason = tr("The server did not answer within %1 seconds.")
                            .arg(static_cast<double>(m_stallTimeout.count()) / 1000.0);
        return result;
    }
    result.error = classify(reply->error());
    if (!certificateProblems.isEmpty()) {
        result.error = FetchError::Tls;
        result.reason = tr("The server's certificate was refused: %1")
                            .arg(certificateProblems.join(QLatin1String("; ")));
        return result;
    }
    if (reply->error() == QNetworkReply::InsecureRedirectError) {
        result.error = FetchError::Tls;
        result.reason = tr("The server redirected a secure request to an insecure address.");
        return result;
    }
    if (result.error == FetchError::None && result.httpStatus >= 400)
        result.error = FetchError::HttpStatus;
    if (result.error != FetchError::None) {
        result.reason = result.error == FetchError::HttpStatus
                            ? tr("The server answered with HTTP status %1.").arg(result.httpStatus)
                            : withoutQuery(reply->errorString(), url);
        return result;
    }
    result.body = reply->readAll();
    if (result.body.isEmpty()) {
        result.error = FetchError::EmptyBody;
        result.reason = tr("The server sent an empty reply.");
    }
    return result;
}
