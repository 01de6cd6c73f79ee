#pragma once

#include "XmlRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <functional>
#include <memory>
#include <optional>
#include <string>

struct XML_ParserStruct;

// Reads a reply as its bytes arrive: each child element of the document element "root" goes to
// the reader as a record as soon as it has ended, so that a long reply is never held whole. The
// rules of a whole document hold for the stream: one element at the top and nothing after it but
// comments, instructions and blanks. Nothing is fetched, and a reply that declares an entity or
// uses one beyond XML's own is refused. UTF-8 and UTF-16, as expat reads them; UTF-32 is
// translated on the way.
class XmlStream {
public:
    using ElementReader = std::function<void(const XmlRecord& element)>;

    explicit XmlStream(ElementReader read = {});
    ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // False once the bytes are not XML; later pieces are then ignored.
    bool feed(const char* data, std::size_t size);
    bool feed(const QByteArray& piece) {
        return feed(piece.constData(), std::size_t(piece.size()));
    }
    // After the last piece: true when the pieces made one well-formed document.
    bool finish();

    static QString notXml();
    // Empty until the document element has started.
    const std::string& documentElement() const { return m_documentElement; }
    // The first "error" element under "root": the server's refusal.
    const std::optional<XmlRecord>& errorElement() const { return m_error; }

private:
    struct ParserDeleter {
        void operator()(XML_ParserStruct* parser) const;
    };

    bool start();
    bool parse(const char* data, std::size_t size, bool last);
    void refuse();
    static void onStart(void* self, const char* name, const char** attributes);
    static void onEnd(void* self, const char* name);
    static void onText(void* self, const char* text, int size);
    static void onEntityDeclaration(void* self, const char*, int, const char*, int, const char*,
                                    const char*, const char*, const char*);
    static void onSkippedEntity(void* self, const char*, int);

    ElementReader m_read;
    std::unique_ptr<XML_ParserStruct, ParserDeleter> m_parser;
    QByteArray m_head; // the first bytes, until the encoding can be told
    std::optional<QStringDecoder> m_utf32;
    std::string m_documentElement;
    int m_depth = 0;
    bool m_underRoot = false;
    XmlRecord m_record;
    XmlRecord::Child* m_child = nullptr;
    bool m_wholeText = false; // the element's own text is wanted
    std::optional<XmlRecord> m_error;
    bool m_failed = false;
};
