#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// SHA-256 of a text's UTF-8 bytes, as 64 lowercase hexadecimal digits. The settings file keeps
// the digest of the password, and the handshake digests the timestamp joined to that digest.
class CSHA256 {
public:
    QString SHA256(const QString& message) const;
    QString SHA256(const QByteArray& bytes) const;

private:
    static std::vector<std::uint32_t> MessageToWords(const QByteArray& bytes);
};
