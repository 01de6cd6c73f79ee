#include "SongListModel.h"

void SongListModel::clear() {
    setEntries({});
}

void SongListModel::setEntries(std::vector<Entry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

std::vector<SongListModel::Entry> SongListModel::takeEntries() {
    beginResetModel();
    std::vector<Entry> taken = std::move(m_entries);
    m_entries.clear();
    endResetModel();
    return taken;
}

int SongListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant SongListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    const Entry& e = entry(index.row());
    if (role == Qt::DisplayRole)
        return e.text;
    if (role == IdRole)
        return QVariant::fromValue<qint64>(e.id);
    return {};
}
