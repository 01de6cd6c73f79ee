#include "SongListView.h"

#include <QItemSelectionModel>
#include <QMouseEvent>

#include <algorithm>

// A double-click always follows the release of its first click, so what that release narrowed is
// what the double-click is about.
void SongListView::mouseReleaseEvent(QMouseEvent* event) {
    m_narrowed.clear();
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.size() > 1 && selectionModel()->isSelected(indexAt(event->position().toPoint()))) {
        m_narrowed.assign(selected.begin(), selected.end());
    }
    QListView::mouseReleaseEvent(event);
}

void SongListView::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPersistentModelIndex at(indexAt(event->position().toPoint()));
    if (std::find(m_narrowed.begin(), m_narrowed.end(), at) != m_narrowed.end()) {
        QItemSelection all;
        for (const QPersistentModelIndex& song : m_narrowed)
            if (song.isValid())
                all.select(song, song);
        selectionModel()->select(all, QItemSelectionModel::Select);
    }
    m_narrowed.clear();
    QListView::mouseDoubleClickEvent(event);
}
