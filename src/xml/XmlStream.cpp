#include "XmlStream.h"

#include <QCoreApplication>

#include <expat.h>

#include <cstring>

namespace {

constexpr char RootElement[] = "root";
constexpr char ErrorElement[] = "error";
// Enough to tell UTF-32 from the rest: a byte-order mark, or a "<" in four bytes.
constexpr qsizetype EncodingBytes = 4;
// An encoding's name as the message quotes it.
constexpr std::size_t MaxEncodingName = 64;

QString tr(const char* text) {
    return QCoreApplication::translate("XmlDocument", text);
}

// UTF-32 by its byte-order mark, or by a first "<" in four bytes: whether it is big-endian.
std::optional<bool> utf32(const QByteArray& head) {
    if (head.startsWith(QByteArray("\x00\x00\xFE\xFF", 4)) ||
        head.startsWith(QByteArray("\x00\x00\x00<", 4)))
        return true;
    if (head.startsWith(QByteArray("\xFF\xFE\x00\x00", 4)) ||
        head.startsWith(QByteArray("<\x00\x00\x00", 4)))
        return false;
    return std::nullopt;
}

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

} // namespace

void XmlStream::ParserDeleter::operator()(XML_ParserStruct* parser) const {
    XML_ParserFree(parser);
}

// Qt's UTF-32 decoder lets code points past U+10FFFF and lone surrogates through as other
// characters; a reply carrying them is broken, not text.
bool XmlStream::Utf32::translate(const char* data, std::size_t size, std::string& out) {
    out.clear();
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        carried[carriedBytes++] = data[i];
        if (carriedBytes < 4)
            continue;
        carriedBytes = 0;
        const auto byte = [this](int at) {
            return char32_t(static_cast<unsigned char>(carried[at]));
        };
        const char32_t c = bigEndian ? byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3)
                                     : byte(3) << 24 | byte(2) << 16 | byte(1) << 8 | byte(0);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        appendUtf8(c, out);
    }
    return true;
}

XmlStream::XmlStream(ElementReader read) : m_read(std::move(read)) {
}

XmlStream::~XmlStream() = default;

QString XmlStream::notXml() {
    return tr("The reply is not XML.");
}

QString XmlStream::refusalMessage() const {
    switch (m_refusal) {
    case Refusal::None:
        return {};
    case Refusal::NotXml:
        return notXml();
    case Refusal::DocumentType:
        return tr("The reply declares a document type, which is not accepted.");
    case Refusal::TooDeep:
        return tr("The reply nests its elements too deeply.");
    case Refusal::TooManyFields:
        return tr("The reply holds a record with too many fields.");
    case Refusal::TooManyAttributes:
        return tr("The reply holds an element with too many attributes.");
    case Refusal::UnknownEncoding:
        return tr("The reply's encoding %1 is not supported.")
            .arg(QString::fromStdString(m_encoding));
    }
    return notXml();
}

bool XmlStream::feed(const char* data, std::size_t size) {
    if (m_refusal != Refusal::None)
        return false;
    if (!m_parser) {
        m_head.append(data, qsizetype(size));
        return m_head.size() < EncodingBytes || start();
    }
    return parse(data, size, false);
}

bool XmlStream::finish() {
    if (m_refusal == Refusal::None && !m_parser && !start())
        return false;
    const bool whole = parse(nullptr, 0, true) && !m_documentElement.empty();
    if (m_refusal == Refusal::None && !whole)
        m_refusal = Refusal::NotXml;
    m_parser.reset();
    return whole;
}

bool XmlStream::start() {
    const std::optional<bool> wide = utf32(m_head);
    if (wide)
        m_utf32.emplace(Utf32{*wide});
    // Translated UTF-32 is UTF-8, whatever its declaration says.
    m_parser.reset(XML_ParserCreate(wide ? "UTF-8" : nullptr));
    if (!m_parser) {
        fail(Refusal::NotXml);
        return false;
    }
    XML_SetUserData(m_parser.get(), this);
    XML_SetElementHandler(m_parser.get(), &XmlStream::onStart, &XmlStream::onEnd);
    XML_SetCharacterDataHandler(m_parser.get(), &XmlStream::onText);
    XML_SetStartDoctypeDeclHandler(m_parser.get(), &XmlStream::onDoctype);
    XML_SetParamEntityParsing(m_parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetUnknownEncodingHandler(
        m_parser.get(),
        [](void* self, const XML_Char* name, XML_Encoding*) {
            auto* s = static_cast<XmlStream*>(self);
            s->m_encoding.assign(name, strnlen(name, MaxEncodingName));
            s->m_refusal = Refusal::UnknownEncoding;
            return int(XML_STATUS_ERROR);
        },
        this);
    const QByteArray first = std::exchange(m_head, QByteArray());
    return first.isEmpty() || parse(first.constData(), std::size_t(first.size()), false);
}

bool XmlStream::parse(const char* data, std::size_t size, bool last) {
    if (m_refusal != Refusal::None)
        return false;
    if (m_utf32) {
        if (!m_utf32->translate(data, size, m_translated) || (last && m_utf32->carriedBytes)) {
            fail(Refusal::NotXml);
            return false;
        }
        data = m_translated.data();
        size = m_translated.size();
    }
    // expat takes an int length: a large piece goes in slices.
    do {
        const int slice = int(std::min<std::size_t>(size, 1 << 24));
        if (XML_Parse(m_parser.get(), data, slice, last && std::size_t(slice) == size) !=
            XML_STATUS_OK) {
            fail(m_refusal == Refusal::None ? Refusal::NotXml : m_refusal);
            return false;
        }
        data += slice;
        size -= std::size_t(slice);
    } while (size > 0);
    return m_refusal == Refusal::None;
}

// From a handler: expat stops once it returns.
void XmlStream::refuse(Refusal refusal) {
    if (m_refusal == Refusal::None)
        m_refusal = refusal;
    XML_StopParser(m_parser.get(), XML_FALSE);
}

// Outside the parser's handlers: what the parser held goes at once, not with the stream.
void XmlStream::fail(Refusal refusal) {
    m_refusal = refusal;
    m_parser.reset();
    m_record = XmlRecord();
    std::string().swap(m_translated);
}

void XmlStream::onStart(void* self, const char* name, const char** attributes) {
    auto* s = static_cast<XmlStream*>(self);
    for (std::size_t i = 0; attributes[2 * i]; ++i)
        if (i == MaxAttributes)
            return s->refuse(Refusal::TooManyAttributes);
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
        if (!s->m_underRoot)
            break;
        if (s->m_record.childCount() == MaxFields)
            return s->refuse(Refusal::TooManyFields);
        s->m_child = &s->m_record.startChild(name, attributes);
        break;
    default:
        if (s->m_depth > MaxDepth)
            return s->refuse(Refusal::TooDeep);
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
        XmlRecord::appendText(s->m_child->text, piece);
}

// A web page in place of a reply is told apart: to the user it is simply not XML.
void XmlStream::onDoctype(void* self, const char* name, const char*, const char*, int) {
    static_cast<XmlStream*>(self)->refuse(QByteArray(name).compare("html", Qt::CaseInsensitive) == 0
                                              ? Refusal::NotXml
                                              : Refusal::DocumentType);
}
