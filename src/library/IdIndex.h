#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// An open-addressing set of ids for one catalogue pass: entries are small integers whose id text
// the caller looks up, so inserting 100,000 ids allocates nothing per id.
template <typename IdOf> class IdIndex {
public:
    explicit IdIndex(IdOf idOf) : m_idOf(std::move(idOf)) {}

    void reserve(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity < count * 2)
            capacity *= 2;
        if (capacity > m_slots.size())
            rehash(capacity);
    }

    // The entry holding this id, or -1.
    std::int64_t find(std::string_view id) const {
        if (m_slots.empty())
            return -1;
        for (std::size_t i = slotOf(id);; i = (i + 1) & (m_slots.size() - 1)) {
            const std::uint32_t slot = m_slots[i];
            if (slot == 0)
                return -1;
            if (m_idOf(slot - 1) == id)
                return slot - 1;
        }
    }

    // Adds the entry unless its id is there already; returns whether it was added.
    bool insert(std::uint32_t entry) {
        if ((m_count + 1) * 2 > m_slots.size())
            rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
        const std::string_view id = m_idOf(entry);
        std::size_t i = slotOf(id);
        for (; m_slots[i] != 0; i = (i + 1) & (m_slots.size() - 1))
            if (m_idOf(m_slots[i] - 1) == id)
                return false;
        m_slots[i] = entry + 1;
        ++m_count;
        return true;
    }

private:
    std::size_t slotOf(std::string_view id) const {
        return std::hash<std::string_view>{}(id) & (m_slots.size() - 1);
    }

    void rehash(std::size_t capacity) {
        std::vector<std::uint32_t> old = std::move(m_slots);
        m_slots.assign(capacity, 0);
        m_count = 0;
        for (std::uint32_t slot : old)
            if (slot != 0)
                insert(slot - 1);
    }

    IdOf m_idOf;
    std::vector<std::uint32_t> m_slots; // entry + 1; 0 is empty
    std::size_t m_count = 0;
};
