#pragma once

#include "XmlRecord.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

struct XML_ParserStruct;

// Reads a reply as its bytes arrive: each child element of the document element "root" goes to
// the reader as a record as soon as it has ended, so that a long reply is never held whole. The
// rules of a whole document hold for the stream: one element at the top and nothing after it but
// comments, instructions and blanks. A reply has no use for a document type declaration, so one
// is refused before any of it is read, and with it every entity beyond XML's own; nothing is
// fetched. UTF-8, UTF-16 and ISO-8859-1, as expat reads them; UTF-32 is translated on the way.
//
// What the reader holds is bounded whatever the reply's shape: elements nest no deeper than
// MaxDepth, a record has at most MaxFields children and an element at most MaxAttributes
// attributes (beyond that the reply is refused), and texts are kept only up to
// XmlRecord::MaxTextBytes.
class XmlStream {
public:
    using ElementReader = std::function<void(const XmlRecord& element)>;

    // Why a reply is not read any further.
    enum class Refusal {
        None,
        NotXml,            // not well-formed, or a character no Unicode encoding form allows
        DocumentType,      // a document type declaration
        TooDeep,           // elements nested beyond MaxDepth
        TooManyFields,     // a record with more than MaxFields children
        TooManyAttributes, // an element with more than MaxAttributes attributes
        UnknownEncoding,   // declared in an encoding the reader does not know
    };

    // The client reads three levels (root, record, field); a little markup inside a field's text
    // is allowed for.
    static constexpr int MaxDepth = 8;
    static constexpr std::size_t MaxFields = 256;
    static constexpr std::size_t MaxAttributes = 64;

    explicit XmlStream(ElementReader read = {});
    ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // False once the bytes are refused; later pieces are then ignored.
    bool feed(const char* data, std::size_t size);
    bool feed(const QByteArray& piece) {
        return feed(piece.constData(), std::size_t(piece.size()));
    }
    // After the last piece: true when the pieces made one well-formed document. Lets go of the
    // parser either way.
    bool finish();

    Refusal refusal() const { return m_refusal; }
    // What to tell the user about a refusal.
    QString refusalMessage() const;
    static QString notXml();
    // Empty until the document element has started.
    const std::string& documentElement() const { return m_documentElement; }
    // The first "error" element under "root": the server's refusal.
    const std::optional<XmlRecord>& errorElement() const { return m_error; }

private:
    struct ParserDeleter {
        void operator()(XML_ParserStruct* parser) const;
    };
    // UTF-32 as UTF-8, a code unit at a time; false on a value that is no Unicode scalar value.
    struct Utf32 {
        bool bigEndian = false;
        char carried[4] = {};
        int carriedBytes = 0;
        bool translate(const char* data, std::size_t size, std::string& out);
    };

    bool start();
    bool parse(const char* data, std::size_t size, bool last);
    void refuse(Refusal refusal);
    void fail(Refusal refusal);
    static void onStart(void* self, const char* name, const char** attributes);
    static void onEnd(void* self, const char* name);
    static void onText(void* self, const char* text, int size);
    static void onDoctype(void* self, const char*, const char*, const char*, int);

    ElementReader m_read;
    std::unique_ptr<XML_ParserStruct, ParserDeleter> m_parser;
    QByteArray m_head; // the first bytes, until the encoding can be told
    std::optional<Utf32> m_utf32;
    std::string m_translated;
    std::string m_documentElement;
    int m_depth = 0;
    bool m_underRoot = false;
    XmlRecord m_record;
    XmlRecord::Child* m_child = nullptr;
    bool m_wholeText = false; // the record's own text is wanted
    std::optional<XmlRecord> m_error;
    std::string m_encoding; // the unknown one a reply declared
    Refusal m_refusal = Refusal::None;
};
