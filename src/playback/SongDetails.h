#pragma once

#include <QString>

class XmlDocument;

// The song reply: where to stream the song from, and how to label it.
struct SongDetails {
    enum class Problem {
        None,
        Incomplete,     // a field is missing, or the address is too long to be one
        NotHttpAddress, // the address is not one the player may open
    };

    QString url;
    QString title;
    QString artist;
    QString album;
    Problem problem = Problem::None;

    // All four fields, the texts cut to a readable length; a problem when any is missing or
    // the address is not an http or https one.
    static SongDetails read(const XmlDocument& reply);
};
