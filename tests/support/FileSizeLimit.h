#pragma once

#include <sys/resource.h>

// While it lives, a write past the given size fails the way a full disk makes it fail; unlike
// file modes, the limit binds root too. The signal the system sends with it is left as it is:
// the code under test has to keep it from ending the program.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit tiny = m_old;
        tiny.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
};
