#pragma once

#include <QListView>
#include <QPersistentModelIndex>

#include <vector>

// A song list in which a double-click on one of several selected songs acts on them all, as in a
// desktop's file lists: the first click of the double-click narrows the selection to its song,
// and the double-click brings the others back.
class SongListView : public QListView {
    Q_OBJECT

public:
    using QListView::QListView;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::vector<QPersistentModelIndex> m_narrowed; // what the last click narrowed down
};
