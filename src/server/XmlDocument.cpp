#include "XmlDocument.h"

#include "HttpClient.h"

#include <QCoreApplication>
#include <QFile>

#include <string>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("XmlDocument", text); }

bool isText(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

} // namespace

void XmlDocument::fail(const QString& reason) {
    m_document.reset();
    m_loaded = false;
    m_failureReason = reason;
}

bool XmlDocument::load(const QString& filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(file.errorString());
        return false;
    }
    return loadBytes(file.readAll());
}

bool XmlDocument::load(const QUrl& url, HttpClient& http) {
    const HttpReply reply = http.get(url);
    if (!reply.ok()) {
        fail(reply.reason);
        return false;
    }
    return loadBytes(reply.body);
}

bool XmlDocument::loadBytes(const QByteArray& bytes) {
    m_failureReason.clear();
    const pugi::xml_parse_result parsed =
        m_document.load_buffer(bytes.constData(), static_cast<std::size_t>(bytes.size()),
                               pugi::parse_default | pugi::parse_fragment,
                               pugi::encoding_auto);
    if (!parsed) {
        fail(tr("The reply is not well-formed XML (%1 at byte %2).")
                 .arg(QString::fromUtf8(parsed.description()))
                 .arg(parsed.offset));
        return false;
    }
    // Parsed as a fragment so that text beside the root stays visible: XML allows exactly one
    // top-level element and nothing but markup around it.
    int elements = 0;
    for (pugi::xml_node node : m_document.children()) {
        if (node.type() == pugi::node_element)
            ++elements;
        else if (isText(node)) {
            elements = 2;
            break;
        }
    }
    if (elements != 1) {
        fail(tr("The reply is not a single XML document."));
        return false;
    }
    m_loaded = true;
    return true;
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
    if (isText(node))
        return QString::fromUtf8(node.value());
    const pugi::xml_node first = node.first_child();
    if (!first)
        return {};
    if (isText(first) && !first.next_sibling())
        return QString::fromUtf8(first.value());

    // Walk the subtree without recursion: replies are untrusted and may nest deeply.
    std::string all;
    pugi::xml_node current = first;
    while (current && current != node) {
        if (isText(current))
            all += current.value();
        if (current.first_child()) {
            current = current.first_child();
            continue;
        }
        while (current != node && !current.next_sibling())
            current = current.parent();
        if (current != node)
            current = current.next_sibling();
    }
    return QString::fromStdString(all);
}

std::optional<QString> XmlDocument::attribute(pugi::xml_node node, const char* name) {
    const pugi::xml_attribute found = node.attribute(name);
    if (!found)
        return std::nullopt;
    return QString::fromUtf8(found.value());
}
