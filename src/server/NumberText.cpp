#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

std::int64_t NumberText::wholeNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    std::string number;
    auto digits = [&] {
        qsizetype count = 0;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            number += static_cast<char>(text[i].unicode());
            ++i;
            ++count;
        }
        return count;
    };
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        number += static_cast<char>(text[i++].unicode());
    qsizetype mantissaDigits = digits();
    if (i < n && text[i] == u'.') {
        number += '.';
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return 0;
    if (i + 1 < n && (text[i] == u'e' || text[i] == u'E')) {
        const qsizetype mark = i;
        const std::size_t kept = number.size();
        number += 'e';
        ++i;
        if (text[i] == u'-' || text[i] == u'+')
            number += static_cast<char>(text[i++].unicode());
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
