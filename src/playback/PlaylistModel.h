#pragma once

#include "MediaItem.h"
#include "PlaybackState.h"

#include <QAbstractListModel>
#include <QStringList>

#include <memory>
#include <vector>

// The playlist: its entries in order and the current one. A line shows its entry's title; the
// current entry's line is bold, and a screen reader hears "title, artist", followed by whether
// that entry is playing or paused. The list view shows it, the player follows it, the desktop's
// media controls and notifications read it. Changed only through the MediaPlayer, which keeps
// libmpv's own list in step.
class PlaylistModel : public QAbstractListModel {
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    int count() const { return static_cast<int>(m_items.size()); }
    std::shared_ptr<MediaItem> item(int row) const;
    int indexOf(const std::shared_ptr<MediaItem>& item) const;
    QStringList titles() const;

    // The current entry stays current while entries around it come and go, and may be none.
    std::shared_ptr<MediaItem> currentItem() const { return m_current; }
    int currentIndex() const { return indexOf(m_current); }

    void append(std::shared_ptr<MediaItem> item);
    void remove(int row);
    void move(int from, int to);
    void clear();
    void setCurrentItem(std::shared_ptr<MediaItem> item);
    // What the current entry's line says of it.
    void setPlaybackState(PlaybackState state);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // A line may be dragged to another place in the list: the drag carries its row, and nothing
    // else; the list view asks the player to move it.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override { return {QString::fromLatin1(LineMimeType)}; }
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    // The dragged row, -1 for anything else.
    int draggedRow(const QMimeData* data) const;

    static constexpr char LineMimeType[] = "application/x-sonaric-playlist-line";

    static QString title(const MediaItem& item);

private:
    void currentLineChanged(int row);

    std::vector<std::shared_ptr<MediaItem>> m_items;
    std::shared_ptr<MediaItem> m_current;
    PlaybackState m_state = PlaybackState::Stopped;
};
