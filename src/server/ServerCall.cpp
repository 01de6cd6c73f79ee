#include "ServerCall.h"

#include "ServerFailure.h"
#include "ServerSession.h"

namespace {
// The server's answer to a token it does not accept (any more).
constexpr char TokenRefused[] = "401";
} // namespace

ServerCall::ServerCall(ServerSession& session, const Handshake& signIn)
    : m_session(session), m_signIn(signIn) {
}

ServerCall::ServerCall(ServerSession& session, Request request, Reader read, OnLapse onLapse)
    : m_session(session), m_request(std::move(request)), m_read(std::move(read)),
      m_onLapse(onLapse) {
}

ServerCall::~ServerCall() = default;

void ServerCall::start() {
    const SessionState& state = m_session.state();
    if (m_signIn)
        fetchThen(m_signIn->url(state.servername, state.username), {}, &ServerCall::onSignedIn);
    else
        fetchThen(m_request(state), m_read, &ServerCall::onLoaded);
}

void ServerCall::fetchThen(const QUrl& url, const Reader& read, Step then) {
    m_then = then;
    fetch(url, read);
}

void ServerCall::replied(std::shared_ptr<const XmlDocument> reply) {
    m_reply = std::move(reply);
    (this->*m_then)();
}

bool ServerCall::isAnswer() const {
    return m_reply->hasDocumentElement() && !ServerFailure::isErrorReply(*m_reply);
}

QString ServerCall::renewingText() {
    return tr("Signing in again...");
}

bool ServerCall::tokenRefused() const {
    return !m_signIn && ServerFailure::errorCode(*m_reply) == QLatin1String(TokenRefused);
}

bool ServerCall::keepToken() {
    const std::optional<QString> token = Handshake::token(*m_reply);
    m_signInFailed = !token;
    if (token)
        m_session.state().authToken = *token;
    return !m_signInFailed;
}

void ServerCall::onSignedIn() {
    keepToken();
    emit finished();
}

void ServerCall::onLoaded() {
    if (m_onLapse == OnLapse::Fail || !tokenRefused()) {
        emit finished();
        return;
    }
    emit renewing(renewingText());
    const SessionState& state = m_session.state();
    fetchThen(m_session.handshake().url(state.servername, state.username), {},
              &ServerCall::onRenewed);
}

void ServerCall::onRenewed() {
    if (!keepToken()) {
        emit finished();
        return;
    }
    // Once per call: a second refusal is the server's answer.
    m_onLapse = OnLapse::Fail;
    fetchThen(m_request(m_session.state()), m_read, &ServerCall::onLoaded);
}
