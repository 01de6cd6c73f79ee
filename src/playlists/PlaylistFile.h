#pragma once

#include "SavedPlaylist.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <variant>

// Playlists in XSPF, the open format desktop players read: the song id is the entry's
// <identifier>, its texts <title>, <creator> and <album>, the server and the remembered state are
// <meta> elements of the playlist. A file is untrusted input like a server's reply: at most
// MaximumBytes and MaxEntries, no document type declaration (and so no entity of its own),
// elements nested no deeper than MaxDepth, texts kept up to MaxTextLength.
class PlaylistFile {
public:
    static constexpr qint64 MaximumBytes = 4 * 1024 * 1024;
    // Each entry is a request to the server when the file is opened.
    static constexpr std::size_t MaxEntries = 2000;
    static constexpr int MaxDepth = 8;
    static constexpr qsizetype MaxTextLength = 1024;

    static constexpr char Namespace[] = "http://xspf.org/ns/0/";
    static constexpr char ServerRel[] = "urn:x-sonaric-client:server";
    static constexpr char CurrentRel[] = "urn:x-sonaric-client:current";
    static constexpr char RepeatRel[] = "urn:x-sonaric-client:repeat";
    static constexpr char ShuffleRel[] = "urn:x-sonaric-client:shuffle";

    // The playlist, its server named as serverName() names it, or why the file is none, in a
    // sentence.
    using Result = std::variant<SavedPlaylist, QString>;

    static Result read(const QString& path);
    static Result parse(const QByteArray& bytes);
    static QByteArray serialize(const SavedPlaylist& playlist);
    // Replaces the file whole, or leaves it as it was and says why.
    static std::optional<QString> write(const SavedPlaylist& playlist, const QString& path);

    // A server's base address as a playlist names it: no user name or password, no trailing
    // slash. The same server always gives the same text.
    static QString serverName(const QString& servername);
    static QString tooManyEntries();
};
