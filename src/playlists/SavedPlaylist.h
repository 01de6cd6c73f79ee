#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// A playlist as it is kept in a file: the server its songs are on (its base address, without
// user name or password) and, per entry, the song's id and its texts as they were shown. Never a
// stream address: those carry the session's token. The remembered playlist also keeps the
// current entry and the play order.
struct SavedPlaylist {
    struct Entry {
        std::int64_t songId = 0;
        QString title;
        QString artist;
        QString album;
    };
    enum class Repeat { Off, All, One };

    QString server;
    std::vector<Entry> entries;
    std::optional<int> current;
    Repeat repeat = Repeat::Off;
    bool shuffled = false;
};
