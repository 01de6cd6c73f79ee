#pragma once

#include "Command.h"
#include "ReplyReader.h"
#include "ServerCall.h"
#include "SongListModel.h"

#include <memory>

class Library;
class ServerSession;

// Fills one of the library's song lists: the tracks of an artist or an album, or the songs a
// search finds. The list is empty while the songs are fetched. It is filled up to its first
// malformed song; a reply that is no song list at all (nothing loaded, or the server's refusal)
// leaves it empty.
class SongListCommand : public Command {
    Q_OBJECT

public:
    // Fills the list from a request the factories below give it; one without a request only
    // empties the list.
    SongListCommand(ServerSession& server, SongListModel& list, bool withArtist);

    // The tracks of a tree node ("artist<id>" or "album<id>").
    static std::unique_ptr<SongListCommand> tracks(ServerSession& server, Library& library,
                                                   const QString& nodeKey);
    static std::unique_ptr<SongListCommand> search(ServerSession& server, Library& library,
                                                   const QString& text);

protected:
    void run() override;
    void restore() override;

private:
    void onLoaded(const ServerCall& call);

    ServerSession& m_server;
    SongListModel& m_list;
    bool m_withArtist = false;
    ServerCall::Request m_request; // none for a node that has no tracks to fetch
    QString m_fetchingText;
    QString m_doneText;
    SongListModel::Rows m_oldRows;
    // What the reader of the latest request writes, on its worker; read once the call has
    // finished well.
    struct Reading {
        ReplyReader::Outcome outcome = ReplyReader::Outcome::Complete;
        SongListModel::Rows rows;
    };
    std::shared_ptr<Reading> m_reading;
};
