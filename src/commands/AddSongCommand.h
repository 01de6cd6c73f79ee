#pragma once

#include "Command.h"
#include "SongDetails.h"

#include <cstdint>
#include <optional>

class PlaylistController;
class ServerCall;
class ServerSession;

// Fetches a song's details and appends it to the playlist; starts playing under the auto-play
// rule. A song listed without a usable id is refused before anything is asked of the server. A
// successful add says nothing of its own in the status bar.
class AddSongCommand : public Command {
    Q_OBJECT

public:
    AddSongCommand(ServerSession& server, PlaylistController& playlist,
                   std::optional<std::int64_t> songId, QObject* parent = nullptr);

    static QString idNotANumber();
    static QString notHttpAddress();
    // The song a `song` reply gives, and the report when it cannot be added (empty when it can).
    static SongDetails read(const ServerCall& call, QString& failure);
    // Appends a song read well; the report when the player refuses it.
    static QString add(PlaylistController& playlist, const SongDetails& song, bool autoPlay);

protected:
    void run() override;

private:
    void onLoaded(const ServerCall& call);

    ServerSession& m_server;
    PlaylistController& m_playlist;
    std::optional<std::int64_t> m_songId;
};
