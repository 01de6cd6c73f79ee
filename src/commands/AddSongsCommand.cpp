#include "AddSongsCommand.h"

#include "AddSongCommand.h"
#include "Library.h"
#include "SongListCommand.h"

AddSongsCommand::AddSongsCommand(ServerSession& server, PlaylistController& playlist,
                                 SongIds songIds, QObject* parent)
    : Command(parent), m_server(server), m_playlist(playlist), m_songIds(std::move(songIds)) {
}

std::unique_ptr<AddSongsCommand> AddSongsCommand::tracksOf(ServerSession& server, Library& library,
                                                           PlaylistController& playlist,
                                                           const QString& nodeKey) {
    auto command = std::make_unique<AddSongsCommand>(server, playlist, SongIds());
    command->m_library = &library;
    command->m_nodeKey = nodeKey;
    return command;
}

QString AddSongsCommand::progressText(int song, int count) {
    return tr("Adding songs (%1 of %2)...").arg(song).arg(count);
}

QString AddSongsCommand::addedText(int count) {
    return count == 1 ? tr("Added 1 song") : tr("Added %1 songs").arg(count);
}

void AddSongsCommand::run() {
    if (!m_library)
        return addFrom(0);
    await(SongListCommand::tracks(m_server, *m_library, m_nodeKey), [this] {
        const SongListModel& listed = *m_library->songs(Library::LibraryList);
        for (int row = 0; row < listed.count(); ++row)
            m_songIds.push_back(listed.entry(row).id);
        addFrom(0);
    });
}

void AddSongsCommand::addFrom(std::size_t song) {
    const int count = static_cast<int>(m_songIds.size());
    if (song == m_songIds.size()) {
        showStatus(addedText(count));
        return finish();
    }
    showStatus(progressText(static_cast<int>(song) + 1, count));
    await(std::make_unique<AddSongCommand>(m_server, m_playlist, m_songIds[song]),
          [this, song] { addFrom(song + 1); });
}
