#pragma once

#include "CatalogueBuilder.h"
#include "CatalogueModel.h"
#include "Command.h"
#include "SongListModel.h"

#include <optional>

class Library;
class ServerCall;
class ServerSession;
class XmlRecord;

// Signs in, then fetches the artists and the albums and builds the catalogue tree from them. The
// tree is filled once, at the end: a failure after the artists still shows them.
class RefreshLibraryCommand : public Command {
    Q_OBJECT

public:
    RefreshLibraryCommand(ServerSession& server, Library& library, QObject* parent = nullptr);

protected:
    void run() override;
    void restore() override;

private:
    void onSignedIn(const ServerCall& call);
    void onArtists(const ServerCall& call);
    void onAlbums(const ServerCall& call);
    // Off the GUI thread, element by element as the replies arrive.
    void readArtist(const XmlRecord& element);
    void readAlbum(const XmlRecord& element);
    // Reports why the call's reply cannot be read, and ends the refresh.
    void failWith(const ServerCall& call);

    ServerSession& m_server;
    Library& m_library;
    // What the refresh put aside when it started, given back when it is cancelled.
    CatalogueModel::Contents m_oldCatalogue;
    SongListModel::Rows m_oldLibrarySongs;
    SongListModel::Rows m_oldSearchSongs;
    std::optional<QString> m_oldToken;
    QString m_oldArtistCountText;
    // Written by the readers, read once their call has finished.
    CatalogueBuilder m_catalogue;
    std::size_t m_elements = 0;
    bool m_malformed = false;
};
