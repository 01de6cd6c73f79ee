#include "NumberText.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(NumberText, OnlyAWholeNumberWithin64BitsIsANumber) {
    const std::pair<const char*, std::int64_t> numbers[] = {
        {"12", 12},
        {" 15\t", 15},
        {"-3", -3},
        {"007", 7},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()}};
    for (const auto& [text, value] : numbers)
        EXPECT_EQ(NumberText::wholeNumber(text), value) << text;
    for (const char* text : {"9223372036854775808", "99999999999999999999", "1e3", "0x1F", "abc",
                             "7abc", "12.7", "+8", "-", "", "1 2"})
        EXPECT_EQ(NumberText::wholeNumber(text), std::nullopt) << text;
}

} // namespace
