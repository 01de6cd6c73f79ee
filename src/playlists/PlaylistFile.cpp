#include "PlaylistFile.h"

#include "LocalFile.h"
#include "NumberText.h"
#include "XmlEscape.h"

#include <QCoreApplication>
#include <QUrl>

#include <expat.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("PlaylistFile", text);
}

// Element names as expat gives them with namespaces: the namespace, this separator, the name.
constexpr char Separator = '|';

bool isXspf(const char* name, const char* local) {
    const std::size_t prefix = std::strlen(PlaylistFile::Namespace);
    return std::strncmp(name, PlaylistFile::Namespace, prefix) == 0 && name[prefix] == Separator &&
           std::strcmp(name + prefix + 1, local) == 0;
}

struct ParserDeleter {
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

// One file's reading, as expat's callbacks see it.
class Reading {
public:
    Reading() : m_parser(XML_ParserCreateNS(nullptr, Separator)) {
        if (!m_parser)
            return;
        XML_SetUserData(m_parser.get(), this);
        XML_SetElementHandler(m_parser.get(), &Reading::onStart, &Reading::onEnd);
        XML_SetCharacterDataHandler(m_parser.get(), &Reading::onText);
        XML_SetStartDoctypeDeclHandler(m_parser.get(), &Reading::onDoctype);
    }

    PlaylistFile::Result read(const QByteArray& bytes) {
        const bool parsed =
            m_parser && XML_Parse(m_parser.get(), bytes.constData(), static_cast<int>(bytes.size()),
                                  XML_TRUE) == XML_STATUS_OK;
        if (!m_problem.isEmpty())
            return m_problem;
        if (!parsed)
            return tr("It is not XML.");
        const QUrl server(m_playlist.server, QUrl::StrictMode);
        if (!server.isValid() || server.host().isEmpty() ||
            (server.scheme() != QLatin1String("http") && server.scheme() != QLatin1String("https")))
            return tr("It does not say which server its songs are on.");
        m_playlist.server = PlaylistFile::serverName(m_playlist.server);
        return std::move(m_playlist);
    }

private:
    enum class Field { None, Meta, Identifier, Title, Creator, Album };

    void refuse(const QString& problem) {
        m_problem = problem;
        XML_StopParser(m_parser.get(), XML_FALSE);
    }

    static void onDoctype(void* self, const char*, const char*, const char*, int) {
        static_cast<Reading*>(self)->refuse(
            tr("It contains a document type declaration, which a playlist has no use for."));
    }

    static void onStart(void* self, const char* name, const char** attributes) {
        auto* r = static_cast<Reading*>(self);
        if (++r->m_depth > PlaylistFile::MaxDepth)
            return r->refuse(tr("Its elements are nested more deeply than a playlist's."));
        if (r->m_depth == 1 && !isXspf(name, "playlist"))
            return r->refuse(tr("It is not an XSPF playlist."));
        if (r->m_depth == 2 && isXspf(name, "meta")) {
            r->startField(Field::Meta);
            for (int i = 0; attributes[i]; i += 2)
                if (std::strcmp(attributes[i], "rel") == 0)
                    r->m_rel = attributes[i + 1];
        } else if (r->m_depth == 2) {
            r->m_inTrackList = isXspf(name, "trackList");
        } else if (r->m_depth == 3 && r->m_inTrackList && isXspf(name, "track")) {
            if (r->m_playlist.entries.size() == PlaylistFile::MaxEntries)
                return r->refuse(PlaylistFile::tooManyEntries());
            r->m_entry = {};
            r->m_inTrack = true;
            r->m_hasId = false;
        } else if (r->m_depth == 4 && r->m_inTrack) {
            for (auto [local, field] :
                 {std::pair{"identifier", Field::Identifier}, std::pair{"title", Field::Title},
                  std::pair{"creator", Field::Creator}, std::pair{"album", Field::Album}})
                if (isXspf(name, local))
                    r->startField(field);
        }
    }

    static void onEnd(void* self, const char*) {
        auto* r = static_cast<Reading*>(self);
        if (r->m_field != Field::None && r->m_depth == r->m_fieldDepth)
            r->endField();
        else if (r->m_depth == 3 && r->m_inTrack)
            r->endTrack();
        --r->m_depth;
    }

    static void onText(void* self, const char* text, int size) {
        auto* r = static_cast<Reading*>(self);
        // Four bytes a character at most: enough to cut the text where a reader would.
        const auto room = static_cast<std::size_t>(PlaylistFile::MaxTextLength) * 4;
        if (r->m_field != Field::None && r->m_text.size() < room)
            r->m_text.append(text,
                             std::min(static_cast<std::size_t>(size), room - r->m_text.size()));
    }

    void startField(Field field) {
        m_field = field;
        m_fieldDepth = m_depth;
        m_text.clear();
        m_rel.clear();
    }

    void endField() {
        const QString text = QString::fromUtf8(m_text).trimmed().left(PlaylistFile::MaxTextLength);
        switch (m_field) {
        case Field::Meta:
            meta(text);
            break;
        case Field::Identifier:
            if (const std::optional<std::int64_t> id = NumberText::wholeNumber(m_text)) {
                m_entry.songId = *id;
                m_hasId = true;
            }
            break;
        case Field::Title:
            m_entry.title = text;
            break;
        case Field::Creator:
            m_entry.artist = text;
            break;
        case Field::Album:
            m_entry.album = text;
            break;
        case Field::None:
            break;
        }
        m_field = Field::None;
    }

    void meta(const QString& text) {
        if (m_rel == PlaylistFile::ServerRel) {
            m_playlist.server = text;
        } else if (m_rel == PlaylistFile::CurrentRel) {
            if (const auto line = NumberText::wholeNumber(m_text);
                line && *line >= 0 && *line < std::int64_t(PlaylistFile::MaxEntries))
                m_playlist.current = static_cast<int>(*line);
        } else if (m_rel == PlaylistFile::RepeatRel) {
            m_playlist.repeat = text == QLatin1String("all")   ? SavedPlaylist::Repeat::All
                                : text == QLatin1String("one") ? SavedPlaylist::Repeat::One
                                                               : SavedPlaylist::Repeat::Off;
        } else if (m_rel == PlaylistFile::ShuffleRel) {
            m_playlist.shuffled = text == QLatin1String("1");
        }
    }

    void endTrack() {
        m_inTrack = false;
        if (!m_hasId)
            return refuse(tr("Its entry %1 has no song id.").arg(m_playlist.entries.size() + 1));
        m_playlist.entries.push_back(std::move(m_entry));
    }

    std::unique_ptr<XML_ParserStruct, ParserDeleter> m_parser;
    SavedPlaylist m_playlist;
    QString m_problem;
    int m_depth = 0;
    bool m_inTrackList = false;
    bool m_inTrack = false;
    bool m_hasId = false;
    SavedPlaylist::Entry m_entry;
    Field m_field = Field::None;
    int m_fieldDepth = 0;
    std::string m_rel;
    std::string m_text;
};

} // namespace

QString PlaylistFile::tooManyEntries() {
    return tr("It has more than %1 songs.").arg(MaxEntries);
}

QString PlaylistFile::serverName(const QString& servername) {
    return QUrl(servername).adjusted(QUrl::RemoveUserInfo | QUrl::StripTrailingSlash).toString();
}

PlaylistFile::Result PlaylistFile::read(const QString& path) {
    QString problem;
    const std::optional<QByteArray> bytes = LocalFile::read(path, MaximumBytes, &problem);
    if (!bytes)
        return problem.isEmpty() ? tr("There is no such file.") : problem;
    return parse(*bytes);
}

PlaylistFile::Result PlaylistFile::parse(const QByteArray& bytes) {
    return Reading().read(bytes);
}

QByteArray PlaylistFile::serialize(const SavedPlaylist& playlist) {
    const auto element = [](const char* name, const QString& text) {
        return QByteArray("<") + name + '>' + XmlEscape::text(text) + "</" + name + '>';
    };
    const auto meta = [](const char* rel, const QString& text) {
        return QByteArray("  <meta rel=\"") + rel + "\">" + XmlEscape::text(text) + "</meta>\n";
    };
    QByteArray out = QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<playlist "
                                "version=\"1\" xmlns=\"") +
                     Namespace + "\">\n" + meta(ServerRel, serverName(playlist.server));
    if (playlist.current)
        out += meta(CurrentRel, QString::number(*playlist.current));
    if (playlist.repeat != SavedPlaylist::Repeat::Off)
        out += meta(RepeatRel, playlist.repeat == SavedPlaylist::Repeat::All ? "all" : "one");
    if (playlist.shuffled)
        out += meta(ShuffleRel, "1");
    out += "  <trackList>\n";
    for (const SavedPlaylist::Entry& entry : playlist.entries)
        out += "    <track>" + element("identifier", QString::number(entry.songId)) +
               element("title", entry.title) + element("creator", entry.artist) +
               element("album", entry.album) + "</track>\n";
    return out + "  </trackList>\n</playlist>\n";
}

std::optional<QString> PlaylistFile::write(const SavedPlaylist& playlist, const QString& path) {
    if (playlist.entries.size() > MaxEntries)
        return tooManyEntries();
    return LocalFile::write(serialize(playlist), path);
}
