#pragma once

// How a request to a server failed, if it did.
enum class FetchError {
    None,
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
    Refused, // the reader of the body refused it; it says why
    Other,
};
