#pragma once

#include <QString>

#include <optional>

class XmlDocument;

// The one report of a failed server operation, worded from the last reply the operation loaded.
class ServerFailure {
public:
    static const QString& unableToRefresh();
    static const QString& unreadableReply();

    // No document: the fixed prompt, and on a line of its own the reason when one is known. An
    // error reply: its text and code, cut to a readable length. Any other reply: the reply could
    // not be read.
    static QString message(const XmlDocument& lastReply);
    // The error reply's message, or nothing when the reply holds no error element.
    static QString errorReplyMessage(const XmlDocument& reply);
    // Whether the reply is the server's refusal, and with which code.
    static bool isErrorReply(const XmlDocument& reply);
    static std::optional<QString> errorCode(const XmlDocument& reply);
};
