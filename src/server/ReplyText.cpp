#include "ReplyText.h"

#include "XmlDocument.h"

namespace {

constexpr char Ellipsis[] = "\u2026";

bool isContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The byte offset where the character after the first `count` characters starts, or npos when
// the text has no more than that.
std::size_t offsetAfter(std::string_view utf8, qsizetype count) {
    qsizetype seen = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (isContinuation(utf8[i]))
            continue;
        if (seen == count)
            return i;
        ++seen;
    }
    return std::string_view::npos;
}

qsizetype characters(const QString& text, qsizetype upTo) {
    qsizetype seen = 0;
    for (qsizetype i = 0; i < text.size() && seen <= upTo; ++i)
        if (!text.at(i).isLowSurrogate())
            ++seen;
    return seen;
}

} // namespace

QString ReplyText::bounded(QString text) {
    if (text.size() <= MaxLength || characters(text, MaxLength) <= MaxLength)
        return text;
    qsizetype kept = 0;
    qsizetype end = 0;
    for (; end < text.size(); ++end) {
        if (text.at(end).isLowSurrogate())
            continue;
        if (kept == MaxLength - 1)
            break;
        ++kept;
    }
    text.truncate(end);
    return text + QString::fromUtf8(Ellipsis);
}

std::string_view ReplyText::bounded(std::string_view utf8, std::string& scratch) {
    // A text of no more bytes than the limit cannot have more characters.
    if (utf8.size() <= static_cast<std::size_t>(MaxLength))
        return utf8;
    if (offsetAfter(utf8, MaxLength) == std::string_view::npos)
        return utf8;
    scratch.assign(utf8.substr(0, offsetAfter(utf8, MaxLength - 1)));
    scratch += Ellipsis;
    return scratch;
}

bool ReplyText::isAcceptableId(std::string_view utf8) {
    return utf8.size() <= static_cast<std::size_t>(MaxIdLength) ||
           offsetAfter(utf8, MaxIdLength) == std::string_view::npos;
}

bool ReplyText::isAcceptableId(const QString& text) {
    return text.size() <= MaxIdLength || characters(text, MaxIdLength) <= MaxIdLength;
}

QString ReplyText::of(pugi::xml_node node) {
    return bounded(XmlDocument::text(node));
}

std::optional<QString> ReplyText::attribute(pugi::xml_node node, const char* name) {
    std::optional<QString> value = XmlDocument::attribute(node, name);
    if (value)
        *value = bounded(std::move(*value));
    return value;
}
