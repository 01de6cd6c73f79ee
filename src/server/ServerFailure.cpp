#include "ServerFailure.h"

#include "ReplyText.h"
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
    return ReplyText::of(error) + QLatin1String("[Sonaric Error: ") +
           ReplyText::attribute(error, CodeAttribute).value_or(QString()) + QLatin1Char(']');
}

bool ServerFailure::isErrorReply(const XmlDocument& reply) {
    return static_cast<bool>(reply.selectSingleNode(ErrorPath));
}

std::optional<QString> ServerFailure::errorCode(const XmlDocument& reply) {
    const pugi::xml_node error = reply.selectSingleNode(ErrorPath);
    if (!error)
        return std::nullopt;
    return ReplyText::attribute(error, CodeAttribute).value_or(QString());
}

QString ServerFailure::message(const XmlDocument& lastReply) {
    // The prompt is the fixed one; what the client knows of the cause follows it, so a
    // refused certificate or a time-out does not send the user to check the password.
    if (!lastReply.hasDocumentElement()) {
        const QString& reason = lastReply.failureReason();
        return reason.isEmpty() ? unableToRefresh()
                                : unableToRefresh() + QLatin1Char('\n') + reason;
    }
    const QString error = errorReplyMessage(lastReply);
    return error.isEmpty() ? unreadableReply() : error;
}
