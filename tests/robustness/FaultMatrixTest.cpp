// Every operation that talks to the server, against every way a server can fail it. Whatever
// happens, the window ends idle and nothing the user had is lost.
#include "ClientFixture.h"
#include "MediaPlayer.h"
#include "PlaylistController.h"

#include <QApplication>
#include <QLabel>

namespace {

using Fault = SonaricTestServer::Fault;

enum class Op { Refresh, TrackList, Search, AddSong };
constexpr const char* OpNames[] = {"Refresh", "TrackList", "Search", "AddSong"};
// The request of each operation that the fault hits.
constexpr const char* Actions[] = {"handshake", "album_songs", "search_songs", "song"};

const QString awkward = QStringLiteral("Ä & <b> \"q\" 'a' > ünï 東");

std::string awkwardXml() {
    return awkward.toHtmlEscaped().toStdString();
}

const std::string& hugeSongs() {
    static const std::string reply = [] {
        std::string xml = "<root>";
        xml.reserve(70'000'000);
        for (int i = 1; i <= 1'000'000; ++i) {
            const std::string n = std::to_string(i);
            xml += "<song id=\"" + n + "\"><title>S" + n +
                   "</title><artist>A</artist><album>B"
                   "</album><url>http://127.0.0.1:1/play/" +
                   n + ".wav</url></song>";
        }
        return xml + "</root>";
    }();
    return reply;
}

class FaultMatrix;

struct FaultCase {
    const char* name;
    std::function<void(FaultMatrix&)> arrange;
    // What the box says, or part of it; none when the operation succeeds.
    QString message;
    // The refresh leaves broken elements out instead of failing.
    bool refreshReadsIt = false;
};

// Test names and failures print the case's name, not its bytes.
void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}
void PrintTo(Op op, std::ostream* os) {
    *os << OpNames[static_cast<int>(op)];
}

class FaultMatrix : public ClientFixture,
                    public ::testing::WithParamInterface<std::tuple<Op, FaultCase>> {
public:
    using ClientFixture::server;
    using ClientFixture::window;

    Op op() const { return std::get<0>(GetParam()); }
    const FaultCase& fault() const { return std::get<1>(GetParam()); }
    std::string action() const { return Actions[static_cast<int>(op())]; }

    void run() {
        switch (op()) {
        case Op::Refresh:
            window->RefreshLibrary();
            break;
        case Op::TrackList:
            library().showTracks("album10");
            break;
        case Op::Search:
            library().search("o");
            break;
        case Op::AddSong:
            window->playlist().addSong(3);
            break;
        }
    }

    QString expectedMessage() const {
        return op() == Op::Refresh && fault().refreshReadsIt ? QString() : fault().message;
    }
    bool fails() const { return !expectedMessage().isEmpty(); }
    bool is(const char* name) const { return std::string(fault().name) == name; }

    QString expectedStatus() const {
        if (op() == Op::Refresh)
            return fails() ? "Library refresh failed" : "Library refreshed";
        if (op() == Op::Search && !fails())
            return "Search Complete";
        return "";
    }
};

std::function<void(FaultMatrix&)> serverFault(Fault fault) {
    return [fault](FaultMatrix& t) { t.server->setFault(fault, t.action()); };
}

const FaultCase Cases[] = {
    {"Refused", [](FaultMatrix& t) { t.window->setServername(refusingUrl()); },
     failedBecause("Connection refused")},
    {"Stall",
     [](FaultMatrix& t) {
         t.server->setFault(Fault::Delay, t.action(), 3000);
         t.window->httpClient().setStallTimeout(std::chrono::milliseconds(300));
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
         if (t.op() == Op::Refresh)
             t.server->setReply("artists", "<root><artist id=\"1\"><songs>1</songs></artist>"
                                           "<artist><name>No id</name></artist></root>");
         else
             t.server->setReply(t.action(),
                                "<root><song><name>no id, title or url</name></song></root>");
     },
     "could not be read", true},
    {"Huge",
     [](FaultMatrix& t) {
         // Tens of megabytes on a loaded machine: give the transfer the program's own limit.
         t.window->httpClient().setStallTimeout(HttpClient::DefaultStallTimeout);
         if (t.op() != Op::Refresh)
             return t.server->setReply(t.action(), hugeSongs());
         std::string albums = "<root>";
         for (int i = 1; i <= 1'000'000; ++i)
             albums += "<album id=\"" + std::to_string(i) +
                       "\"><name>N</name><tracks>1</tracks><artist id=\"1\"/></album>";
         t.server->setReply("albums", albums + "</root>");
     },
     {}},
    {"AwkwardText",
     [](FaultMatrix& t) {
         const std::string a = awkwardXml();
         if (t.op() != Op::Refresh)
             return t.server->setReply(t.action(), "<root><song id=\"5\"><title>" + a +
                                                       "</title><artist>" + a + "</artist><album>" +
                                                       a +
                                                       "</album><url>http://127.0.0.1:1/"
                                                       "play/5.wav</url></song></root>");
         t.server->setReply("artists", "<root><artist id=\"" + a + "\"><name>" + a +
                                           "</name><songs>" + a + "</songs></artist></root>");
         t.server->setReply("albums", "<root><album id=\"" + a + "\"><name>" + a +
                                          "</name><tracks>" + a + "</tracks><artist id=\"" + a +
                                          "\"/></album></root>");
     },
     {}},
};

TEST_P(FaultMatrix, EndsIdleAndLosesNothing) {
    appData.writeSettings(settingsText("0"));
    const QByteArray settings = appData.settingsBytes();
    openLibrary(true);
    library().showTracks("album10");
    window->playlist().addSong(1);
    window->playlist().addSong(2);
    ASSERT_TRUE(dialogs.shown.empty());
    const QString token = window->authToken();
    const QStringList tree = treeTexts();
    const QStringList playlist = window->playlist().lines()->stringList();

    fault().arrange(*this);
    run();

    // What the user is told.
    const QStringList messages = dialogs.texts("critical");
    if (fails()) {
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains(expectedMessage())) << messages[0].toStdString();
        EXPECT_EQ(dialogs.shown[0].title, "Windows Sonaric Client");
        // The pointer is back before the box waits for the user.
        EXPECT_FALSE(dialogs.shown[0].busyPointer);
    } else {
        EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    }
    for (const QString& m : messages) {
        EXPECT_FALSE(m.contains(token));
        EXPECT_FALSE(m.contains("auth="));
    }

    // Idle again.
    EXPECT_EQ(control<QLabel>("StatusBarPanel1")->text(), expectedStatus());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(library().isBusy());
    EXPECT_FALSE(window->playlist().isBusy());
    EXPECT_FALSE(window->httpClient().isBusy());

    // Nothing lost.
    EXPECT_EQ(appData.settingsBytes(), settings);
    QStringList lines = window->playlist().lines()->stringList();
    const MediaPlaylist& items = window->mediaPlayer().currentPlaylist();
    ASSERT_EQ(items.count(), lines.size());
    for (int i = 0; i < lines.size(); ++i)
        EXPECT_EQ(items.Item(i)->getItemInfo("SNR/Title"), lines[i]);
    if (op() == Op::AddSong && !fails()) {
        ASSERT_EQ(lines.size(), playlist.size() + 1);
        if (is("AwkwardText")) {
            EXPECT_EQ(lines.last(), awkward);
        }
        lines.removeLast();
    }
    EXPECT_EQ(lines, playlist);
    if (op() == Op::Refresh) {
        if (fails()) {
            EXPECT_EQ(window->authToken(), token);
            EXPECT_TRUE(treeTexts().isEmpty());
        } else {
            EXPECT_NE(window->authToken(), token);
            if (is("AwkwardText")) {
                const QString node = awkward + "=" + awkward + " (" + awkward + ")";
                EXPECT_EQ(treeTexts(),
                          (QStringList{"artist0=Various", "artist" + node, "  album" + node}));
            }
        }
    } else {
        EXPECT_EQ(window->authToken(), token);
        EXPECT_EQ(treeTexts(), tree);
    }
    if (is("Huge") && (op() == Op::TrackList || op() == Op::Search)) {
        EXPECT_EQ(library().songs(op() == Op::Search ? 1 : 0)->count(), 1'000'000);
    }
    if (is("AwkwardText") && op() == Op::Search) {
        EXPECT_EQ(library().songs(1)->entry(0).text, awkward + " - " + awkward);
    }

    // And it answers the next command.
    server->clearOverrides();
    window->setServername(server.url());
    dialogs.shown.clear();
    library().search("dawn");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(library().songs(1)->count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    AllOperations, FaultMatrix,
    ::testing::Combine(::testing::Values(Op::Refresh, Op::TrackList, Op::Search, Op::AddSong),
                       ::testing::ValuesIn(Cases)),
    [](const auto& info) {
        return std::string(OpNames[static_cast<int>(std::get<0>(info.param))]) +
               std::get<1>(info.param).name;
    });

} // namespace
