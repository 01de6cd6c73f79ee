#pragma once

#include "Clock.h"
#include "Handshake.h"
#include "ServerCall.h"
#include "SessionState.h"

#include <memory>

// The session with one server: its settings and token, the clock its handshakes are made with,
// and the calls the commands make to it. The calls go over HTTP (HttpSession); a test may script
// them instead, where what it checks is not the server.
class ServerSession {
public:
    ServerSession(SessionState& state, UnixClock clock)
        : m_state(state), m_clock(std::move(clock)) {}
    virtual ~ServerSession() = default;

    SessionState& state() { return m_state; }
    const SessionState& state() const { return m_state; }

    // A handshake with a timestamp of this moment.
    Handshake handshake() const { return Handshake::at(m_clock(), m_state.hashKey); }

    // A sign-in that keeps the token it is given.
    virtual std::unique_ptr<ServerCall> signIn(const Handshake& handshake) = 0;
    // A request; without a reader its reply is loaded whole.
    virtual std::unique_ptr<ServerCall>
    request(ServerCall::Request request, ServerCall::Reader read = {},
            ServerCall::OnLapse onLapse = ServerCall::OnLapse::SignInAgain) = 0;

private:
    SessionState& m_state;
    UnixClock m_clock;
};
