#include "SongListCommand.h"

#include "Library.h"
#include "RequestUrl.h"
#include "ServerFailure.h"
#include "ServerSession.h"
#include "XmlDocument.h"
#include "XmlRecord.h"

namespace {
constexpr char AlbumPrefix[] = "album";
constexpr char ArtistPrefix[] = "artist";
} // namespace

SongListCommand::SongListCommand(ServerSession& server, SongListModel& list, bool withArtist)
    : m_server(server), m_list(list), m_withArtist(withArtist) {
}

std::unique_ptr<SongListCommand> SongListCommand::tracks(ServerSession& server, Library& library,
                                                         const QString& nodeKey) {
    auto command =
        std::make_unique<SongListCommand>(server, *library.songs(Library::LibraryList), false);
    if (nodeKey.startsWith(QLatin1String(AlbumPrefix))) {
        command->m_fetchingText = tr("Fetching album tracks...");
        command->m_request =
            [id = nodeKey.mid(qsizetype(sizeof(AlbumPrefix) - 1))](const SessionState& s) {
                return RequestUrl::albumSongs(s.servername, s.authToken, id);
            };
    } else if (nodeKey.startsWith(QLatin1String(ArtistPrefix))) {
        command->m_fetchingText = tr("Fetching artist tracks...");
        command->m_request =
            [id = nodeKey.mid(qsizetype(sizeof(ArtistPrefix) - 1))](const SessionState& s) {
                return RequestUrl::artistSongs(s.servername, s.authToken, id);
            };
    }
    return command;
}

std::unique_ptr<SongListCommand> SongListCommand::search(ServerSession& server, Library& library,
                                                         const QString& text) {
    auto command =
        std::make_unique<SongListCommand>(server, *library.songs(Library::SearchList), true);
    command->m_fetchingText = tr("Searching...");
    command->m_doneText = tr("Search Complete");
    command->m_request = [text](const SessionState& s) {
        return RequestUrl::searchSongs(s.servername, s.authToken, text);
    };
    return command;
}

void SongListCommand::run() {
    m_oldRows = m_list.takeRows();
    if (!m_request) {
        showStatus(m_doneText);
        return finish();
    }
    showStatus(m_fetchingText);
    // Each time the request goes out, the list starts afresh.
    ServerCall::Reader reader = [this]() -> XmlStream::ElementReader {
        m_reading = std::make_shared<Reading>();
        return [reading = m_reading, withArtist = m_withArtist](const XmlRecord& song) {
            if (song.name() == "song" && reading->outcome == ReplyReader::Outcome::Complete)
                reading->outcome = ReplyReader::addSong(song, withArtist, reading->rows);
        };
    };
    await(m_server.request(m_request, std::move(reader)),
          [this](const ServerCall& call) { onLoaded(call); });
}

void SongListCommand::restore() {
    m_list.setRows(std::move(m_oldRows));
}

// A song list is filled up to its first malformed song; a reply that is no song list at all
// (broken, or the server's refusal) leaves it empty.
void SongListCommand::onLoaded(const ServerCall& call) {
    if (!call.isAnswer())
        return fail(ServerFailure::message(call.reply()));
    m_list.setRows(std::move(m_reading->rows));
    if (m_reading->outcome != ReplyReader::Outcome::Complete)
        return fail(ServerFailure::message(call.reply()));
    showStatus(m_doneText);
    finish();
}
