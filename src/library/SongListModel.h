#pragma once

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <vector>

// One song list: a line of text per track and, behind it, the song's id on the server.
class SongListModel : public QAbstractListModel {
    Q_OBJECT

public:
    static constexpr int IdRole = Qt::UserRole + 1;

    struct Entry {
        QString text;
        std::int64_t id = 0;
    };

    using QAbstractListModel::QAbstractListModel;

    void clear();
    void setEntries(std::vector<Entry> entries);
    // Empties the list, handing back what it held.
    std::vector<Entry> takeEntries();

    int count() const { return static_cast<int>(m_entries.size()); }
    const Entry& entry(int row) const { return m_entries[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<Entry> m_entries;
};
