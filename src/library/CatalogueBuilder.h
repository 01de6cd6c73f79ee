#pragma once

#include "CatalogueModel.h"
#include "IdIndex.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Collects a catalogue in one pass over each reply: one hash lookup per artist and per album, and
// one more per album when the two are joined. Nodes whose key would repeat one already there are
// left out; an album whose artist has no node goes under "Various", which is always the first
// node. The artists and the albums share nothing until take(), so each reply may be read on a
// thread of its own while the other is.
class CatalogueBuilder {
public:
    CatalogueBuilder(const CatalogueBuilder&) = delete;
    CatalogueBuilder& operator=(const CatalogueBuilder&) = delete;
    CatalogueBuilder();

    // Texts are UTF-8. Each returns false when the element was left out.
    bool addArtist(std::string_view id, std::string_view name, std::string_view songs);
    // Without an artist id the album has no artist to find, so "Various" takes it.
    bool addAlbum(std::string_view id, std::string_view name, std::string_view tracks,
                  std::optional<std::string_view> artistId);

    // Forgets every album added so far: a reply of albums that fails half way adds none.
    void dropAlbums();

    void reserveArtists(std::size_t count);
    void reserveAlbums(std::size_t count);
    // The artists alone, "Various" first, without albums; the builder keeps them.
    CatalogueModel::Contents artists() const;
    // The artists with their albums; the builder is left empty.
    CatalogueModel::Contents take();

private:
    struct NodeId {
        const std::string* text;
        const std::vector<CatalogueModel::Node>* nodes;
        std::string_view operator()(std::uint32_t entry) const;
    };
    // An album's artist id, in the albums' text; none has size 0.
    struct ArtistRef {
        std::uint32_t at = 0;
        std::uint32_t size = 0;
        bool given = false;
    };

    static CatalogueModel::Node makeNode(std::string& text, std::string_view id,
                                         std::string_view name, std::string_view count);

    // The artists' side.
    CatalogueModel::Contents m_contents;
    IdIndex<NodeId> m_artistIds{NodeId{&m_contents.text, &m_contents.artists}};
    // The albums' side: their texts apart, until take() moves them behind the artists'.
    std::string m_albumText;
    std::vector<CatalogueModel::Node> m_albumNodes; // in reply order
    std::vector<ArtistRef> m_albumArtists;          // the same order
    IdIndex<NodeId> m_albumIds{NodeId{&m_albumText, &m_albumNodes}};
};
