#pragma once

#include "SongListModel.h"

#include <pugixml.hpp>

#include <vector>

class CatalogueBuilder;
class XmlDocument;

// Reads the catalogue and song-list replies. The XPath expressions of these replies live here.
class ReplyReader {
public:
    enum class Outcome { Complete, Malformed };

    using Elements = pugi::xml_object_range<pugi::xml_named_node_iterator>;

    // The elements that "/root/artist" and "/root/album" select, walked directly: a node set
    // of 100,000 albums would cost more than reading them.
    static Elements artists(const XmlDocument& reply);
    static Elements albums(const XmlDocument& reply);
    static std::size_t count(const Elements& elements);
    // Elements without an id or a name cannot become nodes and are left out.
    static void addArtists(const Elements& artists, CatalogueBuilder& catalogue);
    static void addAlbums(const Elements& albums, CatalogueBuilder& catalogue);

    // One entry per song, in reply order; stops at the first song without a title, an id or
    // (with the artist) an artist, keeping the entries before it.
    static Outcome songs(const XmlDocument& reply, bool withArtist,
                         std::vector<SongListModel::Entry>& entries);
};
