#pragma once

#include "CatalogueBuilder.h"
#include "CatalogueModel.h"
#include "Command.h"
#include "ReplyReader.h"
#include "SongListModel.h"
#include "XmlStream.h"

#include <functional>
#include <memory>
#include <optional>

class Library;
class ServerCall;
class ServerSession;

// Signs in, then fetches the artists and the albums side by side and builds the catalogue tree
// from them as they arrive, each list on a worker of its own. The tree shows the artists once
// their list is complete, and their albums once both are; what the user is told, and what a
// failure leaves, is as if the albums were asked for after the artists: a failure of the albums
// still shows the artists.
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
    // Once the artists are in the tree and the albums complete.
    void showAlbums();
    // The element reader of one of the two lists, for the worker that parses it.
    using Add = ReplyReader::Outcome (*)(const XmlRecord&, CatalogueBuilder&);
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
    // What a list's reader writes on its worker, read once its call has finished well.
    struct Part {
        std::size_t elements = 0;
        bool malformed = false;
    };
    struct Reading {
        CatalogueBuilder catalogue; // each reader writes its own side
        Part artists;
        Part albums;
    };
    using PartOf = Part Reading::*;
    XmlStream::ElementReader listReader(std::string elementName, PartOf part, Add add,
                                        std::function<void()> firstRecord);
    std::shared_ptr<Reading> m_reading = std::make_shared<Reading>();
    bool m_artistsShown = false;
    bool m_albumsArriving = false;
    // The albums' call once it has finished: whether it was an answer, and the report if not.
    std::optional<bool> m_albumsAnswered;
    QString m_albumsFailure;
};
