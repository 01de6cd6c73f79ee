#include "ServerSession.h"

#include "HttpClient.h"
#include "ServerFailure.h"
#include "XmlDocument.h"

namespace {
// The server's answer to a token it does not accept (any more).
constexpr char TokenRefused[] = "401";
} // namespace

ServerSession::ServerSession(SessionState& state, HttpClient& http, UnixClock clock,
                             QObject* parent)
    : QObject(parent), m_state(state), m_http(http), m_clock(std::move(clock)) {
}

// The reply is parsed, and read, on the worker the client reads bodies on.
void ServerSession::fetch(const QUrl& url, XmlDocument& reply, const XmlDocument::Reader& read) {
    const HttpReply fetched = m_http.get(url, [&reply, &read](QByteArray body) {
        if (reply.loadBytes(std::move(body)) && read)
            read(reply);
    });
    if (!fetched.ok())
        reply.setFetchFailure(fetched.reason, fetched.error == FetchError::Cancelled);
}

Handshake ServerSession::handshake() const {
    return Handshake::at(m_clock(), m_state.hashKey);
}

bool ServerSession::signIn(const Handshake& handshake, XmlDocument& reply) {
    fetch(handshake.url(m_state.servername, m_state.username), reply);
    const std::optional<QString> token = Handshake::token(reply);
    if (!token)
        return false;
    m_state.authToken = *token;
    return true;
}

void ServerSession::load(const Request& request, XmlDocument& reply,
                         const XmlDocument::Reader& read, OnLapse onLapse) {
    fetch(request(m_state), reply, read);
    if (onLapse == OnLapse::Fail || ServerFailure::errorCode(reply) != QLatin1String(TokenRefused))
        return;
    emit statusTextChanged(tr("Signing in again..."));
    if (!signIn(handshake(), reply))
        return;
    fetch(request(m_state), reply, read);
}
