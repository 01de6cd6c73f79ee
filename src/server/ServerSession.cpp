#include "ServerSession.h"

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

Handshake ServerSession::handshake() const {
    return Handshake::at(m_clock(), m_state.hashKey);
}

bool ServerSession::signIn(const Handshake& handshake, XmlDocument& reply) {
    reply.load(handshake.url(m_state.servername, m_state.username), m_http);
    const std::optional<QString> token = Handshake::token(reply);
    if (!token)
        return false;
    m_state.authToken = *token;
    return true;
}

void ServerSession::load(const Request& request, XmlDocument& reply,
                         const XmlDocument::Reader& read, OnLapse onLapse) {
    reply.load(request(m_state), m_http, read);
    if (onLapse == OnLapse::Fail || ServerFailure::errorCode(reply) != QLatin1String(TokenRefused))
        return;
    emit statusTextChanged(tr("Signing in again..."));
    if (!signIn(handshake(), reply))
        return;
    reply.load(request(m_state), m_http, read);
}
