#include "NumberText.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(NumberText, OnlyAWholeNumberWithin64BitsIsANumber) {
    constexpr auto highest = std::numeric_limits<std::int64_t>::max();
    constexpr auto lowest = std::numeric_limits<std::int64_t>::min();
    const struct {
        const char* text;
        std::optional<std::int64_t> expected;
    } cases[] = {
        {"12", 12},
        {" 15\t", 15},
        {"-3", -3},
        {"007", 7},
        {"9223372036854775807", highest},
        {"-9223372036854775808", lowest},
        {"9223372036854775808", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"1e3", std::nullopt},
        {"0x1F", std::nullopt},
        {"abc", std::nullopt},
        {"7abc", std::nullopt},
        {"12.7", std::nullopt},
        {"+8", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
        {"1 2", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberText::wholeNumber(c.text), c.expected) << c.text;
}

} // namespace
