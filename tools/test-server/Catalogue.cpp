#include "Catalogue.h"

#include <map>

Catalogue Catalogue::demo() {
    Catalogue c;
    c.artists = {
        {"1", "The Quiet Ones", "3"},
        {"2", "Rock & Roll Heroes", "2"},
        {"3", "<Angle> Brackets", "1"},
        {"4", "Café Żółw & Ωμέγα Sound", "2"},
        {"5", "Empty Count", ""},
        {"6", "Cdata & Co <live>", "1", true},
        {"40000", "High Id Orchestra", "2"},
    };
    c.albums = {
        {"10", "Morning Light", "3", "1"},       {"11", "Loud & Proud", "2", "2"},
        {"12", "Less <Than> More", "1", "3"},    {"13", "Ünïcödé Nights", "2", "4"},
        {"14", "Nothing Counted", "", "5"},      {"15", "Live at the <Cdata> Club", "1", "6"},
        {"70000", "Beyond 32767", "2", "40000"}, {"20", "Summer Compilation", "2", "0"},
    };
    struct Track {
        std::int64_t id;
        const char* title;
        const char* albumId;
    };
    const Track tracks[] = {
        {1, "Dawn", "10"},
        {2, "Noon", "10"},
        {3, "Dusk", "10"},
        {4, "Rock & Roll #1", "11"},
        {5, "Encore < Finale", "11"},
        {6, "Smaller Than Life", "12"},
        {7, "Žluťoučký kůň", "13"},
        {8, "Ночная песня", "13"},
        {9, "Silent Track", "14"},
        {10, "Applause & Echo", "15"},
        {40001, "High Note", "70000"},
        {40002, "Higher Note", "70000"},
        {11, "Beach Song", "20"},
        {12, "Sunset Song", "20"},
    };
    std::map<std::string, const Album*> albumById;
    for (const Album& album : c.albums)
        albumById[album.id] = &album;
    std::map<std::string, const Artist*> artistById;
    for (const Artist& artist : c.artists)
        artistById[artist.id] = &artist;
    for (const Track& t : tracks) {
        const Album* album = albumById.at(t.albumId);
        const auto performer = artistById.find(album->artistId);
        const std::string artist =
            performer != artistById.end() ? performer->second->name : "Various Artists";
        c.songs.push_back({t.id, t.title, artist, album->name, album->artistId, album->id});
    }
    return c;
}

Catalogue Catalogue::generated(int artistCount, int albumCount, int songCount) {
    Catalogue c;
    c.artists.reserve(static_cast<std::size_t>(artistCount));
    c.albums.reserve(static_cast<std::size_t>(albumCount));
    c.songs.reserve(static_cast<std::size_t>(songCount));
    for (int i = 1; i <= artistCount; ++i)
        c.artists.push_back({std::to_string(i), "Artist " + std::to_string(i), "10"});
    for (int i = 1; i <= albumCount; ++i) {
        const int artist = artistCount > 0 ? (i - 1) % artistCount + 1 : 0;
        c.albums.push_back(
            {std::to_string(i), "Album " + std::to_string(i), "10", std::to_string(artist)});
    }
    for (int i = 1; i <= songCount; ++i) {
        const std::size_t album =
            albumCount > 0 ? static_cast<std::size_t>((i - 1) % albumCount) : 0;
        const Album* on = albumCount > 0 ? &c.albums[album] : nullptr;
        c.songs.push_back({i, "Song " + std::to_string(i), on ? "Artist " + on->artistId : "Nobody",
                           on ? on->name : "No Album", on ? on->artistId : "0", on ? on->id : "0"});
    }
    return c;
}
