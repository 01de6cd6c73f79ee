#include "ReplyText.h"

#include "XmlDocument.h"
#include "XmlRecord.h"

// A text the stream reader kept only in part is still longer than any the client takes.
static_assert(XmlRecord::MaxTextBytes >= 4 * (ReplyText::MaxLength + 1));

namespace {

constexpr char Ellipsis[] = "\u2026";

// Where a character starts: not in the middle of a UTF-8 sequence or of a surrogate pair.
bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}
bool startsCharacter(QChar unit) {
    return !unit.isLowSurrogate();
}

// The offset where the character after the first `count` characters starts, or -1 when the
// text has no more than that.
template <typename Text> qsizetype offsetAfter(const Text& text, qsizetype count) {
    qsizetype seen = 0;
    for (qsizetype i = 0; i < static_cast<qsizetype>(text.size()); ++i) {
        if (!startsCharacter(text[i]))
            continue;
        if (seen == count)
            return i;
        ++seen;
    }
    return -1;
}

} // namespace

// A text of no more units than the limit cannot have more characters.
QString ReplyText::bounded(QString text) {
    if (text.size() <= MaxLength || offsetAfter(text, MaxLength) < 0)
        return text;
    text.truncate(offsetAfter(text, MaxLength - 1));
    return text + QString::fromUtf8(Ellipsis);
}

std::string_view ReplyText::bounded(std::string_view utf8, std::string& scratch) {
    if (utf8.size() <= static_cast<std::size_t>(MaxLength) || offsetAfter(utf8, MaxLength) < 0)
        return utf8;
    scratch.assign(utf8.substr(0, static_cast<std::size_t>(offsetAfter(utf8, MaxLength - 1))));
    scratch += Ellipsis;
    return scratch;
}

bool ReplyText::isAcceptableId(std::string_view utf8) {
    return utf8.size() <= static_cast<std::size_t>(MaxIdLength) ||
           offsetAfter(utf8, MaxIdLength) < 0;
}

bool ReplyText::isAcceptableId(const QString& text) {
    return text.size() <= MaxIdLength || offsetAfter(text, MaxIdLength) < 0;
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
