#include "XmlStream.h"

#include <QCoreApplication>

#include <expat.h>

#include <cstring>

namespace {

constexpr char RootElement[] = "root";
constexpr char ErrorElement[] = "error";
// Enough to tell UTF-32 from the rest: a byte-order mark, or a "<" in four bytes.
constexpr qsizetype EncodingBytes = 4;

// UTF-32 by its byte-order mark, or by a first "<" in four bytes.
std::optional<QStringConverter::Encoding> utf32(const QByteArray& head) {
    if (head.startsWith(QByteArray("\x00\x00\xFE\xFF", 4)) ||
        head.startsWith(QByteArray("\x00\x00\x00<", 4)))
        return QStringConverter::Utf32BE;
    if (head.startsWith(QByteArray("\xFF\xFE\x00\x00", 4)) ||
        head.startsWith(QByteArray("<\x00\x00\x00", 4)))
        return QStringConverter::Utf32LE;
    return std::nullopt;
}

} // namespace

void XmlStream::ParserDeleter::operator()(XML_ParserStruct* parser) const {
    XML_ParserFree(parser);
}

XmlStream::XmlStream(ElementReader read) : m_read(std::move(read)) {
}

XmlStream::~XmlStream() = default;

QString XmlStream::notXml() {
    return QCoreApplication::translate("XmlDocument", "The reply is not XML.");
}

bool XmlStream::feed(const char* data, std::size_t size) {
    if (m_failed)
        return false;
    if (!m_parser) {
        m_head.append(data, qsizetype(size));
        return m_head.size() < EncodingBytes || start();
    }
    return parse(data, size, false);
}

bool XmlStream::finish() {
    if (!m_failed && !m_parser && !start())
        return false;
    return parse(nullptr, 0, true) && !m_documentElement.empty();
}

bool XmlStream::start() {
    const std::optional<QStringConverter::Encoding> wide = utf32(m_head);
    if (wide)
        m_utf32.emplace(*wide);
    // Translated UTF-32 is UTF-8, whatever its declaration says.
    m_parser.reset(XML_ParserCreate(wide ? "UTF-8" : nullptr));
    if (!m_parser) {
        m_failed = true;
        return false;
    }
    XML_SetUserData(m_parser.get(), this);
    XML_SetElementHandler(m_parser.get(), &XmlStream::onStart, &XmlStream::onEnd);
    XML_SetCharacterDataHandler(m_parser.get(), &XmlStream::onText);
    XML_SetEntityDeclHandler(m_parser.get(), &XmlStream::onEntityDeclaration);
    XML_SetSkippedEntityHandler(m_parser.get(), &XmlStream::onSkippedEntity);
    XML_SetParamEntityParsing(m_parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    const QByteArray first = std::exchange(m_head, QByteArray());
    return first.isEmpty() || parse(first.constData(), std::size_t(first.size()), false);
}

bool XmlStream::parse(const char* data, std::size_t size, bool last) {
    if (m_failed)
        return false;
    QByteArray translated;
    if (m_utf32) {
        translated = QString((*m_utf32)(QByteArrayView(data, qsizetype(size)))).toUtf8();
        if (m_utf32->hasError()) {
            m_failed = true;
            return false;
        }
        data = translated.constData();
        size = std::size_t(translated.size());
    }
    // expat takes an int length: a large piece goes in slices.
    do {
        const int slice = int(std::min<std::size_t>(size, 1 << 24));
        if (XML_Parse(m_parser.get(), data, slice, last && std::size_t(slice) == size) !=
            XML_STATUS_OK) {
            m_failed = true;
            return false;
        }
        data += slice;
        size -= std::size_t(slice);
    } while (size > 0);
    return !m_failed;
}

void XmlStream::refuse() {
    m_failed = true;
    XML_StopParser(m_parser.get(), XML_FALSE);
}

void XmlStream::onStart(void* self, const char* name, const char** attributes) {
    auto* s = static_cast<XmlStream*>(self);
    switch (++s->m_depth) {
    case 1:
        s->m_documentElement.assign(name);
        s->m_underRoot = s->m_documentElement == RootElement;
        break;
    case 2:
        if (s->m_underRoot) {
            s->m_record.start(name, attributes);
            s->m_wholeText = std::strcmp(name, ErrorElement) == 0;
        }
        break;
    case 3:
        if (s->m_underRoot)
            s->m_child = &s->m_record.startChild(name, attributes);
        break;
    default:
        break;
    }
}

void XmlStream::onEnd(void* self, const char*) {
    auto* s = static_cast<XmlStream*>(self);
    if (s->m_depth == 3)
        s->m_child = nullptr;
    if (s->m_depth-- != 2 || !s->m_underRoot)
        return;
    if (!s->m_error && s->m_record.name() == ErrorElement)
        s->m_error = s->m_record;
    if (s->m_read)
        s->m_read(s->m_record);
}

void XmlStream::onText(void* self, const char* text, int size) {
    auto* s = static_cast<XmlStream*>(self);
    if (s->m_depth < 2 || !s->m_underRoot)
        return;
    const std::string_view piece(text, std::size_t(size));
    if (s->m_wholeText)
        s->m_record.appendText(piece);
    if (s->m_child)
        s->m_child->text.append(piece);
}

void XmlStream::onEntityDeclaration(void* self, const char*, int, const char*, int, const char*,
                                    const char*, const char*, const char*) {
    static_cast<XmlStream*>(self)->refuse();
}

void XmlStream::onSkippedEntity(void* self, const char*, int) {
    static_cast<XmlStream*>(self)->refuse();
}
