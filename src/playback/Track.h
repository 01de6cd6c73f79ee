#pragma once

#include "StreamAddress.h"

#include <QString>

#include <cstdint>

// A song as the server describes it once asked for it: its id, its texts (plain text, cut to a
// readable length) and where to stream it from. The address carries the session's token, so it
// goes to the player and nowhere else.
struct Track {
    std::int64_t songId = 0;
    QString title;
    QString artist;
    QString album;
    StreamAddress address;
};
