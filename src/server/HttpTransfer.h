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
#include <vector>

class ContentDecoder;
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

signals:
    // Bytes of the current reply as they arrive, and its announced length or -1.
    void progress(qint64 received, qint64 total);

private:
    void send();
    std::optional<QUrl> redirectTarget();
    void end(FetchError error, const QString& reason);
    void onMetaData();
    void onReadyRead();
    void onProgress(qint64 received);
    void onLowSpeedTick();
    HttpReply result();
    QString tooLargeReason() const;
    static QString damagedReason();

    QNetworkAccessManager& m_manager;
    QUrl m_origin;
    QUrl m_url;
    Limits m_limits;
    std::unique_ptr<QNetworkReply> m_reply;
    QEventLoop m_loop;
    QTimer m_stall;
    QTimer m_lowSpeedTick;
    std::deque<qint64> m_receivedAtTicks; // bytes received so far, at each tick of the window
    qint64 m_received = 0;                // over every reply of the redirect chain
    qint64 m_receivedByReply = 0;
    std::unique_ptr<ContentDecoder> m_decoder; // while a compressed body arrives
    std::vector<QByteArray> m_pieces;
    qint64 m_size = 0;
    int m_redirects = 0;
    QStringList m_certificateProblems;
    std::optional<FetchError> m_ended;
    QString m_endReason;
};
