#pragma once

#include <QAbstractItemModel>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// The catalogue tree: artists at the top level, their albums below. Each node carries the key
// that track lists are fetched by ("artist12", "album7"). The texts of all nodes share one UTF-8
// buffer and are turned into strings only when the view asks for them, so a catalogue of
// 100,000 albums is a few flat arrays and one model reset.
class CatalogueModel : public QAbstractItemModel {
    Q_OBJECT

public:
    static constexpr int KeyRole = Qt::UserRole + 1;

    struct Node {
        std::uint32_t idAt = 0;
        std::uint32_t idSize = 0;
        std::uint32_t textAt = 0;
        std::uint32_t textSize = 0;
    };
    struct Contents {
        std::string text;          // every id and node text, back to back
        std::vector<Node> artists; // top level, in order
        std::vector<Node> albums;  // grouped by artist, each group in order
        std::vector<std::uint32_t>
            firstAlbum; // artist i owns albums [firstAlbum[i], firstAlbum[i+1])
    };

    using QAbstractItemModel::QAbstractItemModel;

    void clear();
    // Replaces the whole tree.
    void setContents(Contents contents);
    // Empties the tree, handing back what it held.
    Contents takeContents();

    int artistCount() const { return static_cast<int>(m_contents.artists.size()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The tree hides its header, but a screen reader still names the column by it.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    int albumCount(int artistRow) const;
    QString textAt(std::uint32_t at, std::uint32_t size) const;

    Contents m_contents;
};
