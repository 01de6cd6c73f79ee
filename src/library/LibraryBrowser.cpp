#include "LibraryBrowser.h"

#include "CatalogueBuilder.h"
#include "Handshake.h"
#include "HttpClient.h"
#include "ReplyReader.h"
#include "RequestUrl.h"
#include "ServerFailure.h"
#include "SessionState.h"
#include "XmlDocument.h"

#include <QScopeGuard>

namespace {
constexpr char AlbumPrefix[] = "album";
constexpr char ArtistPrefix[] = "artist";
} // namespace

LibraryBrowser::LibraryBrowser(SessionState& session, HttpClient& http, UnixClock clock,
                               QObject* parent)
    : QObject(parent), m_session(session), m_http(http), m_clock(std::move(clock)),
      m_catalogue(this), m_librarySongs(this), m_searchSongs(this) {
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

void LibraryBrowser::reportFailure(const QString& message, const QString& statusText) {
    emit failureReported(message);
    setStatusText(statusText);
    setBusy(false);
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
    const Handshake handshake = Handshake::at(m_clock(), m_session.hashKey);
    XmlDocument reply;
    Undo undo{m_catalogue.takeContents(), m_librarySongs.takeEntries(), m_searchSongs.takeEntries(),
              m_session.authToken, m_artistCountText};
    const QString failed = tr("Library refresh failed");

    setStatusText(QLatin1String("Contacting server (") + m_session.servername +
                  QLatin1String(")..."));
    reply.load(handshake.url(m_session.servername, m_session.username), m_http);
    if (endIfCancelled(reply, undo))
        return;
    const std::optional<QString> token = Handshake::token(reply);
    if (!token)
        return reportFailure(ServerFailure::message(reply), failed);
    m_session.authToken = *token;

    CatalogueBuilder catalogue;
    setStatusText(tr("Fetching artist list..."));
    reply.load(RequestUrl::artists(m_session.servername, m_session.authToken), m_http);
    if (endIfCancelled(reply, undo))
        return;
    if (!readArtists(reply, catalogue))
        return reportFailure(ServerFailure::message(reply), failed);

    // The tree is filled once, at the end: a failure after the artists still shows them.
    setStatusText(tr("Fetching albums..."));
    reply.load(RequestUrl::albums(m_session.servername, m_session.authToken), m_http);
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
    if (!reply.hasDocumentElement())
        return false;
    const ReplyReader::Elements artists = ReplyReader::artists(reply);
    setArtistCountText(QString::number(ReplyReader::count(artists)) + QLatin1String(" artists"));
    setStatusText(tr("Cataloguing artists..."));
    return ReplyReader::addArtists(artists, catalogue) == ReplyReader::Outcome::Complete;
}

bool LibraryBrowser::readAlbums(const XmlDocument& reply, CatalogueBuilder& catalogue) {
    if (!reply.hasDocumentElement())
        return false;
    setStatusText(tr("Cataloguing albums..."));
    return ReplyReader::addAlbums(ReplyReader::albums(reply), catalogue) ==
           ReplyReader::Outcome::Complete;
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
    QUrl url;
    if (nodeKey.startsWith(QLatin1String(AlbumPrefix))) {
        setStatusText(tr("Fetching album tracks..."));
        url = RequestUrl::albumSongs(m_session.servername, m_session.authToken,
                                     nodeKey.mid(qsizetype(sizeof(AlbumPrefix) - 1)));
    } else if (nodeKey.startsWith(QLatin1String(ArtistPrefix))) {
        setStatusText(tr("Fetching artist tracks..."));
        url = RequestUrl::artistSongs(m_session.servername, m_session.authToken,
                                      nodeKey.mid(qsizetype(sizeof(ArtistPrefix) - 1)));
    }
    if (!url.isEmpty()) {
        reply.load(url, m_http);
        if (endIfCancelled(reply, undo))
            return;
        if (!reply.hasDocumentElement())
            return reportFailure(ServerFailure::message(reply), QString());
        std::vector<SongListModel::Entry> entries;
        const ReplyReader::Outcome outcome = ReplyReader::songs(reply, false, entries);
        m_librarySongs.setEntries(std::move(entries));
        if (outcome == ReplyReader::Outcome::Malformed)
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
    reply.load(RequestUrl::searchSongs(m_session.servername, m_session.authToken, text), m_http);
    if (endIfCancelled(reply, undo))
        return;
    if (!reply.hasDocumentElement())
        return reportFailure(ServerFailure::message(reply), QString());
    std::vector<SongListModel::Entry> entries;
    const ReplyReader::Outcome outcome = ReplyReader::songs(reply, true, entries);
    m_searchSongs.setEntries(std::move(entries));
    if (outcome == ReplyReader::Outcome::Malformed)
        return reportFailure(ServerFailure::message(reply), QString());
    setStatusText(tr("Search Complete"));
    setBusy(false);
}
