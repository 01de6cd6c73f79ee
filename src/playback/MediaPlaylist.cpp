#include "MediaPlaylist.h"

#include "MpvPlayer.h"

std::shared_ptr<MediaItem> MediaPlaylist::item(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return m_items[static_cast<std::size_t>(index)];
}

int MediaPlaylist::indexOf(const std::shared_ptr<MediaItem>& item) const {
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i] == item)
            return static_cast<int>(i);
    return -1;
}

bool MediaPlaylist::append(std::shared_ptr<MediaItem> item) {
    if (!m_mpv.append(item->url().toEncoded()))
        return false;
    m_items.push_back(std::move(item));
    return true;
}

void MediaPlaylist::remove(const std::shared_ptr<MediaItem>& item) {
    const int index = indexOf(item);
    if (index < 0)
        return;
    m_mpv.remove(index);
    m_items.erase(m_items.begin() + index);
}

void MediaPlaylist::clear() {
    m_mpv.clear();
    m_items.clear();
}
