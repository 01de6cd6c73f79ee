#pragma once

#include <QByteArray>
#include <QString>

enum class FetchError {
    None,
    Busy,        // another request of this client is still running
    Cancelled,   // the user ended the wait
    Unreachable, // refused, unknown host, dropped connection
    TimedOut,    // nothing arrived for longer than the stall time-out
    TooSlow,     // less than the low-speed limit arrived within its window
    TooLarge,    // the reply is, or announced itself as, larger than the size limit
    Redirected,  // a redirect to another server, or too many redirects
    HttpStatus,  // the server answered with an error status
    Tls,         // the certificate or the TLS handshake was refused
    EmptyBody,
    Other,
};

struct HttpReply {
    QByteArray body;
    FetchError error = FetchError::None;
    int httpStatus = 0;
    QString reason; // for the caller's report; never contains the request URL's query

    bool ok() const { return error == FetchError::None; }
};
