#include "FileWatch.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <array>

const std::uint32_t FileWatch::OpenedMask = IN_OPEN | IN_ACCESS;
const std::uint32_t FileWatch::CreatedMask = IN_CREATE | IN_MOVED_TO;

FileWatch::FileWatch(const QString& path) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    EXPECT_GE(m_fd, 0);
    EXPECT_GE(inotify_add_watch(m_fd, path.toLocal8Bit().constData(), OpenedMask | CreatedMask), 0)
        << path.toStdString();
}

FileWatch::~FileWatch() {
    if (m_fd >= 0)
        close(m_fd);
}

std::uint32_t FileWatch::seen() {
    alignas(inotify_event) std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t got = read(m_fd, buffer.data(), buffer.size());
        if (got <= 0)
            return m_seen;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            m_seen |= event->mask;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}
