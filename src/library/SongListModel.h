#pragma once

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

// One song list: a line of text per track and, behind it, the song's id on the server. A search
// can list a million songs, so the lines share one UTF-8 buffer and each becomes a string only
// when a view asks for it.
class SongListModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int IdRole = Qt::UserRole + 1;

    struct Entry {
        QString text;
        std::int64_t id = 0;
    };
    struct Rows {
        struct Row {
            std::uint32_t textAt = 0;
            std::uint32_t textSize = 0;
            std::int64_t id = 0;
        };
        std::string text; // every line's text, back to back
        std::vector<Row> rows;

        void add(std::string_view line, std::int64_t id);
    };

    using QAbstractListModel::QAbstractListModel;

    void clear();
    // Replaces the whole list; only on the thread the model belongs to.
    void setRows(Rows rows);
    // Empties the list, handing back what it held.
    Rows takeRows();

    int count() const { return static_cast<int>(m_rows.rows.size()); }
    Entry entry(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    Rows m_rows;
};
