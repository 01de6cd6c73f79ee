#pragma once

#include "Command.h"
#include "Track.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class Library;
class MediaPlayer;
class ServerCall;
class ServerSession;

// Adds several songs, each as a single add does it (its own `song` request, the same checks, the
// auto-play rule), with several requests under way at once, and adds them in the order given as
// soon as each one and all before it are answered: "Adding songs (3 of 12)..." once two are in.
// A cancel or a failure stops it and keeps the songs added before; the failure is reported as the
// single add's would be. A lapsed session is renewed once for the whole batch, and the refused
// requests asked again. For a tree node, its track list is fetched first, as a click on the node
// does, and then all of its songs are added.
class AddSongsCommand : public Command {
    Q_OBJECT

public:
    using SongIds = std::vector<std::optional<std::int64_t>>;

    // As many as Qt keeps connections open to one server.
    static constexpr int MaxRequests = 6;

    struct Options {
        // A song the server says it does not have is left out and counted, and the others are
        // added; the count is the report at the end.
        bool skipMissing = false;
        // Under the auto-play rule; otherwise playback is left as it is.
        bool mayAutoPlay = true;
        // The song of the batch to make current once it is added, without playing it.
        std::optional<std::size_t> current;
    };

    AddSongsCommand(ServerSession& server, MediaPlayer& player, SongIds songIds,
                    QObject* parent = nullptr);
    AddSongsCommand(ServerSession& server, MediaPlayer& player, SongIds songIds, Options options,
                    QObject* parent = nullptr);

    // The tracks of a tree node ("artist<id>" or "album<id>").
    static std::unique_ptr<AddSongsCommand> tracksOf(ServerSession& server, Library& library,
                                                     MediaPlayer& player, const QString& nodeKey);

    static QString progressText(int song, int count);
    static QString addedText(int count);
    static QString missingText(int missing, int count);

protected:
    void run() override;

private:
    // A song of the batch, from its request to its line in the playlist.
    struct Song {
        bool answered = false;
        std::optional<Track> track;
        QString failure;      // why it cannot be added; empty when it can
        bool missing = false; // the server does not have it, and it is left out
    };

    void addAll();
    void advance();
    void ask(std::size_t song);
    void onAnswered(std::size_t song, const QString& sentWith, const ServerCall& call);
    void renew();
    void onRenewed(const ServerCall& call);
    void answer(std::size_t song, const QString& failure);
    // Adds the answered songs that are next in order.
    void addAnswered();

    ServerSession& m_server;
    MediaPlayer& m_player;
    SongIds m_songIds;
    Options m_options;
    int m_missing = 0;
    Library* m_library = nullptr; // with a node whose tracks are listed first
    QString m_nodeKey;
    std::vector<Song> m_songs;
    std::size_t m_nextToAsk = 0;
    std::size_t m_added = 0;
    // Nothing after a song known to fail is worth asking for.
    std::size_t m_firstFailure = SIZE_MAX;
    std::vector<std::size_t> m_refused; // asked again once the session is renewed
    bool m_renewing = false;
    bool m_renewed = false;
};
