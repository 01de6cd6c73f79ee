#include "ReplyReader.h"

#include "CatalogueBuilder.h"
#include "NumberText.h"
#include "ReplyText.h"
#include "XmlDocument.h"

namespace {

constexpr char RootElement[] = "root";
constexpr char ArtistElement[] = "artist";
constexpr char AlbumElement[] = "album";
constexpr char SongElement[] = "song";
constexpr char NameChild[] = "name";
constexpr char SongsChild[] = "songs";
constexpr char TracksChild[] = "tracks";
constexpr char ArtistChild[] = "artist";
constexpr char TitleChild[] = "title";
constexpr char IdAttribute[] = "id";

// The element's text as UTF-8, cut to a readable length; the common single-text case costs no
// copy.
struct TextBuffer {
    std::string whole;
    std::string cut;
};

std::string_view textOf(pugi::xml_node node, TextBuffer& buffer) {
    if (!node.first_child())
        return ReplyText::bounded(XmlDocument::ownText(node), buffer.cut);
    buffer.whole.clear();
    XmlDocument::appendText(node, buffer.whole);
    return ReplyText::bounded(buffer.whole, buffer.cut);
}

ReplyReader::Elements childrenOfRoot(const XmlDocument& reply, std::string_view name) {
    pugi::xml_node root = reply.documentElement();
    if (!ReplyReader::isNamed(root, RootElement))
        root = pugi::xml_node();
    return {root, name};
}

} // namespace

// The loop stops at the first difference, so a shorter name is never read past its end.
bool ReplyReader::isNamed(pugi::xml_node node, std::string_view name) {
    const char* own = node.name();
    for (const char c : name)
        if (*own++ != c)
            return false;
    return *own == '\0';
}

ReplyReader::Elements::iterator::iterator(pugi::xml_node node, std::string_view name)
    : m_node(node), m_name(name) {
    skipOthers();
}

ReplyReader::Elements::iterator& ReplyReader::Elements::iterator::operator++() {
    m_node = m_node.next_sibling();
    skipOthers();
    return *this;
}

ReplyReader::Elements::iterator ReplyReader::Elements::iterator::operator++(int) {
    iterator before = *this;
    ++*this;
    return before;
}

void ReplyReader::Elements::iterator::skipOthers() {
    while (m_node && (!isNamed(m_node, m_name) || m_node.type() != pugi::node_element))
        m_node = m_node.next_sibling();
}

ReplyReader::Elements ReplyReader::artists(const XmlDocument& reply) {
    return childrenOfRoot(reply, ArtistElement);
}

ReplyReader::Elements ReplyReader::albums(const XmlDocument& reply) {
    return childrenOfRoot(reply, AlbumElement);
}

std::size_t ReplyReader::count(const Elements& elements) {
    return static_cast<std::size_t>(std::distance(elements.begin(), elements.end()));
}

ReplyReader::Outcome ReplyReader::addArtists(const Elements& artists, CatalogueBuilder& catalogue) {
    catalogue.reserveArtists(count(artists));
    TextBuffer name, songs;
    for (const pugi::xml_node artist : artists) {
        const pugi::xml_node nameNode = artist.child(NameChild);
        const pugi::xml_attribute id = artist.attribute(IdAttribute);
        if (!nameNode || !id)
            continue;
        if (!ReplyText::isAcceptableId(std::string_view(id.value())))
            return Outcome::Malformed;
        catalogue.addArtist(id.value(), textOf(nameNode, name),
                            textOf(artist.child(SongsChild), songs));
    }
    return Outcome::Complete;
}

ReplyReader::Outcome ReplyReader::addAlbums(const Elements& albums, CatalogueBuilder& catalogue) {
    catalogue.reserveAlbums(count(albums));
    TextBuffer name, tracks;
    for (const pugi::xml_node album : albums) {
        const pugi::xml_attribute id = album.attribute(IdAttribute);
        if (!id)
            continue;
        if (!ReplyText::isAcceptableId(std::string_view(id.value())))
            return Outcome::Malformed;
        // One pass over the children: the first of each name counts, as a lookup would find.
        pugi::xml_node nameNode, tracksNode, artistNode;
        for (pugi::xml_node child = album.first_child(); child; child = child.next_sibling()) {
            if (!nameNode && isNamed(child, NameChild))
                nameNode = child;
            else if (!tracksNode && isNamed(child, TracksChild))
                tracksNode = child;
            else if (!artistNode && isNamed(child, ArtistChild))
                artistNode = child;
        }
        if (!nameNode)
            continue;
        const pugi::xml_attribute artistId = artistNode.attribute(IdAttribute);
        if (artistId && !ReplyText::isAcceptableId(std::string_view(artistId.value())))
            return Outcome::Malformed;
        catalogue.addAlbum(id.value(), textOf(nameNode, name), textOf(tracksNode, tracks),
                           artistId ? std::optional<std::string_view>(artistId.value())
                                    : std::nullopt);
    }
    return Outcome::Complete;
}

ReplyReader::Outcome ReplyReader::songs(const XmlDocument& reply, bool withArtist,
                                        SongListModel::Rows& out) {
    const Elements songs = childrenOfRoot(reply, SongElement);
    const std::size_t expected = count(songs);
    out.rows.reserve(out.rows.size() + expected);
    out.text.reserve(out.text.size() + expected * (withArtist ? 32 : 16));
    TextBuffer title, artist;
    std::string line;
    for (const pugi::xml_node song : songs) {
        // One pass over the children: the first of each name counts, as a lookup would find.
        pugi::xml_node titleNode, artistNode;
        for (pugi::xml_node child = song.first_child(); child; child = child.next_sibling()) {
            if (!titleNode && isNamed(child, TitleChild))
                titleNode = child;
            else if (!artistNode && isNamed(child, ArtistChild))
                artistNode = child;
        }
        const pugi::xml_attribute id = song.attribute(IdAttribute);
        if (!titleNode || !id || (withArtist && !artistNode) ||
            !ReplyText::isAcceptableId(std::string_view(id.value())))
            return Outcome::Malformed;
        // A song whose id is no number is still listed; adding it says why it can't be.
        const std::optional<std::int64_t> number =
            NumberText::wholeNumber(std::string_view(id.value()));
        if (!withArtist) {
            out.add(textOf(titleNode, title), number);
            continue;
        }
        line.assign(textOf(titleNode, title));
        line += " - ";
        line += textOf(artistNode, artist);
        out.add(line, number);
    }
    return Outcome::Complete;
}
