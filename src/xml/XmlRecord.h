#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One child element of a reply's document element, as a stream reader hands it over: its name,
// its attributes, and its child elements with their attributes and whole texts (every text below
// them, in order; deeper elements only add to the texts). Its own whole text is gathered only
// where someone reads it: for the server's error element. Texts are UTF-8. Reused from element
// to element, so that reading a long reply allocates next to nothing.
//
// Texts and attribute values are kept up to MaxTextBytes: enough to tell that a text is longer
// than any a reader takes (four bytes a character at most), never a reply's megabytes.
class XmlRecord {
public:
    static constexpr std::size_t MaxTextBytes = 4 * (4096 + 1);

    using Attributes = std::vector<std::pair<std::string, std::string>>;
    struct Child {
        std::string name;
        Attributes attributes;
        std::size_t attributeCount = 0;
        std::string text;
    };

    const std::string& name() const { return m_name; }
    const std::string& text() const { return m_text; }
    std::size_t childCount() const { return m_childCount; }
    Attributes attributes() const {
        return Attributes(m_attributes.begin(), m_attributes.begin() + long(m_attributeCount));
    }
    const std::string* attribute(std::string_view name) const {
        return find(m_attributes, m_attributeCount, name);
    }
    // The first child of that name, as a lookup by path would find it.
    const Child* child(std::string_view name) const {
        for (std::size_t i = 0; i < m_childCount; ++i)
            if (m_children[i].name == name)
                return &m_children[i];
        return nullptr;
    }
    static const std::string* attribute(const Child& child, std::string_view name) {
        return find(child.attributes, child.attributeCount, name);
    }

    // For the reader that fills it.
    void start(const char* name, const char** attributes) {
        m_name.assign(name);
        m_attributeCount = fill(m_attributes, attributes);
        m_text.clear();
        m_childCount = 0;
    }
    Child& startChild(const char* name, const char** attributes) {
        if (m_childCount == m_children.size())
            m_children.emplace_back();
        Child& child = m_children[m_childCount++];
        child.name.assign(name);
        child.attributeCount = fill(child.attributes, attributes);
        child.text.clear();
        return child;
    }
    void appendText(std::string_view text) { appendText(m_text, text); }
    static void appendText(std::string& to, std::string_view text) {
        if (to.size() < MaxTextBytes)
            to.append(text.substr(0, MaxTextBytes - to.size()));
    }

private:
    static const std::string* find(const Attributes& attributes, std::size_t count,
                                   std::string_view name) {
        for (std::size_t i = 0; i < count; ++i)
            if (attributes[i].first == name)
                return &attributes[i].second;
        return nullptr;
    }
    // Into the strings already there, so that their room is used again.
    static std::size_t fill(Attributes& out, const char** attributes) {
        std::size_t count = 0;
        for (; attributes && attributes[0]; attributes += 2, ++count) {
            if (count == out.size())
                out.emplace_back();
            out[count].first.assign(attributes[0]);
            out[count].second.assign(std::string_view(attributes[1]).substr(0, MaxTextBytes));
        }
        return count;
    }

    std::string m_name;
    Attributes m_attributes;
    std::size_t m_attributeCount = 0;
    std::string m_text;
    std::vector<Child> m_children;
    std::size_t m_childCount = 0;
};
