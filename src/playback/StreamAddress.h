#pragma once

#include <QString>
#include <QUrl>

// Where the player may stream from. The song reply's address goes straight to the player, and
// the player knows many more ways to open something than http: local files, folders, and its
// own pseudo-protocols, some of which run filter graphs that write files. So only absolute
// http and https addresses with a host are played; anything else is refused before the player
// sees it.
class StreamAddress {
public:
    static bool isPlayable(const QUrl& url);
    static bool isPlayable(const QString& text) { return isPlayable(parse(text)); }
    static QUrl parse(const QString& text) { return QUrl(text, QUrl::TolerantMode); }
};
