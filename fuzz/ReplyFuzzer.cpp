// Feeds arbitrary bytes to every reader of server replies, as if each kind of reply had come
// back with them, and to the catalogue model that shows the result.
#include "CatalogueBuilder.h"
#include "CatalogueModel.h"
#include "Handshake.h"
#include "ReplyReader.h"
#include "ServerFailure.h"
#include "SongDetails.h"
#include "XmlDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    XmlDocument reply;
    reply.loadBytes(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    (void)Handshake::token(reply);
    (void)ServerFailure::message(reply);
    (void)SongDetails::read(reply);
    for (bool withArtist : {false, true}) {
        std::vector<SongListModel::Entry> entries;
        (void)ReplyReader::songs(reply, withArtist, entries);
    }

    CatalogueBuilder catalogue;
    ReplyReader::addArtists(ReplyReader::artists(reply), catalogue);
    ReplyReader::addAlbums(ReplyReader::albums(reply), catalogue);
    CatalogueModel model;
    model.setContents(catalogue.take());
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex artist = model.index(row, 0);
        (void)model.data(artist, CatalogueModel::KeyRole);
        for (int child = 0; child < model.rowCount(artist); ++child) {
            const QModelIndex album = model.index(child, 0, artist);
            if (model.parent(album) != artist)
                __builtin_trap();
            (void)model.data(album);
        }
    }
    return 0;
}
