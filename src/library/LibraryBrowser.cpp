#include "LibraryBrowser.h"

#include "CatalogueBuilder.h"
#include "Handshake.h"
#include "ReplyReader.h"
#include "RequestUrl.h"
#include "ServerFailure.h"
#include "ServerSession.h"
#include "XmlDocument.h"

#include <QScopeGuard>

namespace {
constexpr char AlbumPrefix[] = "album";
constexpr char ArtistPrefix[] = "artist";
} // namespace

LibraryBrowser::LibraryBrowser(ServerSession& server, QObject* parent)
    : QObject(parent), m_server(server), m_catalogue(this), m_librarySongs(this),
      m_searchSongs(this) {
}

void LibraryBrowser::setStatusText(const QString& text) {
    m_statusText = text;
    emit statusTextChanged(text);
}

void LibraryBrowser::setBusy(bool busy) {
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged(busy);
}

// The pointer is back before the box appears: the box waits for the user, not the server.
void LibraryBrowser::reportFailure(const QString& message, const QString& statusText) {
    setBusy(false);
    emit failureReported(message);
    setStatusText(statusText);
}

void LibraryBrowser::setArtistCountText(const QString& text) {
    m_artistCountText = text;
    emit artistCountTextChanged(text);
}

bool LibraryBrowser::endIfCancelled(const XmlDocument& reply, Undo& undo) {
    if (!reply.wasCancelled())
        return false;
    if (undo.catalogue)
        m_catalogue.setContents(std::move(*undo.catalogue));
    if (undo.librarySongs)
        m_librarySongs.setRows(std::move(*undo.librarySongs));
    if (undo.searchSongs)
        m_searchSongs.setRows(std::move(*undo.searchSongs));
    if (undo.token)
        m_server.state().authToken = *undo.token;
    if (undo.artistCountText && *undo.artistCountText != m_artistCountText)
        setArtistCountText(*undo.artistCountText);
    m_statusText = tr("Cancelled");
    emit passingStatusTextChanged(m_statusText);
    setBusy(false);
    return true;
}

void LibraryBrowser::refreshLibrary() {
    if (m_running)
        return;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    setBusy(true);
    const Handshake handshake = m_server.handshake();
    XmlDocument reply;
    Undo undo{m_catalogue.takeContents(), m_librarySongs.takeRows(), m_searchSongs.takeRows(),
              m_server.state().authToken, m_artistCountText};
    const QString failed = tr("Library refresh failed");

    setStatusText(QLatin1String("Contacting server (") +
                  RequestUrl::withoutPassword(m_server.state().servername) + QLatin1String(")..."));
    const bool signedIn = m_server.signIn(handshake, reply);
    if (endIfCancelled(reply, undo))
        return;
    if (!signedIn)
        return reportFailure(ServerFailure::message(reply), failed);
    // The old token may be no longer valid once the server has handed out this one.
    undo.token.reset();

    CatalogueBuilder catalogue;
    setStatusText(tr("Fetching artist list..."));
    // The refresh has just signed in: a refused token here is not a lapse to sign in again for.
    bool artistsRead = false;
    m_server.load(
        [](const SessionState& s) { return RequestUrl::artists(s.servername, s.authToken); }, reply,
        [this, &catalogue, &artistsRead](XmlDocument& artists) {
            artistsRead = readArtists(artists, catalogue);
        },
        ServerSession::OnLapse::Fail);
    if (endIfCancelled(reply, undo))
        return;
    if (!artistsRead)
        return reportFailure(ServerFailure::message(reply), failed);

    // The tree is filled once, at the end: a failure after the artists still shows them.
    setStatusText(tr("Fetching albums..."));
    bool albumsRead = false;
    std::optional<CatalogueModel::Contents> contents;
    m_server.load(
        [](const SessionState& s) { return RequestUrl::albums(s.servername, s.authToken); }, reply,
        [this, &catalogue, &albumsRead, &contents](XmlDocument& albums) {
            albumsRead = readAlbums(albums, catalogue);
            if (albumsRead)
                contents = catalogue.take();
        },
        ServerSession::OnLapse::Fail);
    if (endIfCancelled(reply, undo))
        return;
    m_catalogue.setContents(contents ? std::move(*contents) : catalogue.take());
    if (!albumsRead)
        return reportFailure(ServerFailure::message(reply), failed);

    if (!m_searchEnabled) {
        m_searchEnabled = true;
        emit searchEnabledChanged(true);
    }
    setStatusText(tr("Library refreshed"));
    setBusy(false);
}

// Shown on the GUI thread, in order, while a reader goes on: the wait that runs the reader
// keeps the event loop running.
void LibraryBrowser::showFromReader(const QString& statusText, const QString& artistCountText) {
    QMetaObject::invokeMethod(
        this,
        [this, statusText, artistCountText] {
            if (!artistCountText.isNull())
                setArtistCountText(artistCountText);
            setStatusText(statusText);
        },
        Qt::QueuedConnection);
}

// The readers run off the GUI thread. Elements without an id or a name, a second use of an id,
// and an artist claiming the id of "Various" cannot become nodes with unique keys; they are left
// out and the refresh goes on. A reply read whole is let go at once.
bool LibraryBrowser::readArtists(XmlDocument& reply, CatalogueBuilder& catalogue) {
    if (ServerFailure::isErrorReply(reply))
        return false;
    const ReplyReader::Elements artists = ReplyReader::artists(reply);
    showFromReader(tr("Cataloguing artists..."),
                   QString::number(ReplyReader::count(artists)) + QLatin1String(" artists"));
    if (ReplyReader::addArtists(artists, catalogue) != ReplyReader::Outcome::Complete)
        return false;
    reply.release();
    return true;
}

bool LibraryBrowser::readAlbums(XmlDocument& reply, CatalogueBuilder& catalogue) {
    if (ServerFailure::isErrorReply(reply))
        return false;
    showFromReader(tr("Cataloguing albums..."));
    if (ReplyReader::addAlbums(ReplyReader::albums(reply), catalogue) !=
        ReplyReader::Outcome::Complete)
        return false;
    reply.release();
    return true;
}

XmlDocument::Reader LibraryBrowser::songReader(bool withArtist, SongsRead& read) {
    return [withArtist, &read](XmlDocument& reply) {
        read = SongsRead();
        if (ServerFailure::isErrorReply(reply))
            return;
        read.isSongList = true;
        read.outcome = ReplyReader::songs(reply, withArtist, read.rows);
        if (read.outcome == ReplyReader::Outcome::Complete)
            reply.release();
    };
}

// A song list is filled up to its first malformed song; a reply that is no song list at all
// (nothing loaded, or the server's refusal) leaves it empty.
bool LibraryBrowser::showSongs(SongsRead& read, SongListModel& list) {
    if (!read.isSongList)
        return false;
    list.setRows(std::move(read.rows));
    return read.outcome == ReplyReader::Outcome::Complete;
}

void LibraryBrowser::showTracks(const QString& nodeKey) {
    if (m_running)
        return;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    XmlDocument reply;
    setBusy(true);
    Undo undo;
    undo.librarySongs = m_librarySongs.takeRows();
    ServerSession::Request request;
    if (nodeKey.startsWith(QLatin1String(AlbumPrefix))) {
        setStatusText(tr("Fetching album tracks..."));
        request = [id = nodeKey.mid(qsizetype(sizeof(AlbumPrefix) - 1))](const SessionState& s) {
            return RequestUrl::albumSongs(s.servername, s.authToken, id);
        };
    } else if (nodeKey.startsWith(QLatin1String(ArtistPrefix))) {
        setStatusText(tr("Fetching artist tracks..."));
        request = [id = nodeKey.mid(qsizetype(sizeof(ArtistPrefix) - 1))](const SessionState& s) {
            return RequestUrl::artistSongs(s.servername, s.authToken, id);
        };
    }
    if (request) {
        SongsRead read;
        m_server.load(request, reply, songReader(false, read));
        if (endIfCancelled(reply, undo))
            return;
        if (!showSongs(read, m_librarySongs))
            return reportFailure(ServerFailure::message(reply), QString());
    }
    setStatusText(QString());
    setBusy(false);
}

void LibraryBrowser::search(const QString& text) {
    if (m_running)
        return;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    XmlDocument reply;
    setStatusText(tr("Searching..."));
    Undo undo;
    undo.searchSongs = m_searchSongs.takeRows();
    setBusy(true);
    SongsRead read;
    m_server.load(
        [text](const SessionState& s) {
            return RequestUrl::searchSongs(s.servername, s.authToken, text);
        },
        reply, songReader(true, read));
    if (endIfCancelled(reply, undo))
        return;
    if (!showSongs(read, m_searchSongs))
        return reportFailure(ServerFailure::message(reply), QString());
    setStatusText(tr("Search Complete"));
    setBusy(false);
}
