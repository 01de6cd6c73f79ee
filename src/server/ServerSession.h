#pragma once

#include "Clock.h"
#include "Handshake.h"
#include "SessionState.h"

class HttpClient;

// The session with one server: its settings and token, the client its calls go through, and the
// clock its handshakes are made with.
class ServerSession {
public:
    ServerSession(SessionState& state, HttpClient& http, UnixClock clock)
        : m_state(state), m_http(http), m_clock(std::move(clock)) {}

    SessionState& state() { return m_state; }
    const SessionState& state() const { return m_state; }
    HttpClient& http() { return m_http; }

    // A handshake with a timestamp of this moment.
    Handshake handshake() const { return Handshake::at(m_clock(), m_state.hashKey); }

private:
    SessionState& m_state;
    HttpClient& m_http;
    UnixClock m_clock;
};
