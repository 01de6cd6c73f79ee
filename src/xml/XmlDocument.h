#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <string_view>

// One XML document: the settings file or one server reply. A failed load of any kind (transport
// failure, not XML, more than one top-level element) leaves no document element
// and a reason. DTDs are skipped, never fetched, and no entity beyond XML's own is expanded.
class XmlStream;

class XmlDocument {
public:
    // The reply's bytes could not be fetched: no document, and the reason. A cancel is told apart,
    // since the user asked for it.
    void setFetchFailure(const QString& reason, bool cancelled);
    // Lets go of the reply's bytes and its nodes once what was wanted of them has been read.
    void release();
    // Parses in place: the document keeps the bytes.
    bool loadBytes(QByteArray bytes);
    // What a reply read as a stream leaves for the session and the failure report: its document
    // element, and the server's error element when it sent one. The elements it streamed past
    // were its reader's.
    void loadStreamed(const XmlStream& stream);

    pugi::xml_node documentElement() const;
    bool hasDocumentElement() const { return static_cast<bool>(documentElement()); }
    const QString& failureReason() const { return m_failureReason; }
    // The last fetch was cancelled by the user.
    bool wasCancelled() const { return m_cancelled; }

    // XPath 1.0 location paths. Relative paths start at the document node.
    pugi::xml_node selectSingleNode(const char* path) const;
    pugi::xpath_node_set selectNodes(const char* path) const;

    // The node's whole text content, as the concatenation of every text below it.
    static QString text(pugi::xml_node node);
    // The same text as UTF-8, appended to a buffer: for loops over large replies.
    static void appendText(pugi::xml_node node, std::string& out);
    // The text a node holds itself: a text node's, or an element's first text.
    static std::string_view ownText(pugi::xml_node node);
    static std::optional<QString> attribute(pugi::xml_node node, const char* name);

private:
    void fail(const QString& reason);

    QByteArray m_buffer;
    pugi::xml_document m_document;
    bool m_loaded = false;
    QString m_failureReason;
    bool m_cancelled = false;
};
