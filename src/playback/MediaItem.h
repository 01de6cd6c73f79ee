#pragma once

#include <QHash>
#include <QString>
#include <QUrl>

#include <cstdint>

// A playable item: a stream URL, named string attributes ("SNR/Title" and so on) and a serial
// number that no other item of this run shares, so the desktop can tell entries apart.
class MediaItem {
public:
    MediaItem(QUrl url, std::uint64_t serial) : m_url(std::move(url)), m_serial(serial) {}

    const QUrl& url() const { return m_url; }
    std::uint64_t serial() const { return m_serial; }
    void setInfo(const QString& name, const QString& value) { m_info.insert(name, value); }
    QString info(const QString& name) const { return m_info.value(name); }

private:
    QUrl m_url;
    std::uint64_t m_serial;
    QHash<QString, QString> m_info;
};
