#pragma once

#include <QStringListModel>

class MediaPlayer;

// The playlist's lines: each shows its title. The current entry's line is bold, and a screen
// reader hears "title, artist", followed by whether that line is playing or paused.
class PlaylistLines : public QStringListModel {
    Q_OBJECT

public:
    explicit PlaylistLines(const MediaPlayer& player, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role) const override;

private:
    void currentChanged();

    const MediaPlayer& m_player;
};
