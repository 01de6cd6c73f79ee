#pragma once

#include "XmlDocument.h"
#include "XmlStream.h"

#include <QByteArray>

#include <utility>

// One reply as it is read: through the stream reader, whose refusals every reply gets, with the
// reply's own element reader, or (without one) kept whole and loaded once it has come.
class ReplyReading {
public:
    explicit ReplyReading(XmlStream::ElementReader read)
        : m_whole(!read), m_stream(std::move(read)) {}

    // False once the reply is refused.
    bool feed(const QByteArray& piece);
    // The reply has come whole: document() holds it, or the reason it was refused.
    void end();
    QString refusalMessage() const { return m_stream.refusalMessage(); }
    XmlDocument& document() { return m_document; }

private:
    bool m_whole;
    XmlStream m_stream;
    QByteArray m_body; // a reply kept whole, until its end
    XmlDocument m_document;
};
