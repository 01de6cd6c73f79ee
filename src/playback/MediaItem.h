#pragma once

#include <QHash>
#include <QString>
#include <QUrl>

// A playable item: a stream URL and named string attributes ("SNR/Title" and so on).
class MediaItem {
public:
    explicit MediaItem(QUrl url) : m_url(std::move(url)) {}

    const QUrl& sourceURL() const { return m_url; }
    void setItemInfo(const QString& name, const QString& value) { m_info.insert(name, value); }
    QString getItemInfo(const QString& name) const { return m_info.value(name); }

private:
    QUrl m_url;
    QHash<QString, QString> m_info;
};
