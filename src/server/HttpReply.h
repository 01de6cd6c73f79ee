#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

enum class FetchError {
    None,
    Busy,        // another request of this client is still running
    Cancelled,   // the user ended the wait
    BadAddress,  // the server name is no http or https address; nothing was sent
    Unreachable, // refused, unknown host, dropped connection
    TimedOut,    // nothing arrived for longer than the stall time-out
    TooSlow,     // less than the low-speed limit arrived within its window
    TooLarge,    // the reply is, or announced itself as, larger than the size limit
    Redirected,  // a redirect to another server, or too many redirects
    HttpStatus,  // the server answered with an error status
    Tls,         // the certificate or the TLS handshake was refused
    Damaged,     // a compressed body that does not expand, or in an encoding not asked for
    EmptyBody,
    Other,
};

struct HttpReply {
    // The body as it arrived: one buffer when its length was announced, else the pieces in
    // order. takeBody() joins them, which for a large reply is best done off the GUI thread.
    std::vector<QByteArray> pieces;
    FetchError error = FetchError::None;
    int httpStatus = 0;
    QString reason; // for the caller's report; never contains the request URL's query

    bool ok() const { return error == FetchError::None; }

    QByteArray takeBody() {
        if (pieces.size() == 1)
            return std::exchange(pieces, {}).front();
        qsizetype size = 0;
        for (const QByteArray& piece : pieces)
            size += piece.size();
        QByteArray body;
        body.reserve(size);
        // Each piece goes as soon as it is copied, so the body is never held twice over.
        for (QByteArray& piece : pieces)
            body += std::exchange(piece, QByteArray());
        pieces.clear();
        return body;
    }
};
