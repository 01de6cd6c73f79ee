#pragma once

#include "HttpLimits.h"
#include "HttpReply.h"

#include <QElapsedTimer>
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

// One GET in flight, with the limits it runs under, driven by the reply's signals: start() returns
// at once and finished() says when the result is there. The first limit that is hit ends the
// transfer and names the reason; everything after that is ignored. Deleting the transfer aborts
// the reply.
class HttpTransfer : public QObject {
    Q_OBJECT

public:
    HttpTransfer(QNetworkAccessManager& manager, const QUrl& url, HttpLimits limits);
    ~HttpTransfer() override;

    void start();
    void cancel();
    // Hands the body of a successful reply out piece by piece, as received(), instead of keeping
    // it for the result.
    void setStreaming(bool streaming) { m_streaming = streaming; }
    // While paused, nothing is taken from the reply: its buffer fills, and the server is held back
    // by the connection itself.
    void setPaused(bool paused);
    // Once finished: the reply, its body in the pieces that arrived.
    HttpReply takeResult() { return std::move(m_result); }

signals:
    // A piece of a successful reply's body, decoded, while streaming.
    void received(const QByteArray& piece);
    // Bytes of the current reply as they arrive, and its announced length or -1.
    void progress(qint64 received, qint64 total);
    // Emitted once, from the event loop, never from within start() or cancel().
    void finished();

private:
    void send();
    void onReplyFinished();
    std::optional<QUrl> redirectTarget();
    void end(FetchError error, const QString& reason);
    void onMetaData();
    void onReadyRead();
    // Hands the piece on while streaming a successful reply; keeps it otherwise.
    void keep(QByteArray piece);
    void onProgress(qint64 received);
    void onLowSpeedTick();
    HttpReply result();
    QString tooLargeReason() const;
    static QString damagedReason();

    QNetworkAccessManager& m_manager;
    QUrl m_origin;
    QUrl m_url;
    HttpLimits m_limits;
    std::unique_ptr<QNetworkReply> m_reply;
    HttpReply m_result;
    bool m_done = false;
    QTimer m_stall;
    QTimer m_lowSpeedTick;
    std::deque<qint64> m_receivedAtTicks; // bytes received so far, at each tick of the window
    qint64 m_received = 0;                // over every reply of the redirect chain
    qint64 m_receivedByReply = 0;
    std::unique_ptr<ContentDecoder> m_decoder; // while a compressed body arrives
    std::vector<QByteArray> m_pieces;
    bool m_streaming = false;
    bool m_paused = false;
    qint64 m_size = 0;
    int m_redirects = 0;
    QStringList m_certificateProblems;
    std::optional<FetchError> m_ended;
    QString m_endReason;
};
