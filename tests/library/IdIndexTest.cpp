#include "IdIndex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(IdIndex, GrowingKeepsEveryIdFindable) {
    std::vector<std::string> ids;
    auto idOf = [&ids](std::uint32_t entry) { return std::string_view(ids[entry]); };
    IdIndex<decltype(idOf)> index(idOf);
    auto add = [&](std::string id) {
        ids.push_back(std::move(id));
        return index.insert(static_cast<std::uint32_t>(ids.size() - 1));
    };

    // Before any reserve, after a small one, and after a larger one: each growth moves ids
    // between the value table and the hash set.
    EXPECT_TRUE(add("5"));
    EXPECT_TRUE(add("100"));
    index.reserve(4);
    EXPECT_TRUE(add("6"));
    EXPECT_TRUE(add("500"));
    EXPECT_TRUE(add("06"));
    index.reserve(1000);
    EXPECT_TRUE(add("1999"));
    EXPECT_FALSE(add("5"));
    EXPECT_FALSE(add("100"));
    EXPECT_FALSE(add("6"));
    EXPECT_FALSE(add("06"));

    const std::vector<std::pair<std::string, std::int64_t>> expected = {
        {"5", 0},    {"100", 1}, {"6", 2}, {"500", 3},  {"06", 4},
        {"1999", 5}, {"7", -1},  {"", -1}, {"005", -1}, {"5 ", -1}};
    for (const auto& [id, entry] : expected)
        EXPECT_EQ(index.find(id), entry) << id;
}

} // namespace
