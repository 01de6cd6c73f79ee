#include "ServerCall.h"

#include "HttpClient.h"
#include "HttpRequest.h"
#include "ServerFailure.h"
#include "ServerSession.h"

namespace {
// The server's answer to a token it does not accept (any more).
constexpr char TokenRefused[] = "401";
} // namespace

ServerCall::ServerCall(ServerSession& session, const Handshake& signIn, QObject* parent)
    : QObject(parent), m_session(session), m_signIn(signIn) {
}

ServerCall::ServerCall(ServerSession& session, Request request, Reader read, OnLapse onLapse,
                       QObject* parent)
    : QObject(parent), m_session(session), m_request(std::move(request)), m_read(std::move(read)),
      m_onLapse(onLapse) {
}

ServerCall::~ServerCall() = default;

void ServerCall::start() {
    const SessionState& state = m_session.state();
    if (m_signIn)
        fetch(m_signIn->url(state.servername, state.username), {}, &ServerCall::onSignedIn);
    else
        fetch(m_request(state), m_read, &ServerCall::onLoaded);
}

void ServerCall::cancel() {
    if (m_http)
        m_http->cancel();
}

// The reply is parsed, and read, on the worker the request reads its body on; the GUI thread
// touches it again only once the request has finished.
void ServerCall::fetch(const QUrl& url, const Reader& read, Step then) {
    if (m_http)
        m_http.release()->deleteLater();
    HttpRequest::Consumer consume;
    if (read.element) {
        if (read.begin)
            read.begin();
        auto stream = std::make_shared<XmlStream>(read.element);
        consume.read = [stream](const QByteArray& piece) { stream->feed(piece); };
        consume.end = [this, stream] {
            if (stream->finish())
                m_reply.loadStreamed(*stream);
            else
                m_reply.setFetchFailure(XmlStream::notXml(), false);
        };
    } else {
        consume =
            HttpRequest::whole([this](QByteArray body) { m_reply.loadBytes(std::move(body)); });
    }
    m_http = m_session.http().request(url, std::move(consume));
    connect(m_http.get(), &HttpRequest::finished, this, [this, then] {
        const HttpReply fetched = m_http->takeResult();
        if (!fetched.ok())
            m_reply.setFetchFailure(fetched.reason, fetched.error == FetchError::Cancelled);
        (this->*then)();
    });
    m_http->start();
}

bool ServerCall::isAnswer() const {
    return m_reply.hasDocumentElement() && !ServerFailure::isErrorReply(m_reply);
}

bool ServerCall::keepToken() {
    const std::optional<QString> token = Handshake::token(m_reply);
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
    if (m_onLapse == OnLapse::Fail ||
        ServerFailure::errorCode(m_reply) != QLatin1String(TokenRefused)) {
        emit finished();
        return;
    }
    emit renewing(tr("Signing in again..."));
    const SessionState& state = m_session.state();
    fetch(m_session.handshake().url(state.servername, state.username), {}, &ServerCall::onRenewed);
}

void ServerCall::onRenewed() {
    if (!keepToken()) {
        emit finished();
        return;
    }
    // Once per call: a second refusal is the server's answer.
    m_onLapse = OnLapse::Fail;
    fetch(m_request(m_session.state()), m_read, &ServerCall::onLoaded);
}
