#pragma once

#include <QUrl>
#include <QtGlobal>

#include <chrono>

// What a request to a server is held to: nothing a server sends is trusted. A reply is bounded in
// size (checked against the announced length and counted while reading), in time (a stall
// time-out, and a low-speed limit that a reply trickling in byte by byte cannot keep resetting),
// and in where it may lead (redirects stay on the server's own origin, so the token in the query
// never goes anywhere else).
struct HttpLimits {
    static constexpr std::chrono::milliseconds DefaultStallTimeout{30000};
    static constexpr qint64 MaxReplyBytes = 256LL * 1024 * 1024;
    // A reply that is small by nature (a sign-in, one song) is held whole and read at its end.
    static constexpr qint64 MaxSmallReplyBytes = 1024 * 1024;
    static constexpr int MaxRedirects = 5;

    // Less than `bytes` arriving within any `window` ends the request, as curl's low-speed limit.
    struct LowSpeed {
        qint64 bytes = 1024;
        std::chrono::milliseconds window{30000};
    };

    std::chrono::milliseconds stallTimeout = DefaultStallTimeout;
    qint64 maxBytes = MaxReplyBytes;
    LowSpeed lowSpeed;

    // Whether a request to `origin` may follow a redirect to `target`: the same scheme, host and
    // port, or from http to https on the same host.
    static bool isSameServer(const QUrl& origin, const QUrl& target);
};
