#pragma once

#include <QString>

#include <cstdint>

// Watches a file or a folder through inotify: whether anything, any process, opened the file or
// created something in the folder while the watch ran.
class FileWatch {
public:
    explicit FileWatch(const QString& path);
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    bool wasOpened() { return seen() & OpenedMask; }
    bool hadCreations() { return seen() & CreatedMask; }

private:
    static const std::uint32_t OpenedMask;
    static const std::uint32_t CreatedMask;
    std::uint32_t seen();

    int m_fd = -1;
    std::uint32_t m_seen = 0;
};
