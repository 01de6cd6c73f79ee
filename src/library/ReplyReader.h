#pragma once

#include "SongListModel.h"

#include <pugixml.hpp>

#include <iterator>
#include <string_view>
#include <vector>

class CatalogueBuilder;
class XmlDocument;

// Reads the catalogue and song-list replies. The XPath expressions of these replies live here.
class ReplyReader {
public:
    enum class Outcome { Complete, Malformed };

    // The children of one element that have one name. pugixml's own named walk calls strcmp for
    // every sibling, which was a third of reading 100,000 albums; these names are compared inline.
    class Elements {
    public:
        class iterator {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = pugi::xml_node;
            using difference_type = std::ptrdiff_t;
            using pointer = const pugi::xml_node*;
            using reference = pugi::xml_node;

            iterator() = default;
            iterator(pugi::xml_node node, std::string_view name);
            pugi::xml_node operator*() const { return m_node; }
            iterator& operator++();
            iterator operator++(int);
            bool operator==(const iterator& other) const { return m_node == other.m_node; }

        private:
            void skipOthers();

            pugi::xml_node m_node;
            std::string_view m_name;
        };

        Elements(pugi::xml_node parent, std::string_view name) : m_parent(parent), m_name(name) {}
        iterator begin() const { return {m_parent.first_child(), m_name}; }
        iterator end() const { return {}; }

    private:
        pugi::xml_node m_parent;
        std::string_view m_name;
    };

    // Whether the node is named exactly this.
    static bool isNamed(pugi::xml_node node, std::string_view name);

    // The elements that "/root/artist", "/root/album" and "/root/song" select, walked directly:
    // a node set of 100,000 albums would cost more than reading them.
    static Elements artists(const XmlDocument& reply);
    static Elements albums(const XmlDocument& reply);
    static std::size_t count(const Elements& elements);
    // Elements without an id or a name cannot become nodes and are left out. An overlong id
    // makes the reply malformed: reading stops there, keeping what came before. Texts are cut
    // to a readable length.
    static Outcome addArtists(const Elements& artists, CatalogueBuilder& catalogue);
    static Outcome addAlbums(const Elements& albums, CatalogueBuilder& catalogue);

    // One entry per song, in reply order; stops at the first song without a title, an id or
    // (with the artist) an artist, or with an overlong id, keeping the entries before it.
    static Outcome songs(const XmlDocument& reply, bool withArtist, SongListModel::Rows& out);
};
