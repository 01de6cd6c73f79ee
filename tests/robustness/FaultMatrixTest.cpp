// Every operation that talks to the server, against every way a server can fail it, broken or
// hostile. Whatever happens, the user is told why, the program ends idle within bounded time and
// memory, and nothing the user had is lost.
#include "AppFixture.h"
#include "MemoryUse.h"

namespace {

using Fault = SonaricTestServer::Fault;

// Each operation, the request of it that the fault hits, and its status when it succeeds.
struct Operation {
    const char* name;
    const char* action;
    std::function<void(App&)> run;
    QString doneStatus;
};
const Operation Operations[] = {
    {"Refresh", "handshake", [](App& a) { a.refreshLibrary(); }, "Library refreshed"},
    {"TrackList", "album_songs", [](App& a) { a.showTracks("album10"); }, ""},
    {"Search", "search_songs", [](App& a) { a.search("o"); }, "Search Complete"},
    {"AddSong", "song", [](App& a) { a.addSong(3); }, ""},
};

class FaultMatrix;

struct FaultCase {
    const char* name;
    std::function<void(FaultMatrix&)> arrange;
    // What the box says, or part of it; none when the operation succeeds.
    QString message;
    // The refresh leaves broken elements out instead of failing.
    bool refreshReadsIt = false;
    // The server has ended the session: the client signs in again, once, and repeats the request.
    bool signsInAgain = false;
};

// Test names and failures print the case's name, not its bytes.
void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(const Operation& op, std::ostream* os) {
    *os << op.name;
}

class FaultMatrix : public AppFixture,
                    public ::testing::WithParamInterface<std::tuple<Operation, FaultCase>> {
public:
    using AppFixture::app;
    using AppFixture::server;
    std::unique_ptr<TestServer> other;

    const Operation& op() const { return std::get<0>(GetParam()); }
    bool isRefresh() const { return action() == "handshake"; }
    const FaultCase& fault() const { return std::get<1>(GetParam()); }
    std::string action() const { return op().action; }

    QString expectedMessage() const {
        return isRefresh() && fault().refreshReadsIt ? QString() : fault().message;
    }
    bool fails() const { return !expectedMessage().isEmpty(); }
    QString expectedStatus() const {
        return !fails() ? op().doneStatus : isRefresh() ? "Library refresh failed" : "";
    }
};

std::function<void(FaultMatrix&)> serverFault(Fault fault) {
    return [fault](FaultMatrix& t) { t.server->setFault(fault, t.action()); };
}

FaultCase bomb(const char* name, const char* encoding,
               const QString& reason = "The reply could not be expanded within the client's "
                                       "limits.") {
    return {name,
            [encoding](FaultMatrix& t) {
                t.server->setBombEncoding(encoding);
                t.server->setFault(Fault::CompressionBomb, t.action());
            },
            failedBecause(reason)};
}

const FaultCase Cases[] = {
    {"ExpiredSession", [](FaultMatrix& t) { t.server->expireSessions(); }, {}, false, true},
    {"Refused", [](FaultMatrix& t) { t.app->setServername(refusingUrl()); },
     failedBecause("Connection refused")},
    // Nothing is sent to a name that is no web address; Qt's own words would leave the user
    // guessing.
    {"NoWebAddress", [](FaultMatrix& t) { t.app->setServername(" " + t.server.url() + " "); },
     failedBecause("The server name is not a valid http or https address.")},
    {"Stall",
     [](FaultMatrix& t) {
         t.server->setFault(Fault::Delay, t.action(), 3000);
         t.app->http().setStallTimeout(std::chrono::milliseconds(300));
     },
     failedBecause("No answer from the server for 0.3 s.")},
    {"Http500", serverFault(Fault::Http500), failedBecause("HTTP 500 Internal Server Error")},
    {"Html", serverFault(Fault::HtmlBody), failedBecause("The reply is not XML.")},
    {"Truncated", serverFault(Fault::TruncatedBody), failedBecause("The reply is not XML.")},
    {"ClosedMidReply", serverFault(Fault::CloseMidReply), failedBecause("Connection closed")},
    {"ErrorReply",
     [](FaultMatrix& t) { t.server->setErrorReply(t.action(), "403", "Access denied"); },
     "Access denied[Sonaric Error: 403]"},
    {"WrongShape",
     [](FaultMatrix& t) {
         if (t.isRefresh())
             t.server->setReply("artists", "<root><artist id=\"1\"><songs>1</songs></artist>"
                                           "<artist><name>No id</name></artist></root>");
         else
             t.server->setReply(t.action(),
                                "<root><song><name>no id, title or url</name></song></root>");
     },
     "could not be read", true},
    // Read until the limit (a list's is lowered here, a sign-in's and a song's is 1 MB), and
    // nothing of it kept.
    {"Endless",
     [](FaultMatrix& t) {
         t.app->http().setMaxReplyBytes(8 << 20);
         t.server->setFault(Fault::Endless, t.action());
     },
     failedBecause("The reply is larger than ")},
    {"OversizeLength",
     [](FaultMatrix& t) {
         t.app->http().setMaxReplyBytes(8 << 20);
         t.server->setFault(Fault::OversizeLength, t.action());
     },
     failedBecause("The reply is larger than ")},
    {"Trickle",
     [](FaultMatrix& t) {
         t.app->http().setLowSpeedLimit({1024, std::chrono::milliseconds(1000)});
         t.server->setFault(Fault::Trickle, t.action(), 100);
     },
     failedBecause("Less than 1024 bytes arrived from the server in 1 s.")},
    bomb("GzipBomb", "gzip"),
    bomb("DeflateBomb", "deflate"),
    bomb("UnaskedEncoding", "br",
         "The server sent the reply in an encoding the client did not ask for."),
    {"DamagedEncoding", serverFault(Fault::DamagedEncoding),
     failedBecause("The server's compressed reply is damaged.")},
    {"RedirectLoop",
     [](FaultMatrix& t) {
         t.server->setRedirectTarget(t.server.url().toStdString());
         t.server->setFault(Fault::Redirect, t.action());
     },
     failedBecause("The server redirected the request more than 5 times.")},
    {"RedirectOnTheSameServer",
     [](FaultMatrix& t) {
         t.server->setRedirectTarget(t.server.url().toStdString() + "/moved");
         t.server->setFault(Fault::Redirect, t.action(), 0, 1);
     },
     {}},
    {"RedirectToAnotherServer",
     [](FaultMatrix& t) {
         t.other = std::make_unique<TestServer>();
         t.server->setRedirectTarget(t.other->url().toStdString());
         t.server->setFault(Fault::Redirect, t.action());
     },
     failedBecause("The server redirected the request to another address.")},
};

TEST_P(FaultMatrix, EndsIdleAndLosesNothing) {
    appData.writeSettings(settingsText("0"));
    const QByteArray settings = appData.settingsBytes();
    openLibrary();
    showTracks("album10");
    addSong(1);
    addSong(2);
    ASSERT_TRUE(reports.isEmpty());
    const QString token = app->session().authToken;
    const QStringList tree = treeTexts();
    const QStringList playlist = app->player().playlist().titles();

    QStringList statuses;
    QObject::connect(&app->status(), &StatusText::textChanged, app.get(),
                     [&](const QString& text) { statuses << text; });
    fault().arrange(*this);
    MemoryUse::resetPeak();
    const double before = MemoryUse::currentMiB();
    QElapsedTimer clock;
    clock.start();
    op().run(*app);
    settle();
    const double seconds = clock.elapsed() / 1000.0, grown = MemoryUse::peakMiB() - before;
    std::printf("[ measure  ] %.1f s, peak memory +%.0f MiB\n", seconds, grown);
    EXPECT_LT(seconds, 60);
    if (MemoryUse::Bounded) {
        EXPECT_LT(grown, 64);
    }

    // What the user is told.
    const QStringList messages = reports;
    if (fails()) {
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(expectedMessage())) << messages[0].toStdString();
        // The program is no longer busy when the report waits for the user.
        EXPECT_FALSE(reportedWhileBusy[0]);
    } else {
        EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    }
    for (const QString& m : messages) {
        EXPECT_FALSE(m.contains(token));
        EXPECT_FALSE(m.contains("auth="));
    }

    // Idle again.
    EXPECT_EQ(status(), expectedStatus());
    expectIdle();

    // Nothing lost.
    EXPECT_EQ(appData.settingsBytes(), settings);
    expectInStep();
    QStringList lines = app->player().playlist().titles();
    if (action() == "song" && !fails()) {
        ASSERT_EQ(lines.size(), playlist.size() + 1);
        lines.removeLast();
    }
    EXPECT_EQ(lines, playlist);
    // A refresh signs in afresh and builds the tree anew; one that fails leaves the tree empty.
    // Only a lapsed session signs in again, once, and the repeated request's result is shown.
    const bool renews = fault().signsInAgain && !isRefresh();
    EXPECT_EQ(statuses.count("Signing in again..."), renews ? 1 : 0);
    EXPECT_EQ(app->session().authToken == token, fails() || !(isRefresh() || renews));
    if (!fails() && action() != "song" && !isRefresh()) {
        EXPECT_GT(library().songs(action() == "search_songs" ? 1 : 0)->count(), 0);
    }
    if (!isRefresh() || fails()) {
        EXPECT_EQ(treeTexts(), isRefresh() ? QStringList() : tree);
    }

    // And it answers the next command.
    server->clearOverrides();
    app->setServername(server.url());
    reports.clear();
    search("dawn");
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(library().songs(1)->count(), 1);
}

INSTANTIATE_TEST_SUITE_P(AllOperations, FaultMatrix,
                         ::testing::Combine(::testing::ValuesIn(Operations),
                                            ::testing::ValuesIn(Cases)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    std::get<1>(info.param).name;
                         });

} // namespace
