#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

// The same reading for UTF-16 and UTF-8 texts: every character it looks at is ASCII.
template <typename Text> std::int64_t wholeNumberOf(Text text) {
    using Char = typename Text::value_type;
    const auto is = [](Char c, char ascii) { return c == static_cast<Char>(ascii); };
    const auto code = [](Char c) { return static_cast<char>(static_cast<unsigned>(c) & 0x7F); };
    std::size_t i = 0;
    const std::size_t n = static_cast<std::size_t>(text.size());
    while (i < n && (is(text[i], ' ') || is(text[i], '\t')))
        ++i;
    std::string number;
    auto digits = [&] {
        std::size_t count = 0;
        while (i < n && static_cast<unsigned>(text[i]) >= '0' &&
               static_cast<unsigned>(text[i]) <= '9') {
            number += code(text[i]);
            ++i;
            ++count;
        }
        return count;
    };
    if (i < n && (is(text[i], '-') || is(text[i], '+')))
        number += code(text[i++]);
    std::size_t mantissaDigits = digits();
    if (i < n && is(text[i], '.')) {
        number += '.';
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return 0;
    if (i + 1 < n && (is(text[i], 'e') || is(text[i], 'E'))) {
        const std::size_t mark = i;
        const std::size_t kept = number.size();
        number += 'e';
        ++i;
        if (is(text[i], '-') || is(text[i], '+'))
            number += code(text[i++]);
        if (digits() == 0) {
            number.resize(kept);
            i = mark;
        }
    }
    // Whole numbers are exact in 64 bits; only fractions and exponents need floating point.
    const char* first = number.data() + (number[0] == '+' ? 1 : 0);
    const char* last = number.data() + number.size();
    constexpr auto lowest = std::numeric_limits<std::int64_t>::min();
    constexpr auto highest = std::numeric_limits<std::int64_t>::max();
    if (number.find_first_of(".e") == std::string::npos) {
        std::int64_t whole = 0;
        if (std::from_chars(first, last, whole).ec == std::errc::result_out_of_range)
            return number[0] == '-' ? lowest : highest;
        return whole;
    }
    double value = 0;
    if (std::from_chars(first, last, value).ec == std::errc::result_out_of_range) {
        const bool negative = number[0] == '-';
        if (number.find("e-") != std::string::npos) // a tiny fraction
            return negative ? -1 : 0;
        return negative ? lowest : highest;
    }
    value = std::floor(value);
    if (value <= static_cast<double>(lowest))
        return lowest;
    if (value >= static_cast<double>(highest))
        return highest;
    return static_cast<std::int64_t>(value);
}

} // namespace

std::int64_t NumberText::wholeNumber(QStringView text) {
    return wholeNumberOf(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()),
                                             static_cast<std::size_t>(text.size())));
}

std::int64_t NumberText::wholeNumber(std::string_view utf8) {
    return wholeNumberOf(utf8);
}
