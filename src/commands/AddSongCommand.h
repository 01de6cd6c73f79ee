#pragma once

#include "Command.h"
#include "Track.h"

#include <cstdint>
#include <optional>

class MediaPlayer;
class ServerCall;
class ServerSession;

// Fetches a song's details and appends it to the playlist; starts playing under the auto-play
// rule. A song listed without a usable id is refused before anything is asked of the server. A
// successful add says nothing of its own in the status bar.
class AddSongCommand : public Command {
    Q_OBJECT

public:
    AddSongCommand(ServerSession& server, MediaPlayer& player, std::optional<std::int64_t> songId,
                   QObject* parent = nullptr);

    static QString idNotANumber();
    static QString notHttpAddress();
    // The track a `song` reply gives; none, and the report for the user, when it cannot be added.
    static std::optional<Track> read(const ServerCall& call, std::int64_t songId, QString& failure);

protected:
    void run() override;

private:
    void onLoaded(const ServerCall& call);

    ServerSession& m_server;
    MediaPlayer& m_player;
    std::optional<std::int64_t> m_songId;
};
