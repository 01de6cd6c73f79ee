#include "AddSongCommand.h"

#include "PlaylistController.h"
#include "RequestUrl.h"
#include "ServerCall.h"
#include "ServerFailure.h"
#include "ServerSession.h"

AddSongCommand::AddSongCommand(ServerSession& server, PlaylistController& playlist,
                               std::optional<std::int64_t> songId, QObject* parent)
    : Command(parent), m_server(server), m_playlist(playlist), m_songId(songId) {
}

QString AddSongCommand::idNotANumber() {
    return tr("The server listed this song with an id that is not a whole number, so it cannot "
              "be added.");
}

QString AddSongCommand::notHttpAddress() {
    return tr("The server sent a stream address that is not http or https.");
}

void AddSongCommand::run() {
    if (!m_songId)
        return fail(idNotANumber());
    await(std::make_unique<ServerCall>(m_server,
                                       [songId = *m_songId](const SessionState& s) {
                                           return RequestUrl::song(s.servername, s.authToken,
                                                                   songId);
                                       }),
          [this](const ServerCall& call) { onLoaded(call); });
}

SongDetails AddSongCommand::read(const ServerCall& call, QString& failure) {
    SongDetails song = SongDetails::read(call.reply());
    switch (song.problem) {
    case SongDetails::Problem::None:
        failure.clear();
        break;
    case SongDetails::Problem::NotHttpAddress:
        failure = notHttpAddress();
        break;
    case SongDetails::Problem::Incomplete:
        failure = ServerFailure::message(call.reply());
        break;
    }
    return song;
}

QString AddSongCommand::add(PlaylistController& playlist, const SongDetails& song, bool autoPlay) {
    return playlist.add(song, autoPlay) ? QString() : notHttpAddress();
}

// Every field is read before anything changes, so a line never lacks its item.
void AddSongCommand::onLoaded(const ServerCall& call) {
    QString failure;
    const SongDetails song = read(call, failure);
    if (failure.isEmpty())
        failure = add(m_playlist, song, m_server.state().autoPlay);
    if (!failure.isEmpty())
        return fail(failure);
    finish();
}
