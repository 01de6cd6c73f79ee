#include "ScriptedSession.h"
#include "SessionState.h"

#include <QSignalSpy>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

constexpr char Token[] = "<root><auth>%1</auth></root>";
constexpr char Lapsed[] = "<root><error code=\"401\">Session expired</error></root>";
constexpr char Artists[] = "<root><artist id=\"1\"><name>A</name></artist></root>";

QByteArray token(const char* value) {
    return QString::fromLatin1(Token).arg(QLatin1String(value)).toUtf8();
}

QString action(const ScriptedCall& call) {
    return QUrlQuery(call.url()).queryItemValue("action");
}

class ServerCalls : public ::testing::Test {
protected:
    SessionState state = scriptedState("old");
    ScriptedSession session{state};
    int read = 0;

    std::unique_ptr<ServerCall> artists(ServerCall::OnLapse onLapse) {
        return session.request(
            [](const SessionState& s) {
                return QUrl("http://server/?action=artists&auth=" + s.authToken);
            },
            [this] { return [this](const XmlRecord&) { ++read; }; }, onLapse);
    }
    ScriptedCall& only() {
        EXPECT_EQ(session.fetching().size(), 1u);
        return *session.fetching().front();
    }
};

// A lapsed token is renewed once, as the first sign-in did, and the request repeated with the
// new one; the passing text comes once, and only the repeated reply is read.
TEST_F(ServerCalls, ALapsedTokenIsRenewedOnceAndTheRequestRepeated) {
    std::unique_ptr<ServerCall> call = artists(ServerCall::OnLapse::SignInAgain);
    QSignalSpy renewing(call.get(), &ServerCall::renewing);
    QSignalSpy finished(call.get(), &ServerCall::finished);
    call->start();
    only().answer(Lapsed);
    ASSERT_EQ(renewing.count(), 1);
    EXPECT_EQ(renewing[0][0].toString(), ServerCall::renewingText());
    EXPECT_EQ(action(only()), "handshake");
    EXPECT_EQ(QUrlQuery(only().url()).queryItemValue("timestamp"), "1700000000");
    only().answer(token("new"));
    EXPECT_EQ(state.authToken, "new");
    EXPECT_EQ(only().url().toString(), "http://server/?action=artists&auth=new");
    EXPECT_EQ(finished.count(), 0);
    only().answer(Artists);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(call->isAnswer());
    EXPECT_EQ(read, 2); // the refusal's error element, then the artist
    EXPECT_EQ(renewing.count(), 1);

    // A second lapse within one call is the server's answer; so is any lapse for a call that
    // fails on it, and a refused token for a sign-in is no lapse at all.
    for (auto onLapse : {ServerCall::OnLapse::SignInAgain, ServerCall::OnLapse::Fail}) {
        std::unique_ptr<ServerCall> again = artists(onLapse);
        QSignalSpy ended(again.get(), &ServerCall::finished);
        again->start();
        if (onLapse == ServerCall::OnLapse::SignInAgain) {
            only().answer(Lapsed);
            only().answer(token("newer"));
        }
        only().answer(Lapsed);
        ASSERT_EQ(ended.count(), 1);
        EXPECT_TRUE(again->tokenRefused());
        EXPECT_FALSE(again->isAnswer());
        EXPECT_FALSE(again->signInFailed());
    }
    std::unique_ptr<ServerCall> signIn = session.signIn(session.handshake());
    signIn->start();
    only().answer(Lapsed);
    EXPECT_FALSE(signIn->tokenRefused());
    EXPECT_TRUE(signIn->signInFailed());
}

// A renewal the server refuses, or that does not reach it, ends the call with its reply; the
// token stays as it was.
TEST_F(ServerCalls, AFailedRenewalEndsTheCallWithTheSignInsReply) {
    for (bool reached : {true, false}) {
        std::unique_ptr<ServerCall> call = artists(ServerCall::OnLapse::SignInAgain);
        QSignalSpy finished(call.get(), &ServerCall::finished);
        call->start();
        only().answer(Lapsed);
        if (reached)
            only().answer("<root><error code=\"403\">No such user</error></root>");
        else
            only().fail("Connection refused");
        ASSERT_EQ(finished.count(), 1);
        EXPECT_TRUE(call->signInFailed());
        EXPECT_FALSE(call->isAnswer());
        EXPECT_EQ(call->reply().failureReason(), reached ? "" : "Connection refused");
        EXPECT_EQ(state.authToken, "old");
        EXPECT_TRUE(session.fetching().empty());
    }
}

// A cancel at either step ends the call at once as cancelled, and nothing is read after it; a
// call dropped while it fetches is gone with its fetch.
TEST_F(ServerCalls, ACancelAtAnyStepEndsTheCallAsCancelled) {
    for (int step : {0, 1}) {
        std::unique_ptr<ServerCall> call = artists(ServerCall::OnLapse::SignInAgain);
        QSignalSpy finished(call.get(), &ServerCall::finished);
        call->start();
        if (step == 1)
            only().answer(Lapsed);
        call->cancel();
        ASSERT_EQ(finished.count(), 1);
        EXPECT_TRUE(call->wasCancelled());
        EXPECT_FALSE(call->isAnswer());
        EXPECT_TRUE(session.fetching().empty());
    }
    EXPECT_EQ(read, 1); // the lapse's error element only
    artists(ServerCall::OnLapse::Fail)->start();
    EXPECT_TRUE(session.calls.empty());
}

} // namespace
