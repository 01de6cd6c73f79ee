// Feeds arbitrary bytes to every reader of server replies, as if each kind of reply had come
// back with them, and to the catalogue model that shows the result. The list replies are read as
// they stream in, in pieces of sizes drawn from the input itself.
#include "CatalogueBuilder.h"
#include "CatalogueModel.h"
#include "Handshake.h"
#include "ReplyReader.h"
#include "ReplyText.h"
#include "ServerFailure.h"
#include "SongReply.h"
#include "XmlDocument.h"
#include "XmlRecord.h"
#include "XmlStream.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace {

std::size_t characters(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}

// A cut text is never longer than the limit, and is the text itself or a prefix of it.
void checkCut(std::string_view text) {
    std::string scratch;
    const std::string_view cut = ReplyText::bounded(text, scratch);
    if (characters(cut) > static_cast<std::size_t>(ReplyText::MaxLength))
        __builtin_trap();
    if (cut.data() != text.data() &&
        text.substr(0, cut.size() - 3) != cut.substr(0, cut.size() - 3))
        __builtin_trap();
}

// What a reader is handed stays within the stream's bounds, whatever the reply's shape.
void checkBounds(const XmlRecord& record) {
    if (record.childCount() > XmlStream::MaxFields ||
        record.text().size() > XmlRecord::MaxTextBytes)
        __builtin_trap();
    if (record.attributes().size() > XmlStream::MaxAttributes)
        __builtin_trap();
}

// The bytes through a stream reader, in pieces of 1 to 4096 bytes; true when it took them.
bool stream(std::string_view bytes, const XmlStream::ElementReader& read) {
    XmlStream reader([&read](const XmlRecord& record) {
        checkBounds(record);
        read(record);
    });
    std::uint32_t random = 2166136261u;
    for (const char c : bytes.substr(0, 64))
        random = (random ^ static_cast<unsigned char>(c)) * 16777619u;
    for (std::size_t at = 0; at < bytes.size();) {
        random = random * 1664525u + 1013904223u;
        const std::size_t piece = std::min<std::size_t>(1 + (random >> 20), bytes.size() - at);
        reader.feed(bytes.data() + at, piece);
        at += piece;
    }
    const bool whole = reader.finish();
    // A refusal always has words for the user; a document read whole has none.
    if (whole == (reader.refusal() != XmlStream::Refusal::None) ||
        whole != reader.refusalMessage().isEmpty())
        __builtin_trap();
    return whole;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkCut(bytes);
    // Past the limit even when the input is short.
    std::string repeated(bytes);
    while (!bytes.empty() && repeated.size() <= 4 * static_cast<std::size_t>(ReplyText::MaxLength))
        repeated += bytes;
    checkCut(repeated);

    // A small reply goes through the stream reader's refusals before it is loaded whole.
    XmlDocument reply;
    if (stream(bytes, [](const XmlRecord&) {}))
        reply.loadBytes(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));

    (void)Handshake::token(reply);
    (void)ServerFailure::message(reply);
    (void)SongReply::read(reply, 1);
    for (bool withArtist : {false, true}) {
        SongListModel::Rows rows;
        ReplyReader::Outcome outcome = ReplyReader::Outcome::Complete;
        stream(bytes, [&](const XmlRecord& song) {
            if (song.name() == "song" && outcome == ReplyReader::Outcome::Complete)
                outcome = ReplyReader::addSong(song, withArtist, rows);
        });
        for (const SongListModel::Rows::Row& row : rows.rows)
            if (std::size_t{row.textAt} + row.textSize > rows.text.size())
                __builtin_trap();
    }

    CatalogueBuilder catalogue;
    stream(bytes, [&](const XmlRecord& artist) {
        if (artist.name() == "artist")
            ReplyReader::addArtist(artist, catalogue);
    });
    stream(bytes, [&](const XmlRecord& album) {
        if (album.name() == "album")
            ReplyReader::addAlbum(album, catalogue);
    });
    catalogue.dropAlbums();
    stream(bytes, [&](const XmlRecord& album) {
        if (album.name() == "album")
            ReplyReader::addAlbum(album, catalogue);
    });
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
