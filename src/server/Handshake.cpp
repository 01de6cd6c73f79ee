#include "Handshake.h"

#include "ReplyText.h"
#include "RequestUrl.h"
#include "Sha256.h"
#include "XmlDocument.h"

namespace {
constexpr char AuthPath[] = "/root/auth";
}

Handshake Handshake::at(std::int64_t timestamp, const QString& hashKey) {
    return {timestamp, Sha256().hex(QString::number(timestamp) + hashKey)};
}

QUrl Handshake::url(const QString& servername, const QString& username) const {
    return RequestUrl::handshake(servername, passphrase, timestamp, username);
}

std::optional<QString> Handshake::token(const XmlDocument& reply) {
    const pugi::xml_node auth = reply.selectSingleNode(AuthPath);
    if (!auth)
        return std::nullopt;
    // The token goes back in every request: one of megabytes would make every URL as large, and
    // an empty one signs nobody in.
    QString token = XmlDocument::text(auth);
    if (token.isEmpty() || !ReplyText::isAcceptableId(token))
        return std::nullopt;
    return token;
}
