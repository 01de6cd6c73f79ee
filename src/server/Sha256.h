#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// SHA-256 of a text's UTF-8 bytes, as 64 lowercase hexadecimal digits. The settings file keeps
// the digest of the password, and the handshake digests the timestamp joined to that digest.
class Sha256 {
public:
    QString hex(const QString& message) const;
    QString hex(const QByteArray& bytes) const;

private:
    static std::vector<std::uint32_t> messageToWords(const QByteArray& bytes);
};
