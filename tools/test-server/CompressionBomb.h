#pragma once

#include <cstddef>
#include <optional>
#include <string>

// A small body that a client expanding it as its Content-Encoding says would turn into an XML
// reply of the given size: "<root>" and blanks. Made for the HTTP content encodings "gzip",
// "deflate", "br" and "zstd"; nothing for any other.
class CompressionBomb {
public:
    static std::optional<std::string> make(const std::string& encoding, std::size_t expandedBytes);
    // The text compressed as a server would send it: "gzip", "deflate" (a zlib stream) or
    // "raw-deflate" (bare deflate data, which some servers send as "deflate"), or "gzip-members"
    // (two gzip members one after the other, sent as "gzip").
    static std::optional<std::string> compress(const std::string& encoding,
                                               const std::string& text);
};
