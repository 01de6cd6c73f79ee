#pragma once

#include <QListView>

class PlaylistModel;

// The playlist's lines. A line dragged to another place in the list comes out as moveRequested();
// the list changes once the player has moved the entry.
class PlaylistView : public QListView {
    Q_OBJECT

public:
    explicit PlaylistView(QWidget* parent = nullptr);

signals:
    // `to` is where the line is to end up, counted in the list as it is after the move.
    void moveRequested(int from, int to);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    const PlaylistModel* playlist() const;
    void acceptLine(QDropEvent* event);
};
