#include "ServerFailure.h"

#include "XmlDocument.h"

#include <QCoreApplication>

namespace {
constexpr char ErrorPath[] = "/root/error";
constexpr char CodeAttribute[] = "code";
} // namespace

const QString& ServerFailure::unableToRefresh() {
    static const QString text = QStringLiteral(
        "Unable to refresh library. Please check the server name, username and password are "
        "correct.");
    return text;
}

const QString& ServerFailure::unreadableReply() {
    static const QString text = QCoreApplication::translate(
        "ServerFailure", "The server's reply could not be read: it is not a reply this client "
                         "understands.");
    return text;
}

QString ServerFailure::errorReplyMessage(const XmlDocument& reply) {
    const pugi::xml_node error = reply.selectSingleNode(ErrorPath);
    if (!error)
        return {};
    return XmlDocument::text(error) + QLatin1String("[Sonaric Error: ") +
           XmlDocument::attribute(error, CodeAttribute).value_or(QString()) + QLatin1Char(']');
}

QString ServerFailure::message(const XmlDocument& lastReply) {
    // A refused certificate is named: the credentials prompt would send the user the wrong way.
    if (!lastReply.hasDocumentElement() && lastReply.fetchError() == FetchError::Tls)
        return lastReply.failureReason();
    if (!lastReply.hasDocumentElement())
        return unableToRefresh();
    const QString error = errorReplyMessage(lastReply);
    return error.isEmpty() ? unreadableReply() : error;
}
