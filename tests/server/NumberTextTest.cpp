#include "NumberText.h"

#include <QString>

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(NumberText, ReadsTheLeadingNumberRoundedDown) {
    const struct {
        const char* text;
        std::int64_t expected;
    } cases[] = {
        {"12", 12},
        {"12.7", 12},
        {"-3.5", -4},
        {" 15", 15},
        {"\t15", 15},
        {"abc", 0},
        {"", 0},
        {"7abc", 7},
        {"-", 0},
        {".5", 0},
        {"-.5", -1},
        {"+8", 8},
        {"40001", 40001},
        {"1e3", 1000},
        {"2e", 2},
        {"3e+", 3},
        {"1.5e1", 15},
        {"1e-999", 0},
        {"-1e-999", -1},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"99999999999999999999", std::numeric_limits<std::int64_t>::max()},
        {"-99999999999999999999", std::numeric_limits<std::int64_t>::min()},
        {"1e400", std::numeric_limits<std::int64_t>::max()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberText::wholeNumber(QString::fromLatin1(c.text)), c.expected) << c.text;
}

} // namespace
