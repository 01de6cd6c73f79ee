#pragma once

#include "ReplyReading.h"
#include "ServerSession.h"
#include "SessionState.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QUrl>

#include <memory>
#include <vector>

class ScriptedSession;

// A call whose replies the test gives: each fetch waits for answer() or fail(), and a reply goes
// through the same reading as one off the network (the element reader on real bytes).
class ScriptedCall : public ServerCall {
public:
    ScriptedCall(ScriptedSession& session, const Handshake& signIn);
    ScriptedCall(ScriptedSession& session, Request request, Reader read, OnLapse onLapse);
    ~ScriptedCall() override;

    // The URL of the fetch under way; empty when none is.
    const QUrl& url() const { return m_url; }
    bool isFetching() const { return !m_url.isEmpty(); }

    void answer(const QByteArray& xml) {
        auto reading =
            std::make_shared<ReplyReading>(m_read ? m_read() : XmlStream::ElementReader());
        reading->feed(xml);
        reading->end();
        end(std::shared_ptr<XmlDocument>(reading, &reading->document()));
    }
    void fail(const QString& reason) { end(failure(reason, false)); }
    void cancel() override {
        if (isFetching())
            end(failure(QStringLiteral("Cancelled"), true));
    }

protected:
    void fetch(const QUrl& url, const Reader& read) override {
        m_url = url;
        m_read = read;
    }

private:
    static std::shared_ptr<XmlDocument> failure(const QString& reason, bool cancelled) {
        auto reply = std::make_shared<XmlDocument>();
        reply->setFetchFailure(reason, cancelled);
        return reply;
    }
    void end(std::shared_ptr<const XmlDocument> reply) {
        m_url.clear();
        replied(std::move(reply));
    }

    ScriptedSession& m_session;
    QUrl m_url;
    Reader m_read;
};

// A session signed in as "demo" to the server the scripted calls stand for.
inline SessionState scriptedState(const QString& token) {
    SessionState state;
    state.servername = QStringLiteral("http://server");
    state.username = QStringLiteral("demo");
    state.authToken = token;
    return state;
}

// The session's calls, made and kept for the test to answer; a call the command drops leaves the
// list.
class ScriptedSession : public ServerSession {
public:
    explicit ScriptedSession(SessionState& state)
        : ServerSession(state, [] { return std::int64_t(1700000000); }) {}
    // The calls a command let go of are deleted later; they go now, while the list they leave is
    // still here, and not in whatever test runs the event loop next.
    ~ScriptedSession() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::unique_ptr<ServerCall> signIn(const Handshake& handshake) override {
        return std::make_unique<ScriptedCall>(*this, handshake);
    }
    std::unique_ptr<ServerCall> request(ServerCall::Request request, ServerCall::Reader read,
                                        ServerCall::OnLapse onLapse) override {
        return std::make_unique<ScriptedCall>(*this, std::move(request), std::move(read), onLapse);
    }

    // The calls alive, in the order they were made.
    std::vector<ScriptedCall*> calls;
    // The fetches under way, in the order they were made.
    std::vector<ScriptedCall*> fetching() const {
        std::vector<ScriptedCall*> out;
        for (ScriptedCall* call : calls)
            if (call->isFetching())
                out.push_back(call);
        return out;
    }
};

inline ScriptedCall::ScriptedCall(ScriptedSession& session, const Handshake& signIn)
    : ServerCall(session, signIn), m_session(session) {
    m_session.calls.push_back(this);
}

inline ScriptedCall::ScriptedCall(ScriptedSession& session, Request request, Reader read,
                                  OnLapse onLapse)
    : ServerCall(session, std::move(request), std::move(read), onLapse), m_session(session) {
    m_session.calls.push_back(this);
}

inline ScriptedCall::~ScriptedCall() {
    std::erase(m_session.calls, this);
}
