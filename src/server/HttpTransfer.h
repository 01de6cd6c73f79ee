#pragma once

#include "HttpClient.h"
#include "HttpReply.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

// One GET in flight, with the limits it runs under. The first limit that is hit ends the
// transfer and names the reason; everything after that is ignored.
class HttpTransfer : public QObject {
    Q_OBJECT

public:
    struct Limits {
        std::chrono::milliseconds stallTimeout;
        qint64 maxBytes = 0;
        HttpClient::LowSpeedLimit lowSpeed;
    };

    HttpTransfer(QNetworkAccessManager& manager, const QUrl& url, Limits limits);
    ~HttpTransfer() override;

    // Waits for the reply; the event loop runs meanwhile.
    HttpReply run();
    void cancel();

private:
    void end(FetchError error, const QString& reason);
    void onMetaData();
    void onReadyRead();
    void onProgress(qint64 received);
    void onRedirected(const QUrl& target);
    void onLowSpeedTick();
    HttpReply result();
    QString tooLargeReason() const;

    QUrl m_url;
    Limits m_limits;
    std::unique_ptr<QNetworkReply> m_reply;
    QEventLoop m_loop;
    QTimer m_stall;
    QTimer m_lowSpeedTick;
    std::deque<qint64> m_receivedAtTicks; // bytes received so far, at each tick of the window
    qint64 m_received = 0;
    QByteArray m_body;
    QStringList m_certificateProblems;
    std::optional<FetchError> m_ended;
    QString m_endReason;
};
