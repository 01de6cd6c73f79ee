#include "CatalogueBuilder.h"

#include <algorithm>

CatalogueBuilder::CatalogueBuilder() {
    // "Various" (id 0, no count) is always there, first.
    m_contents.text = "0Various";
    m_contents.artists.push_back({0, 1, 1, 7, 7});
    m_artistIds.insert(0);
}

std::string_view CatalogueBuilder::NodeId::operator()(std::uint32_t entry) const {
    const CatalogueModel::Node& node = (*nodes)[entry];
    return std::string_view(*text).substr(node.idAt, node.idSize);
}

void CatalogueBuilder::reserveArtists(std::size_t count) {
    m_contents.artists.reserve(m_contents.artists.size() + count);
    m_artistIds.reserve(m_contents.artists.size() + count);
}

void CatalogueBuilder::reserveAlbums(std::size_t count) {
    // Room for two ids and a short name per album, so the text buffer rarely moves.
    m_albumText.reserve(m_albumText.size() + count * 40);
    m_albumArtists.reserve(count);
    m_albumNodes.reserve(count);
    m_albumIds.reserve(count);
}

CatalogueModel::Node CatalogueBuilder::makeNode(std::string& text, std::string_view id,
                                                std::string_view name, std::string_view count) {
    CatalogueModel::Node node;
    node.idAt = static_cast<std::uint32_t>(text.size());
    node.idSize = static_cast<std::uint32_t>(id.size());
    text.append(id);
    node.textAt = static_cast<std::uint32_t>(text.size());
    node.nameSize = static_cast<std::uint32_t>(name.size());
    text.append(name).append(" (").append(count).append(")");
    node.textSize = static_cast<std::uint32_t>(text.size()) - node.textAt;
    return node;
}

bool CatalogueBuilder::addArtist(std::string_view id, std::string_view name,
                                 std::string_view songs) {
    // A reply read as it arrives does not say how long it is: room doubles as it fills.
    if (m_contents.artists.size() == m_contents.artists.capacity())
        reserveArtists(std::max<std::size_t>(m_contents.artists.size(), 1024));
    const std::size_t textSize = m_contents.text.size();
    m_contents.artists.push_back(makeNode(m_contents.text, id, name, songs));
    if (m_artistIds.insert(static_cast<std::uint32_t>(m_contents.artists.size() - 1)))
        return true;
    m_contents.artists.pop_back();
    m_contents.text.resize(textSize);
    return false;
}

bool CatalogueBuilder::addAlbum(std::string_view id, std::string_view name, std::string_view tracks,
                                std::optional<std::string_view> artistId) {
    const std::size_t textSize = m_albumText.size();
    if (m_albumNodes.size() == m_albumNodes.capacity())
        reserveAlbums(std::max<std::size_t>(2 * m_albumNodes.size(), 1024));
    const auto node = static_cast<std::uint32_t>(m_albumNodes.size());
    m_albumNodes.push_back(makeNode(m_albumText, id, name, tracks));
    if (!m_albumIds.insert(node)) {
        m_albumNodes.pop_back();
        m_albumText.resize(textSize);
        return false;
    }
    ArtistRef artist;
    if (artistId) {
        artist = {static_cast<std::uint32_t>(m_albumText.size()),
                  static_cast<std::uint32_t>(artistId->size()), true};
        m_albumText.append(*artistId);
    }
    m_albumArtists.push_back(artist);
    return true;
}

void CatalogueBuilder::dropAlbums() {
    m_albumText.clear();
    m_albumNodes.clear();
    m_albumArtists.clear();
    m_albumIds = IdIndex<NodeId>{NodeId{&m_albumText, &m_albumNodes}};
}

CatalogueModel::Contents CatalogueBuilder::artists() const {
    CatalogueModel::Contents shown;
    shown.text = m_contents.text;
    shown.artists = m_contents.artists;
    return shown;
}

CatalogueModel::Contents CatalogueBuilder::take() {
    // The albums' texts go behind the artists', and their nodes point there.
    const auto base = static_cast<std::uint32_t>(m_contents.text.size());
    m_contents.text += m_albumText;
    std::vector<std::uint32_t> artistRow(m_albumNodes.size(), 0);
    for (std::size_t i = 0; i < m_albumNodes.size(); ++i) {
        m_albumNodes[i].idAt += base;
        m_albumNodes[i].textAt += base;
        const ArtistRef& ref = m_albumArtists[i];
        const std::int64_t row =
            ref.given ? m_artistIds.find(std::string_view(m_albumText).substr(ref.at, ref.size))
                      : -1;
        artistRow[i] = row < 0 ? 0 : static_cast<std::uint32_t>(row);
    }
    // Group the albums by artist, keeping their order within each artist (a counting sort).
    std::vector<std::uint32_t>& first = m_contents.firstAlbum;
    first.assign(m_contents.artists.size() + 1, 0);
    for (const std::uint32_t row : artistRow)
        ++first[row + 1];
    for (std::size_t i = 1; i < first.size(); ++i)
        first[i] += first[i - 1];
    std::vector<std::uint32_t> next(first.begin(), first.end() - 1);
    m_contents.albums.resize(m_albumNodes.size());
    for (std::size_t i = 0; i < m_albumNodes.size(); ++i)
        m_contents.albums[next[artistRow[i]]++] = m_albumNodes[i];
    dropAlbums();
    return std::move(m_contents);
}
