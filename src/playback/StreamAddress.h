#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// Where the player may stream from. The song reply's address goes straight to the player, and
// the player knows many more ways to open something than http: local files, folders, and its
// own pseudo-protocols, some of which run filter graphs that write files. So only absolute
// http and https addresses with a host are played. An address is checked once, as it comes in
// from the server: a StreamAddress exists only for one that passed, and the player takes nothing
// else.
class StreamAddress {
public:
    // None when the text is no playable address.
    static std::optional<StreamAddress> from(const QString& text);
    static bool isPlayable(const QUrl& url);

    const QUrl& url() const { return m_url; }
    QByteArray encoded() const { return m_url.toEncoded(); }

private:
    explicit StreamAddress(QUrl url) : m_url(std::move(url)) {}

    QUrl m_url;
};
