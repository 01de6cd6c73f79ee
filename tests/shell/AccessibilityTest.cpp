#include "AboutDialog.h"
#include "ClientFixture.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QTabBar>

namespace {

// Every object a screen reader can reach, with where it sits.
void walk(QAccessibleInterface* node, const QString& path,
          std::vector<std::pair<QString, QAccessibleInterface*>>& out) {
    if (!node)
        return;
    out.emplace_back(path, node);
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), path + '/' + node->child(i)->text(QAccessible::Name), out);
}

QString nameOf(QObject* object) {
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

class Accessibility : public ClientFixture {
protected:
    void SetUp() override {
        openWindow();
        ASSERT_TRUE(activate());
        refresh();
    }
};

// Controls the keyboard reaches also say what they are for.
TEST_F(Accessibility, EveryObjectAScreenReaderReachesHasANameAndARole) {
    std::vector<std::pair<QString, QAccessibleInterface*>> all;
    walk(QAccessible::queryAccessibleInterface(window.get()), "window", all);
    ScriptedDialogs aboutDialogs;
    AboutDialog about(aboutDialogs);
    about.show();
    walk(QAccessible::queryAccessibleInterface(&about), "about", all);
    EXPECT_GE(all.size(), 40u);
    for (const auto& [path, node] : all) {
        // Separators and the About window's rule are decoration, which readers pass over.
        if (node->state().invisible || node->role() == QAccessible::Separator ||
            node->role() == QAccessible::Border)
            continue;
        EXPECT_FALSE(node->text(QAccessible::Name).isEmpty())
            << path.toStdString() << " "
            << (node->object() ? node->object()->metaObject()->className() : "")
            << (node->object() ? node->object()->objectName().toStdString() : "");
        EXPECT_NE(node->role(), QAccessible::NoRole) << path.toStdString();
        const auto* widget = qobject_cast<QWidget*>(node->object());
        if (widget && widget->focusPolicy() != Qt::NoFocus && path.startsWith("window")) {
            EXPECT_FALSE(node->text(QAccessible::Description).isEmpty()) << path.toStdString();
        }
        EXPECT_NE(node->role(), QAccessible::Grip) << path.toStdString();
    }
}

TEST_F(Accessibility, TheKeyboardNeverReachesAHiddenWidget) {
    QSet<QWidget*> reached;
    for (int i = 0; i < 40; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        EXPECT_TRUE(focused->isVisible()) << focused->objectName().toStdString();
        reached.insert(focused);
    }
    EXPECT_GE(reached.size(), 8);
}

TEST_F(Accessibility, ChangingTextsAreSpokenAsTheyChange) {
    EXPECT_EQ(nameOf(control<QLabel>("StatusBarPanel1")), "Status: Library refreshed");
    EXPECT_EQ(nameOf(control<QLabel>("StatusBarPanel2")), "Artist count: 7 artists");
    EXPECT_EQ(nameOf(control<QLabel>("lblNowPlaying")), "Now playing");

    for (std::int64_t id : {3, 1, 3})
        addSong(id);
    app->player().jumpTo(2);
    MediaPlayer& player = app->player();
    ASSERT_TRUE(eventually([&] { return player.playbackState() == PlaybackState::Playing; }));
    ASSERT_TRUE(eventually([&] { return player.position() >= 1.0; }));
    EXPECT_EQ(nameOf(control<QLabel>("lblNowPlaying")),
              "Now playing: Dusk, The Quiet Ones, Morning Light");
    // What the control bar is told reaches a screen reader, as the bar's own test shows.
    EXPECT_EQ(nameOf(control<QLabel>("playerTotal")), "Total time: 0:04");

    // Two lines of the same song: the one playing is the one marked.
    QAccessibleInterface* lines =
        QAccessible::queryAccessibleInterface(control<QListView>("lstPlaylist"));
    ASSERT_NE(lines->tableInterface(), nullptr);
    QStringList spoken;
    for (int row = 0; row < 3; ++row)
        spoken << lines->tableInterface()->cellAt(row, 0)->text(QAccessible::Name);
    EXPECT_EQ(spoken, (QStringList{"Dusk, The Quiet Ones", "Dawn, The Quiet Ones",
                                   "Dusk, The Quiet Ones, playing"}));
    player.pause();
    ASSERT_TRUE(eventually([&] { return player.playbackState() == PlaybackState::Paused; }));
    EXPECT_EQ(lines->tableInterface()->cellAt(2, 0)->text(QAccessible::Name),
              "Dusk, The Quiet Ones, paused");

    app->player().clear();
    EXPECT_EQ(nameOf(control<QLabel>("lblNowPlaying")), "Now playing");
}

TEST_F(Accessibility, TheTabRowHasItsOwnNameAndItsTabsCanBePressed) {
    auto* bar = control<QTabBar>("SSTabBar");
    QAccessibleInterface* row = QAccessible::queryAccessibleInterface(bar);
    EXPECT_EQ(row->role(), QAccessible::PageTabList);
    EXPECT_EQ(row->text(QAccessible::Name), "Library and search");
    ASSERT_EQ(row->childCount(), 2);
    QAccessibleInterface* search = row->child(1);
    EXPECT_EQ(search->role(), QAccessible::PageTab);
    EXPECT_EQ(search->text(QAccessible::Name), "Search");
    EXPECT_FALSE(search->text(QAccessible::Description).isEmpty());
    EXPECT_TRUE(row->child(0)->state().selected);
    EXPECT_FALSE(search->state().selected);
    EXPECT_EQ(row->indexOfChild(search), 1);
    search->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(bar->currentIndex(), 1);
    EXPECT_TRUE(search->state().selected);
    EXPECT_EQ(row->text(QAccessible::Name), "Library and search");
}

} // namespace
