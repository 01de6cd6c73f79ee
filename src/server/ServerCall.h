#pragma once

#include "Handshake.h"
#include "XmlDocument.h"
#include "XmlStream.h"

#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class ServerSession;
struct SessionState;

// One call to the server, running while the event loop does: start() returns at once and
// finished() says when reply() is there. A sign-in call keeps the token it is given. A call that
// sends the token and is told it lapsed (error 401) signs in again once, as the first sign-in
// did, and is then repeated once; if that sign-in fails, the reply is the sign-in's. Dropping the
// call, or cancel(), ends it at once: a reading under way stops on its worker, unwaited for, and
// the call counts as cancelled. How a reply is fetched is the subclass's (HttpServerCall); the
// rules above are this class's.
class ServerCall : public QObject {
    Q_OBJECT

public:
    // A request's URL, made from the session as it is when the request goes out.
    using Request = std::function<QUrl(const SessionState&)>;
    // What a request does when the server no longer accepts the token.
    enum class OnLapse { SignInAgain, Fail };
    // Reads a reply as it streams in: makes, on the GUI thread, the element reader of each reply
    // (a renewal repeats the request, and gets a fresh one). The element reader runs on the worker
    // thread that parses the reply, for each child element of its document element "root", a
    // refusal too; it may go on after the call is gone, so it writes only to what it owns. The
    // reply itself then says whether what was read counts: a reply that turns out broken, or is
    // the server's refusal, does not.
    using Reader = std::function<XmlStream::ElementReader()>;

    ~ServerCall() override;

    void start();
    virtual void cancel() = 0;

    // What renewing() says.
    static QString renewingText();

    // Once finished.
    const XmlDocument& reply() const { return *m_reply; }
    bool wasCancelled() const { return m_reply->wasCancelled(); }
    // The reply came whole and is not the server's refusal: what its reader read counts.
    bool isAnswer() const;
    // The reply refuses the token the request went out with (after a renewal, when there was
    // one).
    bool tokenRefused() const;
    // A sign-in, the call's own or a renewal, was refused or did not reach the server.
    bool signInFailed() const { return m_signInFailed; }

signals:
    // "Signing in again...": a passing text, over once the command says something of its own.
    void renewing(const QString& text);
    void finished();

protected:
    ServerCall(ServerSession& session, const Handshake& signIn);
    // Without a reader the reply is loaded whole, for reading once the call has finished.
    ServerCall(ServerSession& session, Request request, Reader read, OnLapse onLapse);

    // Fetches the URL, reading the reply with a reader `read` makes (whole without one), and
    // hands the reply, or the reason there is none, to replied(). A fetch under way is dropped.
    virtual void fetch(const QUrl& url, const Reader& read) = 0;
    void replied(std::shared_ptr<const XmlDocument> reply);

private:
    using Step = void (ServerCall::*)();

    void fetchThen(const QUrl& url, const Reader& read, Step then);
    void onSignedIn();
    void onLoaded();
    void onRenewed();
    bool keepToken();

    ServerSession& m_session;
    std::optional<Handshake> m_signIn;
    Request m_request;
    Reader m_read;
    OnLapse m_onLapse = OnLapse::SignInAgain;
    bool m_signInFailed = false;
    Step m_then = nullptr;
    std::shared_ptr<const XmlDocument> m_reply = std::make_shared<XmlDocument>();
};
