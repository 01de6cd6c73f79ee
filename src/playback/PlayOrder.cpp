#include "PlayOrder.h"

#include "PlaylistModel.h"

#include <algorithm>

namespace {
constexpr std::size_t MaxHistory = 1000;
} // namespace

PlayOrder::PlayOrder(std::uint32_t seed) : m_random(seed) {
}

void PlayOrder::setShuffled(bool shuffled) {
    m_shuffled = shuffled;
    restart();
}

void PlayOrder::restart() {
    m_history.clear();
    m_at = 0;
    m_round.clear();
    m_drawn.reset();
}

void PlayOrder::enter(const std::shared_ptr<MediaItem>& item) {
    if (!m_shuffled || !item)
        return;
    // A drawn entry is a new step even where it is also one of the steps back.
    const bool drawn = item == m_drawn;
    if (!m_history.empty() && m_history[m_at] == item) {
        // already where we are
    } else if (!drawn && m_at + 1 < m_history.size() && m_history[m_at + 1] == item) {
        ++m_at;
    } else if (!drawn && m_at > 0 && m_history[m_at - 1] == item) {
        --m_at;
    } else {
        // Anything else starts a new path from here; what lay ahead of a step back is dropped.
        if (!m_history.empty())
            m_history.resize(m_at + 1);
        m_history.push_back(item);
        // A day's listening back is plenty; the oldest steps go.
        if (m_history.size() > MaxHistory)
            m_history.erase(m_history.begin());
        m_at = m_history.size() - 1;
    }
    if (drawn) {
        if (m_drawnStartsRound)
            m_round.clear();
        m_drawn.reset();
    }
    m_round.insert(item);
}

void PlayOrder::forget(const std::shared_ptr<MediaItem>& item) {
    m_round.erase(item);
    if (item == m_drawn)
        m_drawn.reset();
    for (std::size_t i = m_history.size(); i-- > 0;) {
        if (m_history[i] != item)
            continue;
        m_history.erase(m_history.begin() + static_cast<std::ptrdiff_t>(i));
        if (i < m_at || (i == m_at && m_at > 0))
            --m_at;
    }
}

std::shared_ptr<MediaItem> PlayOrder::after(const PlaylistModel& list,
                                            const std::shared_ptr<MediaItem>& current) {
    const int index = list.indexOf(current);
    if (index < 0)
        return nullptr;
    if (!m_shuffled) {
        if (index + 1 < list.count())
            return list.item(index + 1);
        return m_repeat == RepeatMode::Off ? nullptr : list.item(0);
    }
    if (!m_history.empty() && m_history[m_at] == current && m_at + 1 < m_history.size())
        return m_history[m_at + 1];
    if (m_drawn && m_drawn != current && list.indexOf(m_drawn) >= 0)
        return m_drawn;
    return draw(list, current);
}

std::shared_ptr<MediaItem> PlayOrder::draw(const PlaylistModel& list,
                                           const std::shared_ptr<MediaItem>& current) {
    std::vector<std::shared_ptr<MediaItem>> unplayed;
    for (int row = 0; row < list.count(); ++row)
        if (std::shared_ptr<MediaItem> entry = list.item(row);
            entry != current && !m_round.count(entry))
            unplayed.push_back(std::move(entry));
    m_drawnStartsRound = unplayed.empty();
    if (m_drawnStartsRound) {
        if (m_repeat == RepeatMode::Off)
            return nullptr;
        // A new round, which does not begin with the entry that ended the last one.
        for (int row = 0; row < list.count(); ++row)
            if (std::shared_ptr<MediaItem> entry = list.item(row); entry != current)
                unplayed.push_back(std::move(entry));
        if (unplayed.empty())
            return current;
    }
    std::uniform_int_distribution<std::size_t> pick(0, unplayed.size() - 1);
    m_drawn = unplayed[pick(m_random)];
    return m_drawn;
}

std::shared_ptr<MediaItem> PlayOrder::before(const PlaylistModel& list,
                                             const std::shared_ptr<MediaItem>& current) const {
    const int index = list.indexOf(current);
    if (index < 0)
        return nullptr;
    if (m_shuffled) {
        if (!m_history.empty() && m_history[m_at] == current && m_at > 0)
            return m_history[m_at - 1];
        return nullptr;
    }
    if (index > 0)
        return list.item(index - 1);
    return m_repeat == RepeatMode::Off ? nullptr : list.item(list.count() - 1);
}
