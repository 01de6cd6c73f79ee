#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

// A set of ids for one catalogue pass: entries are small integers whose id text the caller looks
// up, so inserting 100,000 ids allocates nothing per id.
//
// Servers mostly give out ids as plain decimal numbers, counting up. Such an id below a bound set
// by reserve() is kept in a table indexed by its value: finding it compares no text, and ids that
// arrive in order touch that table in order. Other ids go to an open-addressing hash set. A plain
// number has exactly one spelling, so "7" and "07" stay two different ids.
template <typename IdOf> class IdIndex {
public:
    explicit IdIndex(IdOf idOf) : m_idOf(std::move(idOf)) {}

    // Room for this many ids in all; a pass that knows its size calls this before inserting.
    void reserve(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity < count * 2)
            capacity *= 2;
        const std::size_t bound = count * 2 + 64;
        if (bound > m_byValue.size())
            rebuild(bound, std::max(capacity, m_slots.size()));
        else if (capacity > m_slots.size())
            rehash(capacity);
    }

    // The entry holding this id, or -1.
    std::int64_t find(std::string_view id) const {
        if (const std::optional<std::uint32_t> value = smallNumber(id))
            return static_cast<std::int64_t>(m_byValue[*value]) - 1;
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
        const std::string_view id = m_idOf(entry);
        if (const std::optional<std::uint32_t> value = smallNumber(id)) {
            std::uint32_t& slot = m_byValue[*value];
            if (slot != 0)
                return false;
            slot = entry + 1;
            return true;
        }
        if ((m_hashed + 1) * 2 > m_slots.size())
            rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
        std::size_t i = slotOf(id);
        for (; m_slots[i] != 0; i = (i + 1) & (m_slots.size() - 1))
            if (m_idOf(m_slots[i] - 1) == id)
                return false;
        m_slots[i] = entry + 1;
        ++m_hashed;
        return true;
    }

private:
    // The value of an id written as a plain decimal number (no sign, no leading zero) below the
    // table's bound.
    std::optional<std::uint32_t> smallNumber(std::string_view id) const {
        if (id.empty() || id.size() > 9 || (id[0] == '0' && id.size() > 1))
            return std::nullopt;
        std::uint32_t value = 0;
        for (const char c : id) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
        }
        if (value >= m_byValue.size())
            return std::nullopt;
        return value;
    }

    std::size_t slotOf(std::string_view id) const {
        return std::hash<std::string_view>{}(id) & (m_slots.size() - 1);
    }

    void rehash(std::size_t capacity) {
        std::vector<std::uint32_t> old = std::move(m_slots);
        m_slots.assign(capacity, 0);
        m_hashed = 0;
        for (const std::uint32_t slot : old)
            if (slot != 0)
                insert(slot - 1);
    }

    // A new bound can move hashed ids into the table, so every entry is placed again.
    void rebuild(std::size_t bound, std::size_t capacity) {
        std::vector<std::uint32_t> byValue = std::move(m_byValue);
        std::vector<std::uint32_t> hashed = std::move(m_slots);
        m_byValue.assign(bound, 0);
        m_slots.assign(capacity, 0);
        m_hashed = 0;
        for (const std::vector<std::uint32_t>* entries : {&byValue, &hashed})
            for (const std::uint32_t slot : *entries)
                if (slot != 0)
                    insert(slot - 1);
    }

    IdOf m_idOf;
    std::vector<std::uint32_t> m_byValue; // entry + 1 at the id's value; 0 is empty
    std::vector<std::uint32_t> m_slots;   // entry + 1; 0 is empty
    std::size_t m_hashed = 0;
};
