#include "HttpSession.h"

#include "HttpServerCall.h"

std::unique_ptr<ServerCall> HttpSession::signIn(const Handshake& handshake) {
    return std::make_unique<HttpServerCall>(*this, m_http, handshake);
}

std::unique_ptr<ServerCall> HttpSession::request(ServerCall::Request request,
                                                 ServerCall::Reader read,
                                                 ServerCall::OnLapse onLapse) {
    return std::make_unique<HttpServerCall>(*this, m_http, std::move(request), std::move(read),
                                            onLapse);
}
