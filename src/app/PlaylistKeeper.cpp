#include "PlaylistKeeper.h"

#include "AddSongsCommand.h"
#include "CommandRunner.h"
#include "MediaPlayer.h"
#include "PlaylistFile.h"
#include "ServerSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Changes come in bursts (a batch adds a song at a time): the file is written once they settle.
constexpr int WriteDelayMs = 1000;

RepeatMode toRepeatMode(SavedPlaylist::Repeat repeat) {
    switch (repeat) {
    case SavedPlaylist::Repeat::All:
        return RepeatMode::All;
    case SavedPlaylist::Repeat::One:
        return RepeatMode::One;
    case SavedPlaylist::Repeat::Off:
        break;
    }
    return RepeatMode::Off;
}

SavedPlaylist::Repeat toSaved(RepeatMode repeat) {
    switch (repeat) {
    case RepeatMode::All:
        return SavedPlaylist::Repeat::All;
    case RepeatMode::One:
        return SavedPlaylist::Repeat::One;
    case RepeatMode::Off:
        break;
    }
    return SavedPlaylist::Repeat::Off;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

PlaylistKeeper::PlaylistKeeper(ServerSession& server, MediaPlayer& player, CommandRunner& commands,
                               QString rememberedPath, QObject* parent)
    : QObject(parent), m_server(server), m_player(player), m_commands(commands),
      m_rememberedPath(std::move(rememberedPath)) {
    m_writeSoon.setSingleShot(true);
    m_writeSoon.setInterval(WriteDelayMs);
    connect(&m_writeSoon, &QTimer::timeout, this, &PlaylistKeeper::writeRemembered);
    const PlaylistModel* lines = &m_player.playlist();
    for (auto change : {&PlaylistModel::rowsInserted, &PlaylistModel::rowsRemoved})
        connect(lines, change, this, &PlaylistKeeper::playlistChanged);
    connect(lines, &PlaylistModel::rowsMoved, this, &PlaylistKeeper::playlistChanged);
    connect(lines, &PlaylistModel::modelReset, this, &PlaylistKeeper::playlistChanged);
    connect(&m_player, &MediaPlayer::currentItemChanged, this, &PlaylistKeeper::playlistChanged);
    connect(&m_player, &MediaPlayer::repeatChanged, this, &PlaylistKeeper::playlistChanged);
    connect(&m_player, &MediaPlayer::shuffledChanged, this, &PlaylistKeeper::playlistChanged);
}

PlaylistKeeper::~PlaylistKeeper() {
    if (m_writeSoon.isActive())
        writeRemembered();
}

QString PlaylistKeeper::rememberedFileName() {
    return QStringLiteral("playlist.xspf");
}

SavedPlaylist PlaylistKeeper::current() const {
    SavedPlaylist playlist;
    playlist.server = m_server.state().servername;
    const PlaylistModel& lines = m_player.playlist();
    playlist.entries.reserve(static_cast<std::size_t>(lines.count()));
    for (int line = 0; line < lines.count(); ++line) {
        const Track& track = lines.item(line)->track();
        playlist.entries.push_back({track.songId, track.title, track.artist, track.album});
    }
    if (m_player.currentIndex() >= 0)
        playlist.current = m_player.currentIndex();
    playlist.repeat = toSaved(m_player.repeat());
    playlist.shuffled = m_player.isShuffled();
    return playlist;
}

std::optional<QString> PlaylistKeeper::save(const QString& path) const {
    SavedPlaylist playlist = current();
    // A saved playlist is a list of songs; where the listener was in it is no part of it.
    playlist.current.reset();
    playlist.repeat = SavedPlaylist::Repeat::Off;
    playlist.shuffled = false;
    if (std::optional<QString> failure = PlaylistFile::write(playlist, path))
        return tr("The playlist could not be saved to %1. %2").arg(shown(path), *failure);
    return std::nullopt;
}

std::optional<QString> PlaylistKeeper::open(const QString& path) {
    const PlaylistFile::Result read = PlaylistFile::read(path);
    if (const QString* problem = std::get_if<QString>(&read))
        return tr("The playlist %1 could not be opened. %2").arg(shown(path), *problem);
    return add(std::get<SavedPlaylist>(read), path, false);
}

std::optional<QString> PlaylistKeeper::add(const SavedPlaylist& playlist, const QString& path,
                                           bool restoring) {
    const QString here = PlaylistFile::serverName(m_server.state().servername);
    if (PlaylistFile::serverName(playlist.server) != here)
        return tr("The playlist %1 was saved for the server %2, not for %3.")
            .arg(shown(path), playlist.server, here);
    if (playlist.entries.empty())
        return std::nullopt;
    AddSongsCommand::SongIds ids;
    ids.reserve(playlist.entries.size());
    for (const SavedPlaylist::Entry& entry : playlist.entries)
        ids.emplace_back(entry.songId);
    AddSongsCommand::Options options;
    options.skipMissing = true;
    if (restoring) {
        options.mayAutoPlay = false;
        if (playlist.current)
            options.current = static_cast<std::size_t>(*playlist.current);
    }
    auto command = std::make_unique<AddSongsCommand>(m_server, m_player, std::move(ids), options);
    if (restoring) {
        // The file stays as it was until the listener changes the playlist again.
        connect(command.get(), &Command::finished, this, [this] { m_restoring = false; });
        connect(command.get(), &Command::failed, this, [this] { m_restoring = false; });
        connect(command.get(), &Command::cancelled, this, [this] { m_restoring = false; });
        m_restoring = true;
    }
    // Another command may have started since the refresh ended: the playlist is then due again.
    if (!m_commands.run(std::move(command)) && restoring) {
        m_restoring = false;
        m_restoreDue = true;
    }
    return std::nullopt;
}

void PlaylistKeeper::setRemembering(bool remembering) {
    if (remembering == m_remembering)
        return;
    m_remembering = remembering;
    m_restoreDue = false;
    if (remembering) {
        writeRemembered();
    } else {
        m_writeSoon.stop();
        if (!QFile::remove(m_rememberedPath) && QFileInfo::exists(m_rememberedPath))
            emit rememberFailed(tr("The remembered playlist %1 could not be deleted.")
                                    .arg(shown(m_rememberedPath)));
    }
    emit rememberingChanged(remembering);
}

void PlaylistKeeper::loadRemembered() {
    m_remembering = QFileInfo::exists(m_rememberedPath);
    m_restoreDue = m_remembering;
    emit rememberingChanged(m_remembering);
}

std::optional<QString> PlaylistKeeper::restoreRemembered() {
    if (!m_restoreDue)
        return std::nullopt;
    m_restoreDue = false;
    const PlaylistFile::Result read = PlaylistFile::read(m_rememberedPath);
    if (const QString* problem = std::get_if<QString>(&read))
        return tr("The remembered playlist %1 could not be restored. %2")
            .arg(shown(m_rememberedPath), *problem);
    const SavedPlaylist& playlist = std::get<SavedPlaylist>(read);
    m_player.setRepeat(toRepeatMode(playlist.repeat));
    m_player.setShuffled(playlist.shuffled);
    return add(playlist, m_rememberedPath, true);
}

void PlaylistKeeper::playlistChanged() {
    if (m_remembering && !m_restoreDue && !m_restoring)
        m_writeSoon.start();
}

void PlaylistKeeper::writeRemembered() {
    m_writeSoon.stop();
    if (!m_remembering)
        return;
    if (std::optional<QString> failure = PlaylistFile::write(current(), m_rememberedPath))
        emit rememberFailed(tr("The playlist could not be remembered. %1").arg(*failure));
}
