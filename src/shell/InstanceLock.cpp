#include "InstanceLock.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <QFile>

#ifdef Q_OS_WIN

InstanceLock::~InstanceLock() {
    if (m_handle)
        CloseHandle(m_handle);
}

InstanceLock::Result InstanceLock::take(const QString& path) {
    HANDLE file =
        CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Result::Failed;
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        const DWORD error = GetLastError();
        CloseHandle(file);
        return error == ERROR_LOCK_VIOLATION ? Result::HeldByAnother : Result::Failed;
    }
    m_handle = file;
    return Result::Taken;
}

bool InstanceLock::isHeld() const {
    return m_handle != nullptr;
}

#else

InstanceLock::~InstanceLock() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

InstanceLock::Result InstanceLock::take(const QString& path) {
    const int descriptor = ::open(QFile::encodeName(path).constData(),
                                  O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return Result::Failed;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(descriptor);
        return error == EWOULDBLOCK ? Result::HeldByAnother : Result::Failed;
    }
    m_descriptor = descriptor;
    return Result::Taken;
}

bool InstanceLock::isHeld() const {
    return m_descriptor >= 0;
}

#endif
