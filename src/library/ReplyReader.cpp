#include "ReplyReader.h"

#include "CatalogueBuilder.h"
#include "NumberText.h"
#include "ReplyText.h"
#include "XmlRecord.h"

#include <optional>
#include <string>

namespace {

constexpr char NameChild[] = "name";
constexpr char SongsChild[] = "songs";
constexpr char TracksChild[] = "tracks";
constexpr char ArtistChild[] = "artist";
constexpr char TitleChild[] = "title";
constexpr char IdAttribute[] = "id";

// A child's text, cut to a readable length; none when there is no such child.
std::string_view textOf(const XmlRecord::Child* child, std::string& cut) {
    return child ? ReplyText::bounded(child->text, cut) : std::string_view();
}

} // namespace

ReplyReader::Outcome ReplyReader::addArtist(const XmlRecord& artist, CatalogueBuilder& catalogue) {
    const XmlRecord::Child* name = artist.child(NameChild);
    const std::string* id = artist.attribute(IdAttribute);
    if (!name || !id)
        return Outcome::Complete;
    if (!ReplyText::isAcceptableId(std::string_view(*id)))
        return Outcome::Malformed;
    std::string nameCut, songsCut;
    catalogue.addArtist(*id, textOf(name, nameCut), textOf(artist.child(SongsChild), songsCut));
    return Outcome::Complete;
}

ReplyReader::Outcome ReplyReader::addAlbum(const XmlRecord& album, CatalogueBuilder& catalogue) {
    const std::string* id = album.attribute(IdAttribute);
    if (!id)
        return Outcome::Complete;
    if (!ReplyText::isAcceptableId(std::string_view(*id)))
        return Outcome::Malformed;
    const XmlRecord::Child* name = album.child(NameChild);
    if (!name)
        return Outcome::Complete;
    const XmlRecord::Child* artist = album.child(ArtistChild);
    const std::string* artistId = artist ? XmlRecord::attribute(*artist, IdAttribute) : nullptr;
    if (artistId && !ReplyText::isAcceptableId(std::string_view(*artistId)))
        return Outcome::Malformed;
    std::string nameCut, tracksCut;
    catalogue.addAlbum(*id, textOf(name, nameCut), textOf(album.child(TracksChild), tracksCut),
                       artistId ? std::optional<std::string_view>(*artistId) : std::nullopt);
    return Outcome::Complete;
}

ReplyReader::Outcome ReplyReader::addSong(const XmlRecord& song, bool withArtist,
                                          SongListModel::Rows& out) {
    const XmlRecord::Child* title = song.child(TitleChild);
    const XmlRecord::Child* artist = song.child(ArtistChild);
    const std::string* id = song.attribute(IdAttribute);
    if (!title || !id || (withArtist && !artist) ||
        !ReplyText::isAcceptableId(std::string_view(*id)))
        return Outcome::Malformed;
    // A song whose id is no number is still listed; adding it says why it can't be.
    const std::optional<std::int64_t> number = NumberText::wholeNumber(std::string_view(*id));
    std::string titleCut;
    if (!withArtist) {
        out.add(textOf(title, titleCut), number);
        return Outcome::Complete;
    }
    std::string artistCut;
    // Kept from song to song: a million lines make no million allocations.
    thread_local std::string line;
    line.assign(textOf(title, titleCut));
    line += " - ";
    line += textOf(artist, artistCut);
    out.add(line, number);
    return Outcome::Complete;
}
