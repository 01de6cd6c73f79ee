#pragma once

#include "CatalogueBuilder.h"
#include "CatalogueModel.h"
#include "Command.h"
#include "SongListModel.h"

#include <optional>

class Library;
class ServerCall;
class ServerSession;
class XmlDocument;

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
    // Off the GUI thread.
    bool readArtists(XmlDocument& reply);
    bool readAlbums(XmlDocument& reply);

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
    std::optional<CatalogueModel::Contents> m_contents;
    bool m_read = false;
};
