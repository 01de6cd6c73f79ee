#pragma once

#include "SongListModel.h"

class CatalogueBuilder;
class XmlRecord;

// Reads the elements of the catalogue and song-list replies ("/root/artist", "/root/album" and
// "/root/song"), one at a time as they stream in.
class ReplyReader {
public:
    enum class Outcome { Complete, Malformed };

    // An element without an id or a name cannot become a node and is left out. An overlong id
    // makes the reply malformed: reading stops there, keeping what came before. Texts are cut to
    // a readable length.
    static Outcome addArtist(const XmlRecord& artist, CatalogueBuilder& catalogue);
    static Outcome addAlbum(const XmlRecord& album, CatalogueBuilder& catalogue);
    // One entry per song; a song without a title, an id or (with the artist) an artist, or with
    // an overlong id, is malformed.
    static Outcome addSong(const XmlRecord& song, bool withArtist, SongListModel::Rows& out);
};
