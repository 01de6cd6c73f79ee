#include "Handshake.h"

#include "CSHA256.h"
#include "RequestUrl.h"

Handshake Handshake::at(std::int64_t timestamp, const QString& hashKey) {
    return {timestamp, CSHA256().SHA256(QString::number(timestamp) + hashKey)};
}

QUrl Handshake::url(const QString& servername, const QString& username) const {
    return RequestUrl::handshake(servername, passphrase, timestamp, username);
}
