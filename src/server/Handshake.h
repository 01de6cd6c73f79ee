#pragma once

#include "Clock.h"

#include <QString>
#include <QUrl>

#include <cstdint>
#include <optional>

class XmlDocument;

// The sign-in request: a passphrase made from the current time and the stored password digest.
struct Handshake {
    std::int64_t timestamp = 0;
    QString passphrase;

    static Handshake at(std::int64_t timestamp, const QString& hashKey);
    QUrl url(const QString& servername, const QString& username) const;

    // The token of a handshake reply, or nothing when the reply holds none or an overlong one.
    static std::optional<QString> token(const XmlDocument& reply);
};
