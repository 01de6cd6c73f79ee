#include "CatalogueModel.h"

void CatalogueModel::clear() {
    beginResetModel();
    m_artists.clear();
    m_rowOfKey.clear();
    endResetModel();
}

void CatalogueModel::setArtists(std::vector<Artist> artists) {
    beginResetModel();
    m_artists.clear();
    m_artists.reserve(artists.size());
    m_rowOfKey.clear();
    m_rowOfKey.reserve(static_cast<qsizetype>(artists.size()));
    for (Artist& artist : artists) {
        if (m_rowOfKey.contains(artist.node.key))
            continue;
        m_rowOfKey.insert(artist.node.key, static_cast<int>(m_artists.size()));
        m_artists.push_back(std::move(artist));
    }
    endResetModel();
}

void CatalogueModel::appendAlbums(std::vector<PlacedAlbum> albums) {
    if (albums.empty())
        return;
    // The view is collapsed after a refresh; one reset is far cheaper than 100,000 inserts.
    beginResetModel();
    for (PlacedAlbum& album : albums)
        m_artists[static_cast<std::size_t>(album.artistRow)].albums.push_back(
            std::move(album.node));
    endResetModel();
}

// Top-level indexes carry no pointer; an album's index points at its artist record, which is
// also what makes Qt's index hashing spread well.
QModelIndex CatalogueModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < artistCount() ? createIndex(row, 0, nullptr) : QModelIndex();
    if (parent.internalPointer() != nullptr)
        return {};
    const Artist& owner = m_artists[static_cast<std::size_t>(parent.row())];
    if (row >= static_cast<int>(owner.albums.size()))
        return {};
    return createIndex(row, 0, const_cast<Artist*>(&owner));
}

QModelIndex CatalogueModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalPointer() == nullptr)
        return {};
    const auto* owner = static_cast<const Artist*>(child.internalPointer());
    return createIndex(static_cast<int>(owner - m_artists.data()), 0, nullptr);
}

int CatalogueModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return artistCount();
    if (parent.internalPointer() != nullptr)
        return 0;
    return static_cast<int>(m_artists[static_cast<std::size_t>(parent.row())].albums.size());
}

int CatalogueModel::columnCount(const QModelIndex&) const { return 1; }

const CatalogueModel::Node* CatalogueModel::nodeAt(const QModelIndex& index) const {
    if (!index.isValid())
        return nullptr;
    if (index.internalPointer() == nullptr)
        return &m_artists[static_cast<std::size_t>(index.row())].node;
    const auto* owner = static_cast<const Artist*>(index.internalPointer());
    return &owner->albums[static_cast<std::size_t>(index.row())];
}

QVariant CatalogueModel::data(const QModelIndex& index, int role) const {
    const Node* node = nodeAt(index);
    if (!node)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return node->text;
    if (role == KeyRole)
        return node->key;
    return {};
}
