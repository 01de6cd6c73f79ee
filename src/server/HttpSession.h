#pragma once

#include "ServerSession.h"

class HttpClient;

// The session's calls over HTTP, through one client.
class HttpSession : public ServerSession {
public:
    HttpSession(SessionState& state, HttpClient& http, UnixClock clock)
        : ServerSession(state, std::move(clock)), m_http(http) {}

    std::unique_ptr<ServerCall> signIn(const Handshake& handshake) override;
    std::unique_ptr<ServerCall> request(ServerCall::Request request, ServerCall::Reader read,
                                        ServerCall::OnLapse onLapse) override;

private:
    HttpClient& m_http;
};
