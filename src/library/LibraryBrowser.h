#pragma once

#include "CatalogueModel.h"
#include "ReplyReader.h"
#include "SongListModel.h"
#include "XmlDocument.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class CatalogueBuilder;
class ServerSession;

// Signs in, builds the catalogue tree, fetches track lists and searches. Each command runs to its
// end before it returns; progress, the busy state and failures come out as signals that the
// window shows. A command that arrives while another runs is ignored. A command whose request the
// user cancels puts back what it had changed and says "Cancelled".
class LibraryBrowser : public QObject {
    Q_OBJECT

public:
    enum SongList { LibraryList = 0, SearchList = 1 };

    explicit LibraryBrowser(ServerSession& server, QObject* parent = nullptr);

    CatalogueModel* catalogue() { return &m_catalogue; }
    SongListModel* songs(int list) { return list == SearchList ? &m_searchSongs : &m_librarySongs; }

    QString statusText() const { return m_statusText; }
    QString artistCountText() const { return m_artistCountText; }
    bool isSearchEnabled() const { return m_searchEnabled; }
    bool isBusy() const { return m_busy; }

    void refreshLibrary();
    void showTracks(const QString& nodeKey);
    void search(const QString& text);

signals:
    void statusTextChanged(const QString& text);
    // A cancel's text, which a later successful add ends.
    void passingStatusTextChanged(const QString& text);
    void artistCountTextChanged(const QString& text);
    void searchEnabledChanged(bool enabled);
    void busyChanged(bool busy);
    // A failed command, worded for the user; shown before the window returns to idle.
    void failureReported(const QString& message);

private:
    // What a command put aside when it started, given back when the user cancels it, so that a
    // cancelled command leaves everything as it was.
    struct Undo {
        std::optional<CatalogueModel::Contents> catalogue;
        std::optional<SongListModel::Rows> librarySongs;
        std::optional<SongListModel::Rows> searchSongs;
        std::optional<QString> token;
        std::optional<QString> artistCountText;
    };

    // Ends the command as cancelled when the user cancelled its last request.
    bool endIfCancelled(const XmlDocument& reply, Undo& undo);
    void setStatusText(const QString& text);
    void setBusy(bool busy);
    void setArtistCountText(const QString& text);
    // What a reader of a song list found, for the GUI thread to show.
    struct SongsRead {
        bool isSongList = false;
        ReplyReader::Outcome outcome = ReplyReader::Outcome::Complete;
        SongListModel::Rows rows;
    };

    void showFromReader(const QString& statusText, const QString& artistCountText = QString());
    bool readArtists(XmlDocument& reply, CatalogueBuilder& catalogue);
    bool readAlbums(XmlDocument& reply, CatalogueBuilder& catalogue);
    static XmlDocument::Reader songReader(bool withArtist, SongsRead& read);
    bool showSongs(SongsRead& read, SongListModel& list);
    void reportFailure(const QString& message, const QString& statusText);

    ServerSession& m_server;
    CatalogueModel m_catalogue;
    SongListModel m_librarySongs;
    SongListModel m_searchSongs;
    QString m_statusText;
    QString m_artistCountText;
    bool m_searchEnabled = false;
    bool m_busy = false;
    bool m_running = false;
};
