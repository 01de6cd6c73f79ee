#pragma once

#include "MediaItem.h"
#include "RepeatMode.h"

#include <cstdint>
#include <memory>
#include <random>
#include <set>
#include <vector>

class PlaylistModel;

// Which entry comes after the current one and which before it. In order, they are the entries
// next to it, and with repeat on the list wraps around at its ends. Shuffled, every entry plays
// once per round, in a random order: the one to come next is drawn from those not yet played this
// round (and stays drawn until it plays or goes), Previous walks back through what has played and
// Next forward again, and with repeat on a new round begins when one is over. A repeated single
// entry is the engine's to loop; Next and Previous then move on as with the whole list repeated.
class PlayOrder {
public:
    explicit PlayOrder(std::uint32_t seed = std::random_device{}());

    RepeatMode repeat() const { return m_repeat; }
    void setRepeat(RepeatMode repeat) { m_repeat = repeat; }
    bool isShuffled() const { return m_shuffled; }
    // Either way, a fresh start: nothing counts as played.
    void setShuffled(bool shuffled);

    // The entry has become the current one.
    void enter(const std::shared_ptr<MediaItem>& item);
    // The entry has left the list.
    void forget(const std::shared_ptr<MediaItem>& item);
    // The list has run out or been emptied: the next round starts afresh.
    void restart();

    // None where the list ends.
    std::shared_ptr<MediaItem> after(const PlaylistModel& list,
                                     const std::shared_ptr<MediaItem>& current);
    std::shared_ptr<MediaItem> before(const PlaylistModel& list,
                                      const std::shared_ptr<MediaItem>& current) const;

private:
    std::shared_ptr<MediaItem> draw(const PlaylistModel& list,
                                    const std::shared_ptr<MediaItem>& current);

    RepeatMode m_repeat = RepeatMode::Off;
    bool m_shuffled = false;
    // Shuffled: the entries in the order they were current, and where the current one is.
    std::vector<std::shared_ptr<MediaItem>> m_history;
    std::size_t m_at = 0;
    std::set<std::shared_ptr<MediaItem>> m_round; // played this round
    std::shared_ptr<MediaItem> m_drawn;
    bool m_drawnStartsRound = false;
    std::mt19937 m_random;
};
