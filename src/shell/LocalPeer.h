#pragma once

#include <QtGlobal>

// Who is at the other end of a local socket (a Unix socket, or a named pipe on Windows).
namespace LocalPeer {

enum class End {
    Server, // we connected to it
    Client, // it connected to us
};

// True only when the process at the other end runs as the same user as this one; false too when
// that cannot be found out.
bool isSameUser(qintptr descriptor, End peer);

} // namespace LocalPeer
