#pragma once

#include <QString>

// An exclusive lock on a file, held for as long as the object lives and released by the system
// when the process ends, however it ends. Whoever holds it is the running instance: taking it is
// the one atomic step of a start, so two starts at once can never both win.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Result {
        Taken,
        HeldByAnother,
        Failed, // the file could not be opened or locked
    };

    // Creates the file, readable by its owner only, when it is not there; never follows a link.
    Result take(const QString& path);
    bool isHeld() const;

private:
#ifdef Q_OS_WIN
    void* m_handle = nullptr;
#else
    int m_descriptor = -1;
#endif
};
