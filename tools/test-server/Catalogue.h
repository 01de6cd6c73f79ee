#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The music a test server offers. Texts are UTF-8; ids and counts are kept as the text the server
// sends, so fixtures can hold awkward values.
struct Catalogue {
    struct Artist {
        std::string id;
        std::string name;
        std::string songs;
        bool nameAsCdata = false;
    };
    struct Album {
        std::string id;
        std::string name;
        std::string tracks;
        std::string artistId;
    };
    struct Song {
        std::int64_t id = 0;
        std::string title;
        std::string artist;
        std::string album;
        std::string artistId; // of the album the song is on
        std::string albumId;
    };

    std::vector<Artist> artists;
    std::vector<Album> albums;
    std::vector<Song> songs;

    // A small catalogue with the awkward cases a client must survive.
    static Catalogue demo();
    // A catalogue of any size for benchmarks.
    static Catalogue generated(int artistCount, int albumCount, int songCount);
};
