#pragma once

#include "CatalogueModel.h"
#include "IdIndex.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Collects a catalogue in one pass over each reply: one hash lookup per artist and per album.
// Nodes whose key would repeat one already there are left out; an album whose artist has no node
// goes under "Various", which is always the first node.
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
    CatalogueModel::Contents take();

private:
    struct NodeId {
        const CatalogueBuilder* builder;
        const std::vector<CatalogueModel::Node>* nodes;
        std::string_view operator()(std::uint32_t entry) const;
    };
    struct PlacedAlbum {
        std::uint32_t artistRow;
        std::uint32_t node;
    };

    CatalogueModel::Node makeNode(std::string_view id, std::string_view name,
                                  std::string_view count);

    CatalogueModel::Contents m_contents;
    std::vector<PlacedAlbum> m_albums;
    std::vector<CatalogueModel::Node> m_albumNodes; // in reply order, for the id index
    std::size_t m_textBeforeAlbums = 0;
    IdIndex<NodeId> m_artistIds{NodeId{this, &m_contents.artists}};
    IdIndex<NodeId> m_albumIds{NodeId{this, &m_albumNodes}};
};
