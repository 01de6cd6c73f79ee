#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The user's own files (settings, playlists), read and written so that no file can hold the
// program: only a regular file of bounded size is read, and a write replaces the file whole or
// leaves it as it was.
class LocalFile {
public:
    enum class Access { OwnerOnly, AsUsual };

    // Nothing when the file is missing, unreadable, or not a regular file of at most
    // `maximumBytes`; then the problem, if asked for, says why in a sentence (empty for a file
    // that is simply not there).
    static std::optional<QByteArray> read(const QString& path, qint64 maximumBytes,
                                          QString* problem = nullptr);
    // Replaces the file atomically, creating its folder when needed. On failure the previous
    // file is left whole and the reason is returned.
    static std::optional<QString> write(const QByteArray& bytes, const QString& path,
                                        Access access = Access::AsUsual);
};
