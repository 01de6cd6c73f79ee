#include "SongReply.h"

#include "ReplyText.h"
#include "XmlDocument.h"

namespace {
constexpr char UrlPath[] = "/root/song/url";
constexpr char TitlePath[] = "/root/song/title";
constexpr char ArtistPath[] = "/root/song/artist";
constexpr char AlbumPath[] = "/root/song/album";
} // namespace

SongReply SongReply::read(const XmlDocument& reply, std::int64_t songId) {
    const pugi::xml_node url = reply.selectSingleNode(UrlPath);
    const pugi::xml_node title = reply.selectSingleNode(TitlePath);
    const pugi::xml_node artist = reply.selectSingleNode(ArtistPath);
    const pugi::xml_node album = reply.selectSingleNode(AlbumPath);
    SongReply song;
    if (!url || !title || !artist || !album) {
        song.problem = Problem::Incomplete;
        return song;
    }
    // An address is not cut: a shortened one would lead somewhere else.
    const QString text = XmlDocument::text(url);
    if (text.size() > ReplyText::MaxLength) {
        song.problem = Problem::Incomplete;
        return song;
    }
    std::optional<StreamAddress> address = StreamAddress::from(text);
    if (!address) {
        song.problem = Problem::NotHttpAddress;
        return song;
    }
    song.track = Track{songId, ReplyText::of(title), ReplyText::of(artist), ReplyText::of(album),
                       std::move(*address)};
    return song;
}
