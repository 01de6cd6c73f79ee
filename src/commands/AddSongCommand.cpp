#include "AddSongCommand.h"

#include "MediaPlayer.h"
#include "RequestUrl.h"
#include "ServerCall.h"
#include "ServerFailure.h"
#include "ServerSession.h"
#include "SongReply.h"

AddSongCommand::AddSongCommand(ServerSession& server, MediaPlayer& player,
                               std::optional<std::int64_t> songId, QObject* parent)
    : Command(parent), m_server(server), m_player(player), m_songId(songId) {
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
    await(m_server.request([songId = *m_songId](const SessionState& s) {
        return RequestUrl::song(s.servername, s.authToken, songId);
    }),
          [this](const ServerCall& call) { onLoaded(call); });
}

std::optional<Track> AddSongCommand::read(const ServerCall& call, std::int64_t songId,
                                          QString& failure) {
    SongReply song = SongReply::read(call.reply(), songId);
    switch (song.problem) {
    case SongReply::Problem::None:
        failure.clear();
        break;
    case SongReply::Problem::NotHttpAddress:
        failure = notHttpAddress();
        break;
    case SongReply::Problem::Incomplete:
        failure = ServerFailure::message(call.reply());
        break;
    }
    return std::move(song.track);
}

// Every field is read before anything changes, so a line never lacks its track.
void AddSongCommand::onLoaded(const ServerCall& call) {
    QString failure;
    std::optional<Track> track = read(call, *m_songId, failure);
    if (!track)
        return fail(failure);
    m_player.add(std::move(*track), m_server.state().autoPlay);
    finish();
}
