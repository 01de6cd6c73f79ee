#pragma once

#include "Timeline.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>

class HttpClient;

// What the status bar shows of a request that takes a while: once it has run for half a second,
// how much has arrived (of how much, when the server announced it) or how fast it arrives, then
// that the reply is being read; nothing once it has ended.
class TransferProgress : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds ShowAfter{500};

    TransferProgress(HttpClient& http, Timeline& time, QObject* parent = nullptr);

    bool isShown() const { return m_shown; }
    // "12.4 of 106 MB", "3.2 MB at 410 KB/s", "Reading..."
    QString text() const;
    // Permille of the announced length; -1 while the length is unknown or the reply is read.
    int permille() const;

    static QString bytesText(qint64 bytes);

signals:
    void changed();

private:
    enum class Phase { Idle, Transfer, Reading };

    void start(bool busy);
    void onProgress(qint64 received, qint64 total);
    void onReading();
    void show();
    qint64 bytesPerSecond() const;
    void update();

    Timeline& m_time;
    std::unique_ptr<Timeline::Alarm> m_delay;
    std::unique_ptr<Timeline::Alarm> m_tick;
    qint64 m_startedAt = 0;
    Phase m_phase = Phase::Idle;
    bool m_shown = false;
    qint64 m_received = 0;
    qint64 m_total = -1;
    std::deque<std::pair<qint64, qint64>> m_samples; // (milliseconds, bytes), the last seconds
};
