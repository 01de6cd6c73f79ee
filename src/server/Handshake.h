#pragma once

#include "Clock.h"

#include <QString>
#include <QUrl>

#include <cstdint>

// The sign-in request: a passphrase made from the current time and the stored password digest.
struct Handshake {
    std::int64_t timestamp = 0;
    QString passphrase;

    static Handshake at(std::int64_t timestamp, const QString& hashKey);
    QUrl url(const QString& servername, const QString& username) const;

    static constexpr char AuthPath[] = "/root/auth";
};
