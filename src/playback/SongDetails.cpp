#include "SongDetails.h"

#include "ReplyText.h"
#include "StreamAddress.h"
#include "XmlDocument.h"

namespace {
constexpr char UrlPath[] = "/root/song/url";
constexpr char TitlePath[] = "/root/song/title";
constexpr char ArtistPath[] = "/root/song/artist";
constexpr char AlbumPath[] = "/root/song/album";
} // namespace

SongDetails SongDetails::read(const XmlDocument& reply) {
    const pugi::xml_node url = reply.selectSingleNode(UrlPath);
    const pugi::xml_node title = reply.selectSingleNode(TitlePath);
    const pugi::xml_node artist = reply.selectSingleNode(ArtistPath);
    const pugi::xml_node album = reply.selectSingleNode(AlbumPath);
    SongDetails song;
    if (!url || !title || !artist || !album) {
        song.problem = Problem::Incomplete;
        return song;
    }
    // An address is not cut: a shortened one would lead somewhere else.
    QString address = XmlDocument::text(url);
    if (address.size() > ReplyText::MaxLength) {
        song.problem = Problem::Incomplete;
        return song;
    }
    if (!StreamAddress::isPlayable(address)) {
        song.problem = Problem::NotHttpAddress;
        return song;
    }
    song.url = std::move(address);
    song.title = ReplyText::of(title);
    song.artist = ReplyText::of(artist);
    song.album = ReplyText::of(album);
    return song;
}
