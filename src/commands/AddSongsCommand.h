#pragma once

#include "Command.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class Library;
class PlaylistController;
class ServerSession;

// Adds several songs in the order given, one after another, each as a single add does it (its own
// `song` request, the same checks, the auto-play rule): "Adding songs (3 of 12)..." while the
// third is fetched. A cancel or a failure stops it and keeps the songs added before; the failure
// is reported as the single add's would be. For a tree node, its track list is fetched first, as a
// click on the node does, and then all of its songs are added.
class AddSongsCommand : public Command {
    Q_OBJECT

public:
    using SongIds = std::vector<std::optional<std::int64_t>>;

    AddSongsCommand(ServerSession& server, PlaylistController& playlist, SongIds songIds,
                    QObject* parent = nullptr);

    // The tracks of a tree node ("artist<id>" or "album<id>").
    static std::unique_ptr<AddSongsCommand> tracksOf(ServerSession& server, Library& library,
                                                     PlaylistController& playlist,
                                                     const QString& nodeKey);

    static QString progressText(int song, int count);
    static QString addedText(int count);

protected:
    void run() override;

private:
    void addFrom(std::size_t song);

    ServerSession& m_server;
    PlaylistController& m_playlist;
    SongIds m_songIds;
    Library* m_library = nullptr; // with a node whose tracks are listed first
    QString m_nodeKey;
};
