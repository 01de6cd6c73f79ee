#include "RefreshLibraryCommand.h"

#include "Library.h"
#include "ReplyReader.h"
#include "RequestUrl.h"
#include "ServerCall.h"
#include "ServerFailure.h"
#include "ServerSession.h"
#include "XmlDocument.h"
#include "XmlRecord.h"

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
    await(m_server.signIn(handshake), [this](const ServerCall& call) { onSignedIn(call); });
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
        return failWith(call);
    // The old token may be no longer valid once the server has handed out this one.
    m_oldToken.reset();
    showStatus(tr("Fetching artist list..."));
    // The refresh has just signed in: a refused token here is not a lapse to sign in again for.
    await(m_server.request(
              [](const SessionState& s) { return RequestUrl::artists(s.servername, s.authToken); },
              [this] {
                  return listReader("artist", &Reading::artists, &ReplyReader::addArtist,
                                    [this] { showStatus(tr("Cataloguing artists...")); });
              },
              ServerCall::OnLapse::Fail),
          [this](const ServerCall& call) { onArtists(call); });
    // Asked for at once; said to be fetched once the artists are in.
    awaitBeside(
        m_server.request(
            [](const SessionState& s) { return RequestUrl::albums(s.servername, s.authToken); },
            [this] {
                return listReader("album", &Reading::albums, &ReplyReader::addAlbum, [this] {
                    m_albumsArriving = true;
                    if (m_artistsShown)
                        showStatus(tr("Cataloguing albums..."));
                });
            },
            ServerCall::OnLapse::Fail),
        [this](const ServerCall& call) { onAlbums(call); });
}

void RefreshLibraryCommand::failWith(const ServerCall& call) {
    fail(ServerFailure::message(call.reply()), tr("Library refresh failed"));
}

void RefreshLibraryCommand::onArtists(const ServerCall& call) {
    if (!call.isAnswer())
        return failWith(call);
    const Part& artists = m_reading->artists;
    // Said even of a list with nothing in it, whose reader never had a record to say it for.
    if (artists.elements == 0)
        showStatus(tr("Cataloguing artists..."));
    m_library.setArtistCountText(QString::number(artists.elements) + QLatin1String(" artists"));
    if (artists.malformed)
        return failWith(call);
    m_library.catalogue()->setContents(m_reading->catalogue.artists());
    m_artistsShown = true;
    showStatus(tr("Fetching albums..."));
    if (m_albumsArriving)
        showStatus(tr("Cataloguing albums..."));
    if (m_albumsAnswered)
        showAlbums();
}

void RefreshLibraryCommand::onAlbums(const ServerCall& call) {
    m_albumsAnswered = call.isAnswer();
    if (!*m_albumsAnswered || m_reading->albums.malformed)
        m_albumsFailure = ServerFailure::message(call.reply());
    if (m_artistsShown)
        showAlbums();
}

// The artists read stay in the tree when the albums fail; albums stay only up to a malformed one.
void RefreshLibraryCommand::showAlbums() {
    const bool readAll = *m_albumsAnswered;
    if (readAll && !m_albumsArriving)
        showStatus(tr("Cataloguing albums..."));
    if (readAll)
        m_library.catalogue()->setContents(m_reading->catalogue.take());
    if (!m_albumsFailure.isEmpty())
        return fail(m_albumsFailure, tr("Library refresh failed"));
    m_library.enableSearch();
    showStatus(tr("Library refreshed"));
    finish();
}

// Elements without an id or a name, a second use of an id, and an artist claiming the id of
// "Various" cannot become nodes with unique keys; they are left out and the refresh goes on. The
// command itself is touched only on the GUI thread, by what the reader posts.
XmlStream::ElementReader RefreshLibraryCommand::listReader(std::string elementName, PartOf part,
                                                           Add add,
                                                           std::function<void()> firstRecord) {
    return [reading = m_reading, post = poster(), elementName = std::move(elementName), part, add,
            firstRecord = std::move(firstRecord)](const XmlRecord& element) {
        if (element.name() != elementName)
            return;
        Part& read = (*reading).*part;
        if (read.elements++ == 0)
            post(firstRecord);
        if (!read.malformed)
            read.malformed = add(element, reading->catalogue) != ReplyReader::Outcome::Complete;
    };
}
