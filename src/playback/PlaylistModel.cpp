#include "PlaylistModel.h"

#include <QCoreApplication>
#include <QFont>
#include <QMimeData>

#include <algorithm>

std::shared_ptr<MediaItem> PlaylistModel::item(int row) const {
    if (row < 0 || row >= count())
        return nullptr;
    return m_items[static_cast<std::size_t>(row)];
}

int PlaylistModel::indexOf(const std::shared_ptr<MediaItem>& item) const {
    if (!item)
        return -1;
    const auto found = std::find(m_items.begin(), m_items.end(), item);
    return found == m_items.end() ? -1 : static_cast<int>(found - m_items.begin());
}

QStringList PlaylistModel::titles() const {
    QStringList out;
    for (const std::shared_ptr<MediaItem>& entry : m_items)
        out << title(*entry);
    return out;
}

QString PlaylistModel::title(const MediaItem& item) {
    return item.track().title;
}

void PlaylistModel::append(std::shared_ptr<MediaItem> item) {
    beginInsertRows(QModelIndex(), count(), count());
    m_items.push_back(std::move(item));
    endInsertRows();
}

void PlaylistModel::remove(int row) {
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_items.erase(m_items.begin() + row);
    endRemoveRows();
}

void PlaylistModel::move(int from, int to) {
    if (from < 0 || from >= count() || to < 0 || to >= count() || from == to)
        return;
    // Qt counts the destination before the move: one further down when moving down.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    std::shared_ptr<MediaItem> entry = std::move(m_items[static_cast<std::size_t>(from)]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(entry));
    endMoveRows();
}

void PlaylistModel::clear() {
    beginResetModel();
    m_items.clear();
    m_current.reset();
    endResetModel();
}

void PlaylistModel::setCurrentItem(std::shared_ptr<MediaItem> item) {
    if (item == m_current)
        return;
    const int was = currentIndex();
    m_current = std::move(item);
    currentLineChanged(was);
    currentLineChanged(currentIndex());
}

void PlaylistModel::setPlaybackState(PlaybackState state) {
    if (state == m_state)
        return;
    m_state = state;
    currentLineChanged(currentIndex());
}

void PlaylistModel::currentLineChanged(int row) {
    if (row >= 0)
        emit dataChanged(index(row), index(row), {Qt::AccessibleTextRole, Qt::FontRole});
}

int PlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    const std::shared_ptr<MediaItem> entry = index.isValid() ? item(index.row()) : nullptr;
    if (!entry)
        return {};
    const bool current = entry == m_current;
    switch (role) {
    case Qt::DisplayRole:
        return title(*entry);
    case Qt::FontRole: {
        if (!current)
            return {};
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    case Qt::AccessibleTextRole: {
        QString text = title(*entry) + QStringLiteral(", ") + entry->track().artist;
        if (current && m_state == PlaybackState::Playing)
            text += tr(", playing");
        else if (current && m_state == PlaybackState::Paused)
            text += tr(", paused");
        return text;
    }
    default:
        return {};
    }
}

Qt::ItemFlags PlaylistModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return QAbstractListModel::flags(index) | Qt::ItemIsDragEnabled;
}

QMimeData* PlaylistModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.size() != 1 || !indexes.first().isValid())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(LineMimeType),
                  QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
                      QByteArray::number(indexes.first().row()));
    return data;
}

// "<process> <row>": a line dragged from another program's list is none of ours.
int PlaylistModel::draggedRow(const QMimeData* data) const {
    if (!data)
        return -1;
    const QList<QByteArray> parts = data->data(QString::fromLatin1(LineMimeType)).split(' ');
    bool ok = parts.size() == 2;
    if (!ok || parts[0].toLongLong(&ok) != QCoreApplication::applicationPid() || !ok)
        return -1;
    const int row = parts[1].toInt(&ok);
    return ok && row >= 0 && row < count() ? row : -1;
}
