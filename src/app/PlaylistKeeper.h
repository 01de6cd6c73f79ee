#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class CommandRunner;
class MediaPlayer;
class ServerSession;
struct SavedPlaylist;

// The playlist kept in files: saved to and opened from a file the user names, and, when the user
// asks for it, remembered between runs in a file of its own beside the settings file (there while
// remembering is on, gone when it is off). A file's songs are asked of the server afresh, side by
// side as a batch of adds is, and added in the file's order after what the playlist holds; songs
// the server no longer has are counted, the others added. The remembered playlist comes back
// after the first refresh that signs in, its current entry, repeat and shuffle with it, without
// playing; until then, and while it comes back, the file is left as it is.
class PlaylistKeeper : public QObject {
    Q_OBJECT

public:
    PlaylistKeeper(ServerSession& server, MediaPlayer& player, CommandRunner& commands,
                   QString rememberedPath, QObject* parent = nullptr);
    // Writes what is waiting to be remembered.
    ~PlaylistKeeper() override;

    // The reason, when the playlist could not be saved.
    std::optional<QString> save(const QString& path) const;
    // Starts adding the file's songs; the report, when the file is refused and nothing changed.
    std::optional<QString> open(const QString& path);

    bool isRemembering() const { return m_remembering; }
    void setRemembering(bool remembering);
    // At start-up: remembering is on when the file is there, and its playlist is due.
    void loadRemembered();
    // After a refresh has signed in: brings the remembered playlist back, once a run. The
    // report, when its file could not be read.
    std::optional<QString> restoreRemembered();

    static QString rememberedFileName();

signals:
    void rememberingChanged(bool remembering);
    // The remembered playlist could not be written; the file of the last write stays whole.
    void rememberFailed(const QString& reason);

private:
    SavedPlaylist current() const;
    // Checks the file's server and starts its adds; the report when it cannot.
    std::optional<QString> add(const SavedPlaylist& playlist, const QString& path, bool restoring);
    void playlistChanged();
    void writeRemembered();

    ServerSession& m_server;
    MediaPlayer& m_player;
    CommandRunner& m_commands;
    QString m_rememberedPath;
    QTimer m_writeSoon;
    bool m_remembering = false;
    bool m_restoreDue = false;
    bool m_restoring = false;
};
