#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QString>

#include <vector>

// The catalogue tree: artists at the top level, their albums below. Each node carries the key
// that track lists are fetched by ("artist12", "album7"). Built in bulk so that a catalogue of
// 100,000 albums costs one model reset, not one notification per node.
class CatalogueModel : public QAbstractItemModel {
    Q_OBJECT

public:
    static constexpr int KeyRole = Qt::UserRole + 1;

    struct Node {
        QString key;
        QString text;
    };
    struct Artist {
        Node node;
        std::vector<Node> albums;
    };
    struct PlacedAlbum {
        int artistRow = 0;
        Node node;
    };

    using QAbstractItemModel::QAbstractItemModel;

    void clear();
    // Replaces the whole tree by these top-level nodes. Later duplicates of a key are dropped.
    void setArtists(std::vector<Artist> artists);
    // Adds each album as the last child of its artist, in the order given.
    void appendAlbums(std::vector<PlacedAlbum> albums);

    int rowOfKey(const QString& key) const { return m_rowOfKey.value(key, -1); }
    int artistCount() const { return static_cast<int>(m_artists.size()); }
    const Artist& artist(int row) const { return m_artists[static_cast<std::size_t>(row)]; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const Node* nodeAt(const QModelIndex& index) const;

    std::vector<Artist> m_artists;
    QHash<QString, int> m_rowOfKey;
};
