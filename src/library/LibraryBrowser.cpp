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
    : QObject(parent), m_server(server), m_session(server.state()), m_catalogue(this),
      m_librarySongs(this), m_searchSongs(this) {
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
    if (reply.fetchError() != FetchError::Cancelled)
        return false;
    if (undo.catalogue)
        m_catalogue.setContents(std::move(*undo.catalogue));
    if (undo.librarySongs)
        m_librarySongs.setEntries(std::move(*undo.librarySongs));
    if (undo.searchSongs)
        m_searchSongs.setEntries(std::move(*undo.searchSongs));
    if (undo.token)
        m_session.authToken = *undo.token;
    if (undo.artistCountText && *undo.artistCountText != m_artistCountText)
        setArtistCountText(*undo.artistCountText);
    setStatusText(tr("Cancelled"));
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
    Undo undo{m_catalogue.takeContents(), m_librarySongs.takeEntries(), m_searchSongs.takeEntries(),
              m_session.authToken, m_artistCountText};
    const QString failed = tr("Library refresh failed");

    setStatusText(QLatin1String("Contacting server (") + m_session.servername +
                  QLatin1String(")..."));
    const bool signedIn = m_server.signIn(handshake, reply);
    if (endIfCancelled(reply, undo))
        return;
    if (!signedIn)
        return reportFailure(ServerFailure::message(reply), failed);

    CatalogueBuilder catalogue;
    setStatusText(tr("Fetching artist list..."));
    // The refresh has just signed in: a refused token here is not a lapse to sign in again for.
    m_server.load(
        [](const SessionState& s) { return RequestUrl::artists(s.servername, s.authToken); }, reply,
        ServerSession::OnLapse::Fail);
    if (endIfCancelled(reply, undo))
        return;
    if (!readArtists(reply, catalogue))
        return reportFailure(ServerFailure::message(reply), failed);

    // The tree is filled once, at the end: a failure after the artists still shows them.
    setStatusText(tr("Fetching albums..."));
    m_server.load(
        [](const SessionState& s) { return RequestUrl::albums(s.servername, s.authToken); }, reply,
        ServerSession::OnLapse::Fail);
    if (endIfCancelled(reply, undo))
        return;
    const bool albumsRead = readAlbums(reply, catalogue);
    m_catalogue.setContents(catalogue.take());
    if (!albumsRead)
        return reportFailure(ServerFailure::message(reply), failed);

    if (!m_searchEnabled) {
        m_searchEnabled = true;
        emit searchEnabledChanged(true);
    }
    setStatusText(tr("Library refreshed"));
    setBusy(false);
}

// Elements without an id or a name, a second use of an id, and an artist claiming the id of
// "Various" cannot become nodes with unique keys; they are left out and the refresh goes on.
bool LibraryBrowser::readArtists(const XmlDocument& reply, CatalogueBuilder& catalogue) {
    if (!reply.hasDocumentElement() || ServerFailure::isErrorReply(reply))
        return false;
    const ReplyReader::Elements artists = ReplyReader::artists(reply);
    setArtistCountText(QString::number(ReplyReader::count(artists)) + QLatin1String(" artists"));
    setStatusText(tr("Cataloguing artists..."));
    return ReplyReader::addArtists(artists, catalogue) == ReplyReader::Outcome::Complete;
}

bool LibraryBrowser::readAlbums(const XmlDocument& reply, CatalogueBuilder& catalogue) {
    if (!reply.hasDocumentElement() || ServerFailure::isErrorReply(reply))
        return false;
    setStatusText(tr("Cataloguing albums..."));
    return ReplyReader::addAlbums(ReplyReader::albums(reply), catalogue) ==
           ReplyReader::Outcome::Complete;
}

// A song list is filled from a reply up to its first malformed song; a reply that is no song
// list at all (nothing loaded, or the server's refusal) leaves it empty.
bool LibraryBrowser::readSongs(const XmlDocument& reply, bool withArtist, SongListModel& list) {
    if (!reply.hasDocumentElement() || ServerFailure::isErrorReply(reply))
        return false;
    std::vector<SongListModel::Entry> entries;
    const ReplyReader::Outcome outcome = ReplyReader::songs(reply, withArtist, entries);
    list.setEntries(std::move(entries));
    return outcome == ReplyReader::Outcome::Complete;
}

void LibraryBrowser::showTracks(const QString& nodeKey) {
    if (m_running)
        return;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    XmlDocument reply;
    setBusy(true);
    Undo undo;
    undo.librarySongs = m_librarySongs.takeEntries();
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
        m_server.load(request, reply);
        if (endIfCancelled(reply, undo))
            return;
        if (!readSongs(reply, false, m_librarySongs))
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
    undo.searchSongs = m_searchSongs.takeEntries();
    setBusy(true);
    m_server.load(
        [text](const SessionState& s) {
            return RequestUrl::searchSongs(s.servername, s.authToken, text);
        },
        reply);
    if (endIfCancelled(reply, undo))
        return;
    if (!readSongs(reply, true, m_searchSongs))
        return reportFailure(ServerFailure::message(reply), QString());
    setStatusText(tr("Search Complete"));
    setBusy(false);
}
