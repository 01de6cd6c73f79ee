#include "RequestUrl.h"

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
