#include "RefreshLibraryCommand.h"

#include "Library.h"
#include "ReplyReader.h"
#include "RequestUrl.h"
#include "ServerCall.h"
#include "ServerFailure.h"
#include "ServerSession.h"
#include "XmlDocument.h"

RefreshLibraryCommand::RefreshLibraryCommand(ServerSession& server, Library& library,
                                             QObject* parent)
    : Command(parent), m_server(server), m_library(library) {
}

void RefreshLibraryCommand::run() {
    const Handshake handshake = m_server.handshake();
    m_oldCatalogue = m_library.catalogue()->takeContents();
    m_oldLibrarySongs = m_library.songs(Library::LibraryList)->takeRows();
    m_oldSearchSongs = m_library.songs(Library::SearchList)->takeRows();
    m_oldToken = m_server.state().authToken;
    m_oldArtistCountText = m_library.artistCountText();
    showStatus(QLatin1String("Contacting server (") +
               RequestUrl::withoutPassword(m_server.state().servername) + QLatin1String(")..."));
    await(std::make_unique<ServerCall>(m_server, handshake),
          [this](const ServerCall& call) { onSignedIn(call); });
}

void RefreshLibraryCommand::restore() {
    m_library.catalogue()->setContents(std::move(m_oldCatalogue));
    m_library.songs(Library::LibraryList)->setRows(std::move(m_oldLibrarySongs));
    m_library.songs(Library::SearchList)->setRows(std::move(m_oldSearchSongs));
    if (m_oldToken)
        m_server.state().authToken = *m_oldToken;
    m_library.setArtistCountText(m_oldArtistCountText);
}

void RefreshLibraryCommand::onSignedIn(const ServerCall& call) {
    if (call.signInFailed())
        return fail(ServerFailure::message(call.reply()), tr("Library refresh failed"));
    // The old token may be no longer valid once the server has handed out this one.
    m_oldToken.reset();
    showStatus(tr("Fetching artist list..."));
    // The refresh has just signed in: a refused token here is not a lapse to sign in again for.
    await(std::make_unique<ServerCall>(
              m_server,
              [](const SessionState& s) { return RequestUrl::artists(s.servername, s.authToken); },
              [this](XmlDocument& reply) { m_read = readArtists(reply); },
              ServerCall::OnLapse::Fail),
          [this](const ServerCall& call) { onArtists(call); });
}

void RefreshLibraryCommand::onArtists(const ServerCall& call) {
    if (!m_read)
        return fail(ServerFailure::message(call.reply()), tr("Library refresh failed"));
    showStatus(tr("Fetching albums..."));
    m_read = false;
    await(std::make_unique<ServerCall>(
              m_server,
              [](const SessionState& s) { return RequestUrl::albums(s.servername, s.authToken); },
              [this](XmlDocument& reply) {
                  m_read = readAlbums(reply);
                  if (m_read)
                      m_contents = m_catalogue.take();
              },
              ServerCall::OnLapse::Fail),
          [this](const ServerCall& call) { onAlbums(call); });
}

void RefreshLibraryCommand::onAlbums(const ServerCall& call) {
    m_library.catalogue()->setContents(m_contents ? std::move(*m_contents) : m_catalogue.take());
    if (!m_read)
        return fail(ServerFailure::message(call.reply()), tr("Library refresh failed"));
    m_library.enableSearch();
    showStatus(tr("Library refreshed"));
    finish();
}

// Elements without an id or a name, a second use of an id, and an artist claiming the id of
// "Various" cannot become nodes with unique keys; they are left out and the refresh goes on. A
// reply read whole is let go at once.
bool RefreshLibraryCommand::readArtists(XmlDocument& reply) {
    if (ServerFailure::isErrorReply(reply))
        return false;
    const ReplyReader::Elements artists = ReplyReader::artists(reply);
    const QString count = QString::number(ReplyReader::count(artists)) + QLatin1String(" artists");
    post([this, count] {
        m_library.setArtistCountText(count);
        showStatus(tr("Cataloguing artists..."));
    });
    if (ReplyReader::addArtists(artists, m_catalogue) != ReplyReader::Outcome::Complete)
        return false;
    reply.release();
    return true;
}

bool RefreshLibraryCommand::readAlbums(XmlDocument& reply) {
    if (ServerFailure::isErrorReply(reply))
        return false;
    post([this] { showStatus(tr("Cataloguing albums...")); });
    if (ReplyReader::addAlbums(ReplyReader::albums(reply), m_catalogue) !=
        ReplyReader::Outcome::Complete)
        return false;
    reply.release();
    return true;
}
