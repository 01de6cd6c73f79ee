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

void LibraryBrowser::refreshLibrary() {
    if (m_running)
        return;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    setBusy(true);
    const Handshake handshake = Handshake::at(m_clock(), m_session.hashKey);
    XmlDocument reply;
    m_catalogue.clear();
    m_librarySongs.clear();
    m_searchSongs.clear();
    const QString failed = tr("Library refresh failed");

    setStatusText(QLatin1String("Contacting server (") + m_session.servername +
                  QLatin1String(")..."));
    reply.load(handshake.url(m_session.servername, m_session.username), m_http);
    const std::optional<QString> token = Handshake::token(reply);
    if (!token)
        return reportFailure(ServerFailure::message(reply), failed);
    m_session.authToken = *token;

    CatalogueBuilder catalogue;
    setStatusText(tr("Fetching artist list..."));
    reply.load(RequestUrl::artists(m_session.servername, m_session.authToken), m_http);
    if (!readArtists(reply, catalogue))
        return reportFailure(ServerFailure::message(reply), failed);

    // The tree is filled once, at the end: a failure after the artists still shows them.
    setStatusText(tr("Fetching albums..."));
    reply.load(RequestUrl::albums(m_session.servername, m_session.authToken), m_http);
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
    m_artistCountText = QString::number(ReplyReader::count(artists)) + QLatin1String(" artists");
    emit artistCountTextChanged(m_artistCountText);
    setStatusText(tr("Cataloguing artists..."));
    ReplyReader::addArtists(artists, catalogue);
    return true;
}

bool LibraryBrowser::readAlbums(const XmlDocument& reply, CatalogueBuilder& catalogue) {
    if (!reply.hasDocumentElement())
        return false;
    setStatusText(tr("Cataloguing albums..."));
    ReplyReader::addAlbums(ReplyReader::albums(reply), catalogue);
    return true;
}

void LibraryBrowser::showTracks(const QString& nodeKey) {
    if (m_running)
        return;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    XmlDocument reply;
    setBusy(true);
    m_librarySongs.clear();
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
    m_searchSongs.clear();
    setBusy(true);
    reply.load(RequestUrl::searchSongs(m_session.servername, m_session.authToken, text), m_http);
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
