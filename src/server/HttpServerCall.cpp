#include "HttpServerCall.h"

#include "HttpClient.h"
#include "HttpRequest.h"
#include "ReplyReading.h"

HttpServerCall::HttpServerCall(ServerSession& session, HttpClient& http, const Handshake& signIn)
    : ServerCall(session, signIn), m_http(http) {
}

HttpServerCall::HttpServerCall(ServerSession& session, HttpClient& http, Request request,
                               Reader read, OnLapse onLapse)
    : ServerCall(session, std::move(request), std::move(read), onLapse), m_http(http) {
}

HttpServerCall::~HttpServerCall() = default;

void HttpServerCall::cancel() {
    if (m_request)
        m_request->cancel();
}

// The reading is the worker's while the request runs; the call looks at it only once its request
// has finished well, when the worker is done with it, and a reading that is dropped keeps it to
// itself until it stops. A small reply goes through the stream reader too, for the same
// refusals, before it is loaded whole.
void HttpServerCall::fetch(const QUrl& url, const Reader& read) {
    if (m_request)
        m_request.release()->deleteLater();
    const bool whole = !read;
    auto reading = std::make_shared<ReplyReading>(whole ? XmlStream::ElementReader() : read());
    HttpRequest::Consumer consume;
    consume.read = [reading](const QByteArray& piece) { return reading->feed(piece); };
    consume.end = [reading] { reading->end(); };
    m_request = m_http.request(url, std::move(consume),
                               whole ? HttpClient::ReplySize::Small : HttpClient::ReplySize::List);
    connect(m_request.get(), &HttpRequest::finished, this, [this, reading] {
        const HttpReply fetched = m_request->takeResult();
        if (fetched.ok())
            return replied(std::shared_ptr<XmlDocument>(reading, &reading->document()));
        auto failed = std::make_shared<XmlDocument>();
        // A refusal is the reader's to explain; the worker has stopped writing the stream's
        // verdict by the time the request ends.
        failed->setFetchFailure(fetched.error == FetchError::Refused ? reading->refusalMessage()
                                                                     : fetched.reason,
                                fetched.error == FetchError::Cancelled);
        replied(std::move(failed));
    });
    m_request->start();
}
