#pragma once

#include <QAbstractItemModel>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CatalogueSearch;

// The catalogue tree: artists at the top level, their albums below. Each node carries the key
// that track lists are fetched by ("artist12", "album7"). The texts of all nodes share one UTF-8
// buffer and are turned into strings only when the view asks for them, so a catalogue of
// 100,000 albums is a few flat arrays and one model reset.
//
// A filter shows only the artists whose name contains its text, with all their albums, and the
// albums whose name contains it, under their artist; case and accents aside. Keys stay as they
// are. The names are folded for it on a worker once per catalogue; until that is done a filtered
// tree shows nothing.
class CatalogueModel : public QAbstractItemModel {
    Q_OBJECT

public:
    static constexpr int KeyRole = Qt::UserRole + 1;

    struct Node {
        std::uint32_t idAt = 0;
        std::uint32_t idSize = 0;
        std::uint32_t textAt = 0;
        std::uint32_t textSize = 0;
        std::uint32_t nameSize = 0; // the text's start that is the name, without the count
    };
    struct Contents {
        std::string text;          // every id and node text, back to back
        std::vector<Node> artists; // top level, in order
        std::vector<Node> albums;  // grouped by artist, each group in order
        std::vector<std::uint32_t>
            firstAlbum; // artist i owns albums [firstAlbum[i], firstAlbum[i+1])
    };

    explicit CatalogueModel(QObject* parent = nullptr);
    ~CatalogueModel() override;

    void clear();
    // Replaces the whole tree; the filter stays.
    void setContents(Contents contents);
    // Empties the tree, handing back what it held.
    Contents takeContents();

    // The whole catalogue's, whatever the filter shows.
    int artistCount() const { return static_cast<int>(m_contents.artists.size()); }

    QString filter() const { return m_filter; }
    void setFilter(const QString& text);
    // A filter waits for the names to be folded.
    bool isFolding() const { return !m_foldedFilter.isEmpty() && !m_search; }
    // The shown artists that are there for an album of theirs the filter found.
    const std::vector<int>& rowsToExpand() const { return m_rowsToExpand; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The tree hides its header, but a screen reader still names the column by it.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // The tree shows what the filter lets through, after a new filter or a new catalogue.
    void filterApplied();

private:
    struct Outbox;

    void indexNames();
    void onIndexed(std::uint64_t generation, std::shared_ptr<const CatalogueSearch> search);
    // Rebuilds what is shown from the contents, the filter and the folded names.
    void show();
    QString textAt(std::uint32_t at, std::uint32_t size) const;

    Contents m_contents;
    QString m_filter;
    QString m_foldedFilter;
    std::shared_ptr<const CatalogueSearch> m_search; // for m_contents; none while folding
    std::uint64_t m_generation = 0;
    std::uint64_t m_indexing = ~std::uint64_t(0); // the generation a worker folds
    std::shared_ptr<Outbox> m_outbox;
    // What is shown: artist i of the tree is m_contents.artists[m_shownArtists[i]], and its
    // albums are m_shownAlbums[m_firstShown[i] .. m_firstShown[i+1]).
    std::vector<std::uint32_t> m_shownArtists;
    std::vector<std::uint32_t> m_firstShown{0};
    std::vector<std::uint32_t> m_shownAlbums;
    std::vector<int> m_rowsToExpand;
};
