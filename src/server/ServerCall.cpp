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

namespace {

// What a reading leaves, on the worker the request reads its body on. The call looks at it only
// once its request has finished well, when the worker is done with it; a reading that is dropped
// keeps it to itself until it stops.
struct Reading {
    explicit Reading(XmlStream::ElementReader read) : stream(std::move(read)) {}
    XmlStream stream;
    QByteArray body; // a small reply's, read whole at its end
    XmlDocument document;
};

} // namespace

// The reply is parsed, and read, on the worker the request reads its body on. A small reply goes
// through the stream reader too, for the same refusals, before it is loaded whole.
void ServerCall::fetch(const QUrl& url, const Reader& read, Step then) {
    if (m_http)
        m_http.release()->deleteLater();
    const bool whole = !read;
    auto reading = std::make_shared<Reading>(whole ? XmlStream::ElementReader() : read());
    HttpRequest::Consumer consume;
    consume.read = [reading, whole](const QByteArray& piece) {
        if (whole)
            reading->body += piece;
        return reading->stream.feed(piece);
    };
    consume.end = [reading, whole] {
        if (!reading->stream.finish())
            reading->document.setFetchFailure(reading->stream.refusalMessage(), false);
        else if (whole)
            reading->document.loadBytes(std::exchange(reading->body, QByteArray()));
        else
            reading->document.loadStreamed(reading->stream);
    };
    m_http = m_session.http().request(url, std::move(consume),
                                      whole ? HttpClient::ReplySize::Small
                                            : HttpClient::ReplySize::List);
    connect(m_http.get(), &HttpRequest::finished, this, [this, then, reading] {
        const HttpReply fetched = m_http->takeResult();
        if (fetched.ok()) {
            m_reply = std::shared_ptr<XmlDocument>(reading, &reading->document);
        } else {
            auto failed = std::make_shared<XmlDocument>();
            // A refusal is the reader's to explain; the worker has stopped writing the stream's
            // verdict by the time the request ends.
            failed->setFetchFailure(fetched.error == FetchError::Refused
                                        ? reading->stream.refusalMessage()
                                        : fetched.reason,
                                    fetched.error == FetchError::Cancelled);
            m_reply = std::move(failed);
        }
        (this->*then)();
    });
    m_http->start();
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
