#pragma once

#include "MediaItem.h"

#include <memory>
#include <vector>

class MpvPlayer;

// The player's current playlist, kept in step with libmpv's so that libmpv moves on to the next
// entry, and prefetches it, by itself. Changed only through the MediaPlayer, which keeps its
// current entry right as entries come and go.
class MediaPlaylist {
public:
    explicit MediaPlaylist(MpvPlayer& mpv) : m_mpv(mpv) {}

    int count() const { return static_cast<int>(m_items.size()); }
    std::shared_ptr<MediaItem> item(int index) const;
    int indexOf(const std::shared_ptr<MediaItem>& item) const;

    // False, and nothing added, when the player refuses the item's address.
    bool append(std::shared_ptr<MediaItem> item);
    void remove(const std::shared_ptr<MediaItem>& item);
    void clear();

private:
    MpvPlayer& m_mpv;
    std::vector<std::shared_ptr<MediaItem>> m_items;
};
