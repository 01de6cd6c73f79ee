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
enum class Case {
    Refused,
    Stall,
    Http500,
    Html,
    Truncated,
    ClosedMidReply,
    ErrorReply,
    WrongShape,
    Huge,
    AwkwardText
};

constexpr const char* OpNames[] = {"Refresh", "TrackList", "Search", "AddSong"};
constexpr const char* CaseNames[] = {"Refused",   "Stall",          "Http500",    "Html",
                                     "Truncated", "ClosedMidReply", "ErrorReply", "WrongShape",
                                     "Huge",      "AwkwardText"};

const char* name(Op op) {
    return OpNames[static_cast<int>(op)];
}

const char* name(Case c) {
    return CaseNames[static_cast<int>(c)];
}

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

class FaultMatrix : public ClientFixture,
                    public ::testing::WithParamInterface<std::tuple<Op, Case>> {
protected:
    Op op() const { return std::get<0>(GetParam()); }
    Case faultCase() const { return std::get<1>(GetParam()); }

    std::string action() const {
        switch (op()) {
        case Op::Refresh:
            return "handshake";
        case Op::TrackList:
            return "album_songs";
        case Op::Search:
            return "search_songs";
        case Op::AddSong:
            return "song";
        }
        return "";
    }

    void applyFault() {
        switch (faultCase()) {
        case Case::Refused:
            window->setServername(refusingUrl());
            break;
        case Case::Stall:
            server->setFault(Fault::Delay, action(), 3000);
            window->httpClient().setStallTimeout(std::chrono::milliseconds(300));
            break;
        case Case::Http500:
            server->setFault(Fault::Http500, action());
            break;
        case Case::Html:
            server->setFault(Fault::HtmlBody, action());
            break;
        case Case::Truncated:
            server->setFault(Fault::TruncatedBody, action());
            break;
        case Case::ClosedMidReply:
            server->setFault(Fault::CloseMidReply, action());
            break;
        case Case::ErrorReply:
            server->setReply(action(), "<root><error code=\"403\">Access denied</error></root>");
            break;
        case Case::WrongShape:
            server->setReply(op() == Op::Refresh ? "artists" : action(),
                             op() == Op::Refresh
                                 ? "<root><artist id=\"1\"><songs>1</songs></artist>"
                                   "<artist><name>No id</name></artist></root>"
                                 : "<root><song><name>no id, title or url</name></song></root>");
            break;
        case Case::Huge:
            // Tens of megabytes on a loaded machine: give the transfer the program's own limit.
            window->httpClient().setStallTimeout(HttpClient::DefaultStallTimeout);
            if (op() == Op::Refresh) {
                std::string albums = "<root>";
                for (int i = 1; i <= 1'000'000; ++i)
                    albums += "<album id=\"" + std::to_string(i) +
                              "\"><name>N</name><tracks>1"
                              "</tracks><artist id=\"1\"/></album>";
                server->setReply("albums", albums + "</root>");
            } else {
                server->setReply(action(), hugeSongs());
            }
            break;
        case Case::AwkwardText: {
            const std::string t = awkwardXml();
            if (op() == Op::Refresh) {
                server->setReply("artists", "<root><artist id=\"" + t + "\"><name>" + t +
                                                "</name><songs>" + t + "</songs></artist></root>");
                server->setReply("albums", "<root><album id=\"" + t + "\"><name>" + t +
                                               "</name><tracks>" + t + "</tracks><artist id=\"" +
                                               t + "\"/></album></root>");
            } else {
                server->setReply(action(), "<root><song id=\"5\"><title>" + t + "</title><artist>" +
                                               t + "</artist><album>" + t +
                                               "</album><url>http://127.0.0.1:1/"
                                               "play/5.wav</url></song></root>");
            }
            break;
        }
        }
    }

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

    // The message the user sees, or "" for none.
    QString expectedMessage() const {
        switch (faultCase()) {
        case Case::Refused:
            return failedBecause("Connection refused");
        case Case::Stall:
            return failedBecause("No answer from the server for 0.3 s.");
        case Case::Http500:
            return failedBecause("HTTP 500 Internal Server Error");
        case Case::Html:
        case Case::Truncated:
            return failedBecause("The reply is not XML.");
        case Case::ClosedMidReply:
            return failedBecause("Connection closed");
        case Case::ErrorReply:
            return "Access denied[Sonaric Error: 403]";
        case Case::WrongShape:
            return op() == Op::Refresh ? QString() : "could not be read";
        case Case::Huge:
        case Case::AwkwardText:
            return {};
        }
        return {};
    }

    bool fails() const { return !expectedMessage().isEmpty(); }

    QString expectedStatus() const {
        if (op() == Op::Refresh)
            return fails() ? "Library refresh failed" : "Library refreshed";
        if (op() == Op::Search && !fails())
            return "Search Complete";
        return "";
    }
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

    applyFault();
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
        if (faultCase() == Case::AwkwardText) {
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
            if (faultCase() == Case::AwkwardText) {
                const QString node = awkward + "=" + awkward + " (" + awkward + ")";
                EXPECT_EQ(treeTexts(),
                          (QStringList{"artist0=Various", "artist" + node, "  album" + node}));
            }
        }
    } else {
        EXPECT_EQ(window->authToken(), token);
        EXPECT_EQ(treeTexts(), tree);
    }
    if (faultCase() == Case::Huge && (op() == Op::TrackList || op() == Op::Search)) {
        EXPECT_EQ(library().songs(op() == Op::Search ? 1 : 0)->count(), 1'000'000);
    }
    if (faultCase() == Case::AwkwardText && op() == Op::Search) {
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
                       ::testing::Values(Case::Refused, Case::Stall, Case::Http500, Case::Html,
                                         Case::Truncated, Case::ClosedMidReply, Case::ErrorReply,
                                         Case::WrongShape, Case::Huge, Case::AwkwardText)),
    [](const auto& info) {
        return std::string(name(std::get<0>(info.param))) + name(std::get<1>(info.param));
    });

} // namespace
