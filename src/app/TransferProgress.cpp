#include "TransferProgress.h"

#include "HttpClient.h"

namespace {
// The rate is taken over this much of the recent past, so a pause in the flow shows soon.
constexpr qint64 RateWindowMs = 3000;
constexpr qint64 KB = 1024;
constexpr qint64 MB = 1024 * 1024;

QString oneDecimal(double value) {
    return QString::number(value, 'f', value < 100 ? 1 : 0);
}
} // namespace

TransferProgress::TransferProgress(HttpClient& http, Timeline& time, QObject* parent)
    : QObject(parent), m_time(time), m_delay(time.alarm([this] { show(); })),
      m_tick(time.alarm([this] { update(); })) {
    connect(&http, &HttpClient::busyChanged, this, &TransferProgress::start);
    connect(&http, &HttpClient::transferProgress, this, &TransferProgress::onProgress);
    connect(&http, &HttpClient::replyReceived, this, &TransferProgress::onReading);
}

void TransferProgress::start(bool busy) {
    m_phase = busy ? Phase::Transfer : Phase::Idle;
    m_received = 0;
    m_total = -1;
    m_samples.clear();
    if (busy) {
        m_startedAt = m_time.now();
        m_samples.emplace_back(0, 0);
        m_delay->start(ShowAfter, false);
        return;
    }
    m_delay->stop();
    m_tick->stop();
    if (m_shown) {
        m_shown = false;
        emit changed();
    }
}

void TransferProgress::onProgress(qint64 received, qint64 total) {
    if (m_phase != Phase::Transfer)
        return;
    m_received = received;
    m_total = total;
    const qint64 now = m_time.now() - m_startedAt;
    m_samples.emplace_back(now, received);
    while (m_samples.size() > 2 && m_samples[1].first <= now - RateWindowMs)
        m_samples.pop_front();
    update();
}

void TransferProgress::onReading() {
    m_phase = Phase::Reading;
    update();
}

void TransferProgress::show() {
    m_shown = m_phase != Phase::Idle;
    // The rate falls while nothing arrives, so it is shown afresh even without new bytes.
    m_tick->start(std::chrono::seconds(1), true);
    update();
}

void TransferProgress::update() {
    if (m_shown)
        emit changed();
}

qint64 TransferProgress::bytesPerSecond() const {
    const qint64 ms = m_time.now() - m_startedAt - m_samples.front().first;
    const qint64 bytes = m_samples.back().second - m_samples.front().second;
    return ms > 0 ? bytes * 1000 / ms : 0;
}

QString TransferProgress::bytesText(qint64 bytes) {
    if (bytes >= MB)
        return tr("%1 MB").arg(oneDecimal(static_cast<double>(bytes) / MB));
    if (bytes >= KB)
        return tr("%1 KB").arg(bytes / KB);
    return bytes == 1 ? tr("1 byte") : tr("%1 bytes").arg(bytes);
}

QString TransferProgress::text() const {
    if (m_phase == Phase::Reading)
        return tr("Reading...");
    if (m_total > 0 && m_total >= MB)
        return tr("%1 of %2 MB")
            .arg(oneDecimal(static_cast<double>(m_received) / MB),
                 oneDecimal(static_cast<double>(m_total) / MB));
    if (m_total > 0)
        return tr("%1 of %2").arg(bytesText(m_received), bytesText(m_total));
    return tr("%1 at %2/s").arg(bytesText(m_received), bytesText(bytesPerSecond()));
}

int TransferProgress::permille() const {
    if (m_phase != Phase::Transfer || m_total <= 0)
        return -1;
    return static_cast<int>(std::min<qint64>(1000, m_received * 1000 / m_total));
}
