#include "SongListModel.h"

#include <QThread>

void SongListModel::Rows::add(std::string_view line, std::optional<std::int64_t> id) {
    rows.push_back({static_cast<std::uint32_t>(text.size()),
                    static_cast<std::uint32_t>(line.size()), id.has_value(), id.value_or(0)});
    text.append(line);
}

void SongListModel::clear() {
    setRows({});
}

void SongListModel::setRows(Rows rows) {
    // Views read the model while they paint: it changes on their thread or not at all.
    if (QThread::currentThread() != thread())
        qFatal("SongListModel filled from a thread it does not belong to");
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

SongListModel::Rows SongListModel::takeRows() {
    Rows taken = std::move(m_rows);
    setRows({});
    return taken;
}

SongListModel::Entry SongListModel::entry(int row) const {
    const Rows::Row& r = m_rows.rows[static_cast<std::size_t>(row)];
    return {QString::fromUtf8(m_rows.text.data() + r.textAt, static_cast<qsizetype>(r.textSize)),
            r.hasId ? std::optional(r.id) : std::nullopt};
}

int SongListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant SongListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole)
        return entry(index.row()).text;
    if (role == IdRole) {
        const Rows::Row& r = m_rows.rows[static_cast<std::size_t>(index.row())];
        return r.hasId ? QVariant::fromValue<qint64>(r.id) : QVariant();
    }
    return {};
}
