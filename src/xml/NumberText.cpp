#include "NumberText.h"

#include <charconv>

std::optional<std::int64_t> NumberText::wholeNumber(std::string_view utf8) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (!utf8.empty() && isBlank(utf8.front()))
        utf8.remove_prefix(1);
    while (!utf8.empty() && isBlank(utf8.back()))
        utf8.remove_suffix(1);
    // from_chars takes a minus sign but no plus, and stops at the first character that is not
    // a digit: the whole text must be used.
    std::int64_t value = 0;
    const char* last = utf8.data() + utf8.size();
    const auto [end, error] = std::from_chars(utf8.data(), last, value);
    if (utf8.empty() || error != std::errc() || end != last)
        return std::nullopt;
    return value;
}
