#pragma once

#include <QByteArray>
#include <QString>

enum class FetchError {
    None,
    Busy,        // another request of this client is still running
    Unreachable, // refused, unknown host, dropped connection
    TimedOut,    // the transfer stalled for longer than the stall time-out
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
