#pragma once

#include <QString>

#include <optional>

class XmlDocument;

// The song reply: where to stream the song from, and how to label it.
struct SongDetails {
    QString url;
    QString title;
    QString artist;
    QString album;

    // Nothing unless all four fields are there.
    static std::optional<SongDetails> read(const XmlDocument& reply);
};
