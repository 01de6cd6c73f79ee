#include "LocalPeer.h"

#ifdef Q_OS_WIN
#include <windows.h>

#include <vector>
#else
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace LocalPeer {

#ifdef Q_OS_WIN

namespace {

// The user a process runs as, as the bytes of its security id; empty when it cannot be read.
std::vector<char> userOf(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<char> buffer(size);
    const bool read = size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!read)
        return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    if (!IsValidSid(sid))
        return {};
    const auto* bytes = static_cast<const char*>(sid);
    return std::vector<char>(bytes, bytes + GetLengthSid(sid));
}

} // namespace

bool isSameUser(qintptr descriptor, End peer) {
    const auto pipe = reinterpret_cast<HANDLE>(descriptor);
    ULONG id = 0;
    const bool known = peer == End::Server ? GetNamedPipeServerProcessId(pipe, &id)
                                           : GetNamedPipeClientProcessId(pipe, &id);
    if (!known)
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process)
        return false;
    const std::vector<char> theirs = userOf(process);
    CloseHandle(process);
    const std::vector<char> ours = userOf(GetCurrentProcess());
    return !ours.empty() && theirs == ours;
}

#else

bool isSameUser(qintptr descriptor, End) {
#ifdef SO_PEERCRED
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) !=
        0)
        return false;
    return credentials.uid == ::getuid();
#else
    uid_t user = 0;
    gid_t group = 0;
    return ::getpeereid(static_cast<int>(descriptor), &user, &group) == 0 && user == ::getuid();
#endif
}

#endif

} // namespace LocalPeer
