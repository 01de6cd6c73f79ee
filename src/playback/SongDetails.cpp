#include "SongDetails.h"

#include "XmlDocument.h"

namespace {
constexpr char UrlPath[] = "/root/song/url";
constexpr char TitlePath[] = "/root/song/title";
constexpr char ArtistPath[] = "/root/song/artist";
constexpr char AlbumPath[] = "/root/song/album";
} // namespace

std::optional<SongDetails> SongDetails::read(const XmlDocument& reply) {
    const pugi::xml_node url = reply.selectSingleNode(UrlPath);
    const pugi::xml_node title = reply.selectSingleNode(TitlePath);
    const pugi::xml_node artist = reply.selectSingleNode(ArtistPath);
    const pugi::xml_node album = reply.selectSingleNode(AlbumPath);
    if (!url || !title || !artist || !album)
        return std::nullopt;
    return SongDetails{XmlDocument::text(url), XmlDocument::text(title), XmlDocument::text(artist),
                       XmlDocument::text(album)};
}
