#pragma once

#include "Track.h"

#include <cstdint>

// A playlist entry: a track, and a serial number that no other entry of this run shares, so the
// desktop can tell two entries of the same song apart.
class MediaItem {
public:
    MediaItem(Track track, std::uint64_t serial) : m_track(std::move(track)), m_serial(serial) {}

    const Track& track() const { return m_track; }
    std::uint64_t serial() const { return m_serial; }

private:
    Track m_track;
    std::uint64_t m_serial;
};
