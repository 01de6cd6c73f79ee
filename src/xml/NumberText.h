#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Numbers in reply texts.
class NumberText {
public:
    // A whole decimal number that fits in 64 bits, with an optional minus sign and blanks
    // around it; anything else ("1e3", "0x1F", "abc", twenty digits) is no number at all, so
    // it is never taken for a different one.
    static std::optional<std::int64_t> wholeNumber(std::string_view utf8);
};
