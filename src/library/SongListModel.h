#pragma once

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One song list: a line of text per track and, behind it, the song's id on the server. A search
// can list a million songs, so the lines share one UTF-8 buffer and each becomes a string only
// when a view asks for it.
class SongListModel : public QAbstractListModel {
    Q_OBJECT

public:
    // The song's id as a qint64; no value when the server's id is no whole number.
    static constexpr int IdRole = Qt::UserRole + 1;

    struct Entry {
        QString text;
        std::optional<std::int64_t> id; // none when the server's id is no whole number
    };
    struct Rows {
        struct Row {
            std::uint32_t textAt = 0;
            // A reply is far below 2 GB: the top bit is free for whether the id is a number.
            std::uint32_t textSize : 31 = 0;
            std::uint32_t hasId : 1 = 0;
            std::int64_t id = 0;
        };
        std::string text; // every line's text, back to back
        std::vector<Row> rows;

        void add(std::string_view line, std::optional<std::int64_t> id);
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
