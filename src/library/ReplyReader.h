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

    static pugi::xpath_node_set artists(const XmlDocument& reply);
    static pugi::xpath_node_set albums(const XmlDocument& reply);
    // Elements without an id or a name cannot become nodes and are left out.
    static void addArtists(const pugi::xpath_node_set& artists, CatalogueBuilder& catalogue);
    static void addAlbums(const pugi::xpath_node_set& albums, CatalogueBuilder& catalogue);

    // One entry per song, in reply order; stops at the first song without a title, an id or
    // (with the artist) an artist, keeping the entries before it.
    static Outcome songs(const XmlDocument& reply, bool withArtist,
                         std::vector<SongListModel::Entry>& entries);
};
