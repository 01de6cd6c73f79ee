#pragma once

#include <QString>

#include <pugixml.hpp>

#include <optional>
#include <string>
#include <string_view>

// How much of a server's text the client takes. A server (or anyone on a plain http path) can
// send names of megabytes, which would freeze every view that lays them out; texts are cut to a
// length a person can read, and ids and tokens, which are sent back in every request, must be
// short or the reply is not accepted at all. Lengths count characters (code points).
class ReplyText {
public:
    static constexpr qsizetype MaxLength = 4096;
    static constexpr qsizetype MaxIdLength = 1024;

    // The text itself, or its first MaxLength - 1 characters and "…".
    static QString bounded(QString text);
    // The same for UTF-8: the text itself when short enough, else the cut text, kept in scratch.
    static std::string_view bounded(std::string_view utf8, std::string& scratch);

    static bool isAcceptableId(std::string_view utf8);
    static bool isAcceptableId(const QString& text);

    // A node's whole text content, cut.
    static QString of(pugi::xml_node node);
    // An attribute's text, cut; nothing when the attribute is missing.
    static std::optional<QString> attribute(pugi::xml_node node, const char* name);
};
