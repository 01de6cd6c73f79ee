// Feeds arbitrary bytes to the playlist file reader, and checks that whatever it reads is written
// and read back unchanged.
#include "PlaylistFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const PlaylistFile::Result read = PlaylistFile::parse(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    const auto* playlist = std::get_if<SavedPlaylist>(&read);
    if (!playlist)
        return 0;
    const PlaylistFile::Result again = PlaylistFile::parse(PlaylistFile::serialize(*playlist));
    const auto* same = std::get_if<SavedPlaylist>(&again);
    if (!same || same->entries.size() != playlist->entries.size() ||
        same->current != playlist->current || same->repeat != playlist->repeat ||
        same->shuffled != playlist->shuffled || same->server != playlist->server)
        __builtin_trap();
    for (std::size_t i = 0; i < same->entries.size(); ++i)
        if (same->entries[i].songId != playlist->entries[i].songId)
            __builtin_trap();
    return 0;
}
