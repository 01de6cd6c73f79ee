#include "RequestUrl.h"

#include <algorithm>

namespace {

constexpr char ScriptPath[] = "/server/xml.server.php?action=";

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

QUrl RequestUrl::build(const QString& servername, const char* action, const QString& auth,
                       const QString& parameters) {
    const QString text = servername + QLatin1String(ScriptPath) + QLatin1String(action) +
                         QLatin1String("&auth=") + encoded(auth) + parameters;
    return QUrl(text, QUrl::TolerantMode);
}

QString RequestUrl::withoutPassword(const QString& servername) {
    const qsizetype authority = servername.indexOf(QLatin1String("://"));
    if (authority < 0)
        return servername;
    const qsizetype start = authority + 3;
    qsizetype end = servername.size();
    for (const QChar c : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#')})
        if (const qsizetype at = servername.indexOf(c, start); at >= 0)
            end = std::min(end, at);
    const qsizetype at = servername.lastIndexOf(QLatin1Char('@'), end - 1);
    if (at < start)
        return servername;
    const qsizetype colon = servername.indexOf(QLatin1Char(':'), start);
    if (colon < 0 || colon > at)
        return servername;
    return servername.left(colon) + servername.mid(at);
}

QString RequestUrl::filter(const QString& value) {
    return QLatin1String("&filter=") + encoded(value);
}

QUrl RequestUrl::handshake(const QString& servername, const QString& passphrase,
                           std::int64_t timestamp, const QString& username) {
    return build(servername, "handshake", passphrase,
                 QLatin1String("&timestamp=") + QString::number(timestamp) +
                     QLatin1String("&version=") + QString::number(ProtocolVersion) +
                     QLatin1String("&user=") + encoded(username));
}

QUrl RequestUrl::artists(const QString& servername, const QString& token) {
    return build(servername, "artists", token, {});
}

QUrl RequestUrl::albums(const QString& servername, const QString& token) {
    return build(servername, "albums", token, {});
}

QUrl RequestUrl::albumSongs(const QString& servername, const QString& token,
                            const QString& albumId) {
    return build(servername, "album_songs", token, filter(albumId));
}

QUrl RequestUrl::artistSongs(const QString& servername, const QString& token,
                             const QString& artistId) {
    return build(servername, "artist_songs", token, filter(artistId));
}

QUrl RequestUrl::searchSongs(const QString& servername, const QString& token, const QString& text) {
    return build(servername, "search_songs", token, filter(text));
}

QUrl RequestUrl::song(const QString& servername, const QString& token, std::int64_t songId) {
    return build(servername, "song", token, filter(QString::number(songId)));
}
