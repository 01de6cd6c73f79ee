#include "PlaylistLines.h"

#include "MediaPlayer.h"

#include <QFont>

PlaylistLines::PlaylistLines(const MediaPlayer& player, QObject* parent)
    : QStringListModel(parent), m_player(player) {
    connect(&player, &MediaPlayer::currentItemChanged, this, &PlaylistLines::currentChanged);
    connect(&player, &MediaPlayer::playbackStateChanged, this, &PlaylistLines::currentChanged);
}

void PlaylistLines::currentChanged() {
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::AccessibleTextRole, Qt::FontRole});
}

QVariant PlaylistLines::data(const QModelIndex& index, int role) const {
    if (role != Qt::AccessibleTextRole && role != Qt::FontRole)
        return QStringListModel::data(index, role);
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const bool current = index.row() == m_player.currentIndex();
    if (role == Qt::FontRole) {
        if (!current)
            return {};
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    QString text = QStringListModel::data(index, Qt::DisplayRole).toString();
    if (const auto item = m_player.playlist().item(index.row()))
        text += QStringLiteral(", ") + item->info(QStringLiteral("SNR/Artist"));
    if (current && m_player.playbackState() == PlaybackState::Playing)
        text += tr(", playing");
    else if (current && m_player.playbackState() == PlaybackState::Paused)
        text += tr(", paused");
    return text;
}
