#include "AddSongCommand.h"
#include "ClientFixture.h"
#include "SonaricVersion.h"

#include <QTabBar>
#include <QTreeView>

namespace {

using Fault = SonaricTestServer::Fault;
class Library : public ClientFixture {
protected:
    QStringList songs(int list) { return songLines(list, true); }

    QString artistCount() { return control<QLabel>("StatusBarPanel2")->text(); }

    std::string filterOf(const std::string& action) {
        const auto requests = server.requestsOf(action);
        return requests.empty() ? "<none>" : requests.back().parameters.at("filter");
    }
};

// The handshake carries the true UTC time, the user and the protocol version; each step shows
// its status under the busy pointer; the tree follows the replies' order.
TEST_F(Library, RefreshSignsInShowsEachStepAndBuildsTheTree) {
    openWindow();
    QSignalSpy statuses(&app->status(), &StatusText::textChanged);
    QStringList cursors;
    QObject::connect(&app->status(), &StatusText::textChanged, window.get(),
                     [&] { cursors << (QApplication::overrideCursor() ? "busy" : "idle"); });
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    refresh();
    const auto handshakes = server.requestsOf("handshake");
    ASSERT_EQ(handshakes.size(), 1u);
    const qint64 sent = std::stoll(handshakes[0].parameters.at("timestamp"));
    EXPECT_GE(sent, before);
    EXPECT_LE(sent, QDateTime::currentSecsSinceEpoch());
    EXPECT_EQ(handshakes[0].parameters.at("user"), "demo");
    EXPECT_EQ(handshakes[0].parameters.at("version"), "350001");
    EXPECT_EQ(handshakes[0].headers.at("User-Agent"),
              std::string("Sonaric-Client/1.0.4 (") + SonaricVersion::Platform + ")");
    QStringList seen;
    for (const QList<QVariant>& s : statuses)
        seen << s.at(0).toString();
    EXPECT_EQ(seen,
              (QStringList{"Contacting server (" + server.url() + ")...", "Fetching artist list...",
                           "Cataloguing artists...", "Fetching albums...", "Cataloguing albums...",
                           "Library refreshed"}));
    EXPECT_EQ(cursors.count("busy"), 6);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(app->session().authToken, QString::fromStdString(server->currentToken()));
    // Texts in UTF-8 and CDATA arrive whole; how a reply becomes a tree is the reader's test.
    const QStringList tree = treeTexts();
    ASSERT_EQ(tree.size(), 16);
    EXPECT_EQ(tree.mid(0, 4),
              (QStringList{"artist0=Various", "  album20=Summer Compilation (2)",
                           "artist1=The Quiet Ones (3)", "  album10=Morning Light (3)"}));
    EXPECT_EQ(tree[8], QStringLiteral("artist4=Café Żółw & Ωμέγα Sound (2)"));
    EXPECT_EQ(tree[13], "  album15=Live at the <Cdata> Club (1)");
    EXPECT_EQ(artistCount(), "7 artists");
    EXPECT_TRUE(control<QPushButton>("cmdBasicSearch")->isEnabled());
    expectIdle();

    // A second refresh replaces the tree; an empty list is catalogued all the same.
    server->setReply("artists",
                     R"(<root><artist id="77"><name>New</name><songs>1</songs></artist></root>)");
    server->setReply("albums", "<root/>");
    statuses.clear();
    refresh();
    EXPECT_EQ(statuses.size(), 6);
    EXPECT_EQ(statuses.at(4).at(0).toString(), "Cataloguing albums...");
    EXPECT_EQ(treeTexts(), (QStringList{"artist0=Various", "artist77=New (1)"}));
    EXPECT_EQ(artistCount(), "1 artists");
}

// The filter shows the artists and albums whose name has the text, case and accents aside, an
// album under its artist, opened; it asks the server nothing, keeps each node's key, and outlives
// a refresh. Ctrl+L goes to it, Escape empties it.
TEST_F(Library, TheFilterShowsTheNamesThatHaveItsTextAndKeepsTheirKeys) {
    openLibrary(true);
    ASSERT_TRUE(activate());
    auto* filter = control<QLineEdit>("txtLibraryFilter");
    auto* view = control<QTreeView>("tvMusic");
    EXPECT_EQ(filter->accessibleName(), "Filter artists and albums");
    control<QTabBar>("SSTabBar")->setCurrentIndex(1);
    QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(filter->hasFocus());
    EXPECT_EQ(control<QTabBar>("SSTabBar")->currentIndex(), 0);
    server->clearRequests();
    const QStringList cafe = {QStringLiteral("artist4=Café Żółw & Ωμέγα Sound (2)"),
                              QStringLiteral("  album13=Ünïcödé Nights (2)")};
    const struct {
        QString text;
        QStringList shown;
        bool opened;
    } cases[] = {
        {"UNICODE", cafe, true},
        {"cafe zo", cafe, false},
        {QStringLiteral("ΩΜΕΓΑ"), cafe, false},
        // Counts are no part of a name.
        {"3", {"artist40000=High Id Orchestra (2)", "  album70000=Beyond 32767 (2)"}, true},
        {"light", {"artist1=The Quiet Ones (3)", "  album10=Morning Light (3)"}, true},
    };
    for (const auto& c : cases) {
        filter->clear();
        // Typed where QTest can type it.
        c.text == c.text.toLatin1() ? QTest::keyClicks(filter, c.text) : filter->insert(c.text);
        EXPECT_TRUE(eventually([&] { return treeTexts() == c.shown; }))
            << c.text.toStdString() << ": " << treeTexts().join('|').toStdString();
        EXPECT_EQ(view->isExpanded(view->model()->index(0, 0)), c.opened) << c.text.toStdString();
    }
    EXPECT_TRUE(server->requests().empty());
    EXPECT_EQ(artistCount(), "7 artists");
    const QModelIndex album = view->model()->index(0, 0, view->model()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(album).center());
    settle();
    EXPECT_EQ(songs(0), (QStringList{"Dawn#1", "Noon#2", "Dusk#3"}));
    EXPECT_EQ(filterOf("album_songs"), "10");

    refresh();
    EXPECT_TRUE(eventually([&] { return treeTexts().size() == 2; }));
    EXPECT_EQ(treeTexts(), cases[4].shown);
    filter->setFocus();
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_TRUE(filter->text().isEmpty());
    EXPECT_EQ(treeTexts().size(), 16);
}

TEST_F(Library, TrackListsFollowTheNodeKey) {
    openLibrary(true);
    showTracks("album70000");
    EXPECT_EQ(songs(0), (QStringList{"High Note#40001", "Higher Note#40002"}));
    showTracks("artist0");
    EXPECT_EQ(songs(0), (QStringList{"Beach Song#11", "Sunset Song#12"}));
    EXPECT_EQ(filterOf("artist_songs"), "0");
    EXPECT_EQ(status(), "");
    EXPECT_TRUE(dialogs.shown.empty());
    expectIdle();
    for (const QString& key : {QString("Album7"), QString("various"), QString()}) {
        server->clearRequests();
        showTracks(key);
        EXPECT_TRUE(songs(0).isEmpty()) << key.toStdString();
        EXPECT_TRUE(server->requests().empty());
    }
}

// A song is listed whatever its id; one whose id is no whole number in 64 bits is refused when
// added, rather than taken for another song.
TEST_F(Library, SongsWhoseIdIsNoWholeNumberAreListedButNotAdded) {
    server->setReply("album_songs", R"(<root><song id="12"><title>a</title></song>
        <song id="1e3"><title>b</title></song><song id="99999999999999999999"><title>c</title></song>
        <song id="4000000000"><title>d</title></song></root>)");
    openWindow().show();
    showTracks("album1");
    EXPECT_EQ(songs(0), (QStringList{"a#12", "b#none", "c#none", "d#4000000000"}));
    QListView* list = control<QListView>("lstSongs0");
    const auto add = [&](int row) {
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        settle();
    };
    add(1);
    add(2);
    EXPECT_EQ(dialogs.texts("critical"), QStringList(2, AddSongCommand::idNotANumber()));
    EXPECT_TRUE(server.requestsOf("song").empty());
    EXPECT_EQ(app->player().count(), 0);
    add(3);
    ASSERT_FALSE(server.requestsOf("song").empty());
    EXPECT_EQ(server.requestsOf("song")[0].parameters.at("filter"), "4000000000");
}

// The search box's text reaches the server exactly as typed, by Enter or by the button.
TEST_F(Library, SearchSendsTheTextExactlyAsTyped) {
    openLibrary();
    auto* box = control<QLineEdit>("txtBasicSearch");
    for (const QString& text :
         {QStringLiteral("Rock & Roll #1"), QStringLiteral("  two  blanks "),
          QStringLiteral("夜の音"), QStringLiteral("a+b=c?d%20"), QString()}) {
        box->setText(text);
        QTest::keyClick(box, Qt::Key_Return);
        settle();
        EXPECT_EQ(QString::fromStdString(filterOf("search_songs")), text);
    }
    box->setText(QStringLiteral("ночная"));
    QTest::mouseClick(control<QPushButton>("cmdBasicSearch"), Qt::LeftButton);
    settle();
    EXPECT_EQ(songs(1), QStringList{QStringLiteral("Ночная песня - Café Żółw & Ωμέγα Sound#8")});
    EXPECT_EQ(status(), "Search Complete");
    search("nothing matches this");
    EXPECT_TRUE(songs(1).isEmpty());
    EXPECT_EQ(status(), "Search Complete");
    // A song added from the hits leaves the search's result where it is.
    addSong(8);
    EXPECT_EQ(app->player().count(), 1);
    EXPECT_EQ(status(), "Search Complete");
    EXPECT_TRUE(dialogs.shown.empty());
}

} // namespace
