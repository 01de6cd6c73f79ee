#pragma once

#include "Track.h"

#include <cstdint>
#include <optional>

class XmlDocument;

// The song reply, read: the track it describes, or why there is none.
struct SongReply {
    enum class Problem {
        None,
        Incomplete,     // a field is missing, or the address is too long to be one
        NotHttpAddress, // the address is not one the player may open
    };

    std::optional<Track> track;
    Problem problem = Problem::None;

    // All four fields, the texts cut to a readable length; a problem when any is missing or
    // the address is not an http or https one.
    static SongReply read(const XmlDocument& reply, std::int64_t songId);
};
