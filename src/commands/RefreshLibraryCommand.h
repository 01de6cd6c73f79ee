#pragma once

#include "CatalogueBuilder.h"
#include "CatalogueModel.h"
#include "Command.h"
#include "ReplyReader.h"
#include "SongListModel.h"
#include "XmlStream.h"

#include <memory>
#include <optional>

class Library;
class ServerCall;
class ServerSession;

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
    // The element reader of one of the two lists, for the worker that parses it.
    using Add = ReplyReader::Outcome (*)(const XmlRecord&, CatalogueBuilder&);
    XmlStream::ElementReader listReader(std::string elementName, QString cataloguingText, Add add);
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
    // Written by the readers on their worker, read once their call has finished well.
    struct Reading {
        CatalogueBuilder catalogue;
        std::size_t elements = 0;
        bool malformed = false;
    };
    std::shared_ptr<Reading> m_reading = std::make_shared<Reading>();
    bool m_cataloguing = false; // "Cataloguing ..." shows for the current list
};
