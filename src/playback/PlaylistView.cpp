#include "PlaylistView.h"

#include "PlaylistModel.h"

#include <QDropEvent>

PlaylistView::PlaylistView(QWidget* parent) : QListView(parent) {
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
}

const PlaylistModel* PlaylistView::playlist() const {
    return qobject_cast<const PlaylistModel*>(model());
}

// Qt's own handling takes only drags that started in this very view; a line's drag says which
// program it came from, and that is enough.
void PlaylistView::dragEnterEvent(QDragEnterEvent* event) {
    QListView::dragEnterEvent(event);
    acceptLine(event);
}

void PlaylistView::dragMoveEvent(QDragMoveEvent* event) {
    QListView::dragMoveEvent(event);
    acceptLine(event);
}

void PlaylistView::acceptLine(QDropEvent* event) {
    if (!playlist() || playlist()->draggedRow(event->mimeData()) < 0) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

// Dropped on the upper half of a line, the dragged one goes before it; on the lower half or
// below the last line, after it.
void PlaylistView::dropEvent(QDropEvent* event) {
    const PlaylistModel* lines = playlist();
    const int from = lines ? lines->draggedRow(event->mimeData()) : -1;
    if (from < 0) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    const QModelIndex target = indexAt(at);
    int before = lines->count();
    if (target.isValid())
        before = target.row() + (at.y() >= visualRect(target).center().y() ? 1 : 0);
    const int to = before > from ? before - 1 : before;
    // Taken as a copy: the entry has been moved, and the view must not remove the dragged line.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (to != from)
        emit moveRequested(from, to);
}
