#include "AddSongsCommand.h"

#include "AddSongCommand.h"
#include "Library.h"
#include "MediaPlayer.h"
#include "RequestUrl.h"
#include "ServerCall.h"
#include "ServerFailure.h"
#include "ServerSession.h"
#include "SongListCommand.h"

AddSongsCommand::AddSongsCommand(ServerSession& server, MediaPlayer& player, SongIds songIds,
                                 QObject* parent)
    : AddSongsCommand(server, player, std::move(songIds), Options(), parent) {
}

AddSongsCommand::AddSongsCommand(ServerSession& server, MediaPlayer& player, SongIds songIds,
                                 Options options, QObject* parent)
    : Command(parent), m_server(server), m_player(player), m_songIds(std::move(songIds)),
      m_options(options) {
}

std::unique_ptr<AddSongsCommand> AddSongsCommand::tracksOf(ServerSession& server, Library& library,
                                                           MediaPlayer& player,
                                                           const QString& nodeKey) {
    auto command = std::make_unique<AddSongsCommand>(server, player, SongIds());
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

QString AddSongsCommand::missingText(int missing, int count) {
    return tr("%1 of the %2 songs are no longer on the server; the others were added.")
        .arg(missing)
        .arg(count);
}

void AddSongsCommand::run() {
    if (!m_library)
        return addAll();
    await(SongListCommand::tracks(m_server, *m_library, m_nodeKey), [this] {
        const SongListModel& listed = *m_library->songs(Library::LibraryList);
        for (int row = 0; row < listed.count(); ++row)
            m_songIds.push_back(listed.entry(row).id);
        addAll();
    });
}

void AddSongsCommand::addAll() {
    m_songs.resize(m_songIds.size());
    if (!m_songs.empty())
        showStatus(progressText(1, static_cast<int>(m_songs.size())));
    advance();
}

// Asks first: a song without a usable id is answered at once, and may be the next to add.
void AddSongsCommand::advance() {
    while (isRunning() && !m_renewing && callsBeside() < MaxRequests &&
           m_nextToAsk < m_songs.size() && m_nextToAsk < m_firstFailure)
        ask(m_nextToAsk++);
    addAnswered();
}

void AddSongsCommand::ask(std::size_t song) {
    const std::optional<std::int64_t> id = m_songIds[song];
    if (!id)
        return answer(song, AddSongCommand::idNotANumber());
    // The batch renews the session itself, once for all of its requests.
    awaitBeside(m_server.request(
                    [songId = *id](const SessionState& s) {
                        return RequestUrl::song(s.servername, s.authToken, songId);
                    },
                    ServerCall::Reader(), ServerCall::OnLapse::Fail),
                [this, song, sentWith = m_server.state().authToken](const ServerCall& call) {
                    onAnswered(song, sentWith, call);
                });
}

void AddSongsCommand::onAnswered(std::size_t song, const QString& sentWith,
                                 const ServerCall& call) {
    // A request that went out before the renewal is asked again with the new token; one refused
    // after it has the server's answer.
    if (call.tokenRefused() && (!m_renewed || sentWith != m_server.state().authToken)) {
        if (m_renewed && !m_renewing)
            return ask(song);
        m_refused.push_back(song);
        if (!m_renewing)
            renew();
        return;
    }
    QString failure;
    m_songs[song].track = AddSongCommand::read(call, *m_songIds[song], failure);
    if (!failure.isEmpty() && m_options.skipMissing && ServerFailure::isErrorReply(call.reply())) {
        m_songs[song].missing = true;
        failure.clear();
    }
    answer(song, failure);
    advance();
}

void AddSongsCommand::renew() {
    m_renewing = true;
    emit passingStatusTextChanged(ServerCall::renewingText());
    await(m_server.signIn(m_server.handshake()),
          [this](const ServerCall& call) { onRenewed(call); });
}

void AddSongsCommand::onRenewed(const ServerCall& call) {
    m_renewing = false;
    m_renewed = true;
    std::vector<std::size_t> refused = std::exchange(m_refused, {});
    if (call.signInFailed()) {
        // As a single add's: the report of the sign-in that failed.
        const QString failure = ServerFailure::message(call.reply());
        for (const std::size_t song : refused)
            answer(song, failure);
        return advance();
    }
    for (const std::size_t song : refused)
        ask(song);
    advance();
}

void AddSongsCommand::answer(std::size_t song, const QString& failure) {
    m_songs[song].answered = true;
    m_songs[song].failure = failure;
    if (!failure.isEmpty())
        m_firstFailure = std::min(m_firstFailure, song);
}

void AddSongsCommand::addAnswered() {
    const int count = static_cast<int>(m_songs.size());
    while (isRunning() && m_added < m_songs.size() && m_songs[m_added].answered) {
        Song& song = m_songs[m_added];
        if (song.missing) {
            ++m_missing;
        } else if (!song.track) {
            return fail(song.failure);
        } else {
            m_player.add(std::move(*song.track),
                         m_options.mayAutoPlay && m_server.state().autoPlay);
            song.track.reset();
            if (m_added == m_options.current)
                m_player.setCurrentLine(m_player.count() - 1);
        }
        if (++m_added < m_songs.size())
            showStatus(progressText(static_cast<int>(m_added) + 1, count));
    }
    if (isRunning() && m_added == m_songs.size()) {
        if (m_missing > 0)
            return fail(missingText(m_missing, count), addedText(count - m_missing));
        showStatus(addedText(count));
        finish();
    }
}
