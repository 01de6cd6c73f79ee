#pragma once

#include "Clock.h"
#include "Handshake.h"
#include "SessionState.h"
#include "XmlDocument.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class HttpClient;

// The session with one server: its settings and token, the sign-in that gets a token, and the
// requests that send it. Servers end sessions after a while; a request they answer with error
// 401 signs in again once, exactly as the first sign-in did, and is then repeated once.
class ServerSession : public QObject {
    Q_OBJECT

public:
    // A request's URL, made from the session as it is when the request goes out.
    using Request = std::function<QUrl(const SessionState&)>;

    ServerSession(SessionState& state, HttpClient& http, UnixClock clock,
                  QObject* parent = nullptr);

    SessionState& state() { return m_state; }
    const SessionState& state() const { return m_state; }

    // What a request does when the server no longer accepts the token.
    enum class OnLapse { SignInAgain, Fail };

    // A handshake with a timestamp of this moment.
    Handshake handshake() const;
    // On success the token is kept, otherwise it stays as it was and the reply says why.
    bool signIn(const Handshake& handshake, XmlDocument& reply);
    // Loads a request that sends the token into the reply, and reads it (off the GUI thread)
    // with `read`, which sees every reply loaded, a refusal too. With SignInAgain, a refused
    // token is renewed and the request repeated; if that sign-in fails, the reply is the
    // sign-in's.
    void load(const Request& request, XmlDocument& reply, const XmlDocument::Reader& read = {},
              OnLapse onLapse = OnLapse::SignInAgain);

signals:
    void statusTextChanged(const QString& text);

private:
    void fetch(const QUrl& url, XmlDocument& reply, const XmlDocument::Reader& read = {});

    SessionState& m_state;
    HttpClient& m_http;
    UnixClock m_clock;
};
