#pragma once

#include <QStringView>

#include <cstdint>
#include <string_view>

// Numbers read from reply texts the lenient way: leading blanks skipped, the leading numeric
// part taken (0 when there is none), rounded down to a whole number.
class NumberText {
public:
    static std::int64_t wholeNumber(QStringView text);
    static std::int64_t wholeNumber(std::string_view utf8);
};
