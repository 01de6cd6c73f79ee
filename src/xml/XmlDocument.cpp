#include "XmlDocument.h"

#include "XmlStream.h"

#include <QCoreApplication>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <string>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("XmlDocument", text);
}

bool isText(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// A text of blanks only is a value like any other (a user name " ", a song titled " "); the
// blanks between elements still make no nodes.
// An element's first text is kept as the element's own value, not as a node of its own: a reply
// of a million songs has three million such texts, and a node costs 64 bytes.
// As a fragment, text outside the root element is kept as a node, in every encoding, so that it
// can be refused.
constexpr unsigned ParseOptions = pugi::parse_default | pugi::parse_ws_pcdata_single |
                                  pugi::parse_embed_pcdata | pugi::parse_fragment;

// From this size on, a released reply's memory goes back to the system at once.
constexpr qsizetype LargeReplyBytes = 4 * 1024 * 1024;

// A page of HTML, half a document or two documents: to the user, all the same.
QString notXml() {
    return tr("The reply is not XML.");
}

} // namespace

void XmlDocument::fail(const QString& reason) {
    m_document.reset();
    m_buffer.clear();
    m_loaded = false;
    m_failureReason = reason;
}

void XmlDocument::setFetchFailure(const QString& reason, bool cancelled) {
    m_cancelled = cancelled;
    fail(reason);
}

void XmlDocument::release() {
#ifdef __GLIBC__
    const bool large = m_buffer.size() > LargeReplyBytes;
#endif
    m_document.reset();
    m_buffer = QByteArray();
    m_loaded = false;
    // A large reply's nodes were allocated by the worker thread that read it, in an arena the
    // GUI thread does not allocate from: unless they go back to the system, they stay resident
    // beside everything the GUI thread builds next.
#ifdef __GLIBC__
    if (large)
        malloc_trim(0);
#endif
}

bool XmlDocument::loadBytes(QByteArray bytes) {
    m_cancelled = false;
    m_failureReason.clear();
    m_document.reset();
    m_buffer = std::move(bytes);
    const pugi::xml_parse_result parsed =
        m_document.load_buffer_inplace(m_buffer.data(), static_cast<std::size_t>(m_buffer.size()),
                                       ParseOptions, pugi::encoding_auto);
    if (!parsed) {
        fail(notXml());
        return false;
    }
    // A document has exactly one element, and no text beside it.
    int elements = 0;
    bool text = false;
    for (pugi::xml_node node : m_document.children()) {
        elements += node.type() == pugi::node_element ? 1 : 0;
        text = text || node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
    }
    if (elements != 1 || text) {
        fail(notXml());
        return false;
    }
    m_loaded = true;
    return true;
}

void XmlDocument::loadStreamed(const XmlStream& stream) {
    m_cancelled = false;
    m_failureReason.clear();
    m_document.reset();
    m_buffer.clear();
    pugi::xml_node root = m_document.append_child(stream.documentElement().c_str());
    if (const std::optional<XmlRecord>& error = stream.errorElement()) {
        pugi::xml_node element = root.append_child(error->name().c_str());
        for (const auto& [name, value] : error->attributes())
            element.append_attribute(name.c_str()).set_value(value.c_str());
        element.append_child(pugi::node_pcdata).set_value(error->text().c_str());
    }
    m_loaded = true;
}

pugi::xml_node XmlDocument::documentElement() const {
    return m_loaded ? m_document.document_element() : pugi::xml_node();
}

pugi::xml_node XmlDocument::selectSingleNode(const char* path) const {
    if (!m_loaded)
        return {};
    return m_document.select_node(path).node();
}

pugi::xpath_node_set XmlDocument::selectNodes(const char* path) const {
    if (!m_loaded)
        return {};
    return m_document.select_nodes(path);
}

QString XmlDocument::text(pugi::xml_node node) {
    if (!node)
        return {};
    if (!node.first_child() && (node.type() == pugi::node_element || isText(node)))
        return QString::fromUtf8(node.value());
    std::string all;
    appendText(node, all);
    return QString::fromStdString(all);
}

// An element's own value is its first text, so it comes before its children's.
std::string_view XmlDocument::ownText(pugi::xml_node node) {
    return node.type() == pugi::node_element || isText(node) ? node.value() : "";
}

void XmlDocument::appendText(pugi::xml_node node, std::string& out) {
    if (!node)
        return;
    out += ownText(node);
    // Walk the subtree without recursion: replies are untrusted and may nest deeply.
    pugi::xml_node current = node.first_child();
    while (current && current != node) {
        out += ownText(current);
        if (current.first_child()) {
            current = current.first_child();
            continue;
        }
        while (current != node && !current.next_sibling())
            current = current.parent();
        if (current != node)
            current = current.next_sibling();
    }
}

std::optional<QString> XmlDocument::attribute(pugi::xml_node node, const char* name) {
    const pugi::xml_attribute found = node.attribute(name);
    if (!found)
        return std::nullopt;
    return QString::fromUtf8(found.value());
}
