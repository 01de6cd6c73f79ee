#include "MainWindowControls.h"

#include "ControlLayout.h"
#include "Library.h"
#include "PlayerControlBar.h"
#include "PlaylistView.h"
#include "SectionTabBar.h"
#include "SongListView.h"
#include "SpokenLabel.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeView>

#include <algorithm>
#include <cmath>

namespace {

// The window's own translation context.
QString tr(const char* text) {
    return QCoreApplication::translate("MainWindow", text);
}

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Widens a control to what its caption needs, keeping the side it is anchored to.
QRect fitted(QRect r, QSize needed, Qt::Edge anchor) {
    if (r.width() < needed.width()) {
        if (anchor == Qt::RightEdge)
            r.setLeft(r.right() + 1 - needed.width());
        else
            r.setWidth(needed.width());
    }
    r.setHeight(std::max(r.height(), needed.height()));
    return r;
}

} // namespace

void MainWindowControls::create(QMainWindow& window) {
    client = named(new QWidget(&window), "client");
    window.setCentralWidget(client);

    player = named(new PlayerControlBar(client), "WindowsMediaPlayer1");
    playlist = named(new PlaylistView(client), "lstPlaylist");
    playlist->setUniformItemSizes(true);
    playlist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    playlist->setSelectionMode(QAbstractItemView::SingleSelection);
    // The server's texts are shown as they are, never read as markup.
    nowPlaying = named(new SpokenLabel(tr("Now playing"), client), "lblNowPlaying");
    nowPlaying->setAutoFillBackground(true);
    nowPlaying->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Green on black whatever the desktop's colours: both are set, so they always contrast.
    QPalette colours = nowPlaying->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::WindowText, QColor(0, 255, 0));
        colours.setColor(group, QPalette::Window, QColor(0, 0, 0));
    }
    nowPlaying->setPalette(colours);
    deleteItem = named(new QPushButton(tr("Delete Item"), client), "cmdDeleteItem");
    clearPlaylist = named(new QPushButton(tr("Clear Playlist"), client), "cmdClearPlaylist");

    // A tab bar over two pages that span the whole control, so that the pages' children are
    // placed in the tab control's own coordinates, below the tab row.
    tabs = named(new QWidget(client), "SSTab");
    tabBar = named(new SectionTabBar(tabs), "SSTabBar");
    tabBar->addTab(tr("Library"));
    tabBar->addTab(tr("Search"));
    tabBar->setDrawBase(false);
    // Two tabs always fit: the scroll arrows stay hidden, and out of the focus chain.
    tabBar->setUsesScrollButtons(false);
    for (QAbstractButton* arrow : tabBar->findChildren<QAbstractButton*>())
        arrow->setFocusPolicy(Qt::NoFocus);
    for (int i = 0; i < 2; ++i) {
        auto* page = new QFrame(tabs);
        page->setFrameShape(QFrame::StyledPanel);
        page->setObjectName(QStringLiteral("SSTabPage%1").arg(i));
        pages[static_cast<std::size_t>(i)] = page;
    }
    pages[Library::SearchList]->hide();
    tabBar->raise();

    libraryFilter = named(new QLineEdit(pages[Library::LibraryList]), "txtLibraryFilter");
    libraryFilter->setClearButtonEnabled(true);
    libraryFilter->setPlaceholderText(tr("Filter artists and albums (Ctrl+L)"));
    tree = named(new QTreeView(pages[Library::LibraryList]), "tvMusic");
    tree->setHeaderHidden(true);
    tree->setUniformRowHeights(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    addTracks = named(new QAction(tr("Add to Playlist"), tree), "mnuAddTracks");
    addTracks->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    addTracks->setShortcutContext(Qt::WidgetShortcut);
    tree->addAction(addTracks);
    tree->setContextMenuPolicy(Qt::ActionsContextMenu);

    for (int i = 0; i < 2; ++i) {
        auto* list = new SongListView(pages[static_cast<std::size_t>(i)]);
        list->setObjectName(QStringLiteral("lstSongs%1").arg(i));
        list->setUniformItemSizes(true);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        QAction* add = new QAction(tr("Add to Playlist"), list);
        add->setObjectName(QStringLiteral("mnuAddSongs%1").arg(i));
        list->addAction(add);
        list->setContextMenuPolicy(Qt::ActionsContextMenu);
        songs[static_cast<std::size_t>(i)] = list;
        addSongs[static_cast<std::size_t>(i)] = add;
    }
    songs[Library::SearchList]->setVisible(false);

    searchFrame =
        named(new QGroupBox(tr("Basic Search"), pages[Library::SearchList]), "fraBasicSearch");
    searchText = named(new QLineEdit(searchFrame), "txtBasicSearch");
    searchButton = named(new QPushButton(tr("Search"), searchFrame), "cmdBasicSearch");
    searchButton->setEnabled(false);
    searchButton->setDefault(true);

    statusText = named(new SpokenLabel(tr("Status"), &window), "StatusBarPanel1");
    artistCount = named(new SpokenLabel(tr("Artist count"), &window), "StatusBarPanel2");
    window.statusBar()->setObjectName(QStringLiteral("StatusBar"));
    // The window's edges resize it; a grip would be one more object without a name or a role.
    window.statusBar()->setSizeGripEnabled(false);
    window.statusBar()->addWidget(statusText, 1);
    // Beside the status texts, only while a request runs long enough to be worth watching.
    // Not a spoken label: it changes every second, and a screen reader reads the bar's value.
    transferText = named(new QLabel(&window), "lblTransfer");
    transferText->setTextFormat(Qt::PlainText);
    transferBar = named(new QProgressBar(&window), "prgTransfer");
    transferBar->setTextVisible(false);
    transferBar->setMaximumWidth(transferBar->fontMetrics().averageCharWidth() * 16);
    cancelHint = named(new QLabel(tr("Esc to cancel"), &window), "lblCancelHint");
    for (QWidget* widget : {static_cast<QWidget*>(transferText), static_cast<QWidget*>(transferBar),
                            static_cast<QWidget*>(cancelHint)}) {
        window.statusBar()->addPermanentWidget(widget);
        widget->hide();
    }
    window.statusBar()->addPermanentWidget(artistCount);

    QWidget::setTabOrder(player, playlist);
    QWidget::setTabOrder(playlist, deleteItem);
    QWidget::setTabOrder(deleteItem, clearPlaylist);
    QWidget::setTabOrder(clearPlaylist, tabBar);
    QWidget::setTabOrder(tabBar, libraryFilter);
    QWidget::setTabOrder(libraryFilter, tree);
    QWidget::setTabOrder(tree, songs[Library::LibraryList]);
    QWidget::setTabOrder(songs[Library::LibraryList], songs[Library::SearchList]);
    QWidget::setTabOrder(songs[Library::SearchList], searchText);
    QWidget::setTabOrder(searchText, searchButton);
}

// Names and descriptions for screen readers; buttons and tabs also read their captions.
void MainWindowControls::describe(QMainWindow& window) {
    const struct {
        QWidget* widget;
        const char* name;
        const char* description;
    } controls[] = {
        {nowPlaying, nullptr, QT_TR_NOOP("Title, artist and album of the current song")},
        {player, QT_TR_NOOP("Player"), QT_TR_NOOP("Controls of the playing song")},
        {playlist, QT_TR_NOOP("Playlist"),
         QT_TR_NOOP("Songs to play; Enter plays the selected one, Delete removes it, "
                    "Ctrl+Shift+Up and Ctrl+Shift+Down move it")},
        {deleteItem, QT_TR_NOOP("Delete Item"),
         QT_TR_NOOP("Removes the selected song from the playlist")},
        {clearPlaylist, QT_TR_NOOP("Clear Playlist"), QT_TR_NOOP("Empties the playlist")},
        {tabBar, QT_TR_NOOP("Library and search"), QT_TR_NOOP("Chooses the page below")},
        {libraryFilter, QT_TR_NOOP("Filter artists and albums"),
         QT_TR_NOOP("Shows only the artists and albums whose names contain this text; Escape "
                    "empties it")},
        {tree, QT_TR_NOOP("Library"),
         QT_TR_NOOP("Artists and their albums; choose one to list its songs, Ctrl+Enter adds "
                    "them all to the playlist")},
        {songs[Library::LibraryList], QT_TR_NOOP("Library songs"),
         QT_TR_NOOP("Songs of the chosen artist or album; Enter adds the selected ones to the "
                    "playlist")},
        {songs[Library::SearchList], QT_TR_NOOP("Search results"),
         QT_TR_NOOP("Songs found; Enter adds the selected ones to the playlist")},
        {searchFrame, QT_TR_NOOP("Basic Search"), QT_TR_NOOP("Search for songs by text")},
        {searchText, QT_TR_NOOP("Search text"),
         QT_TR_NOOP("Text to look for in titles, artists and albums")},
        {searchButton, QT_TR_NOOP("Search"), QT_TR_NOOP("Searches the server for the text")},
        {statusText, nullptr, QT_TR_NOOP("What the program is doing")},
        {artistCount, nullptr, QT_TR_NOOP("Number of artists in the library")},
        {client, QT_TR_NOOP("Player and library"),
         QT_TR_NOOP("The player, the playlist and the library")},
        {tabs, QT_TR_NOOP("Pages"), QT_TR_NOOP("The library or the search, as chosen above")},
        {pages[Library::LibraryList], QT_TR_NOOP("Library page"),
         QT_TR_NOOP("The catalogue and its songs")},
        {pages[Library::SearchList], QT_TR_NOOP("Search page"),
         QT_TR_NOOP("Search and its results")},
        {window.statusBar(), QT_TR_NOOP("Status bar"), QT_TR_NOOP("What the program is doing")},
        {transferText, QT_TR_NOOP("Transfer"), QT_TR_NOOP("How much of the reply has arrived")},
        {transferBar, QT_TR_NOOP("Transfer progress"),
         QT_TR_NOOP("How much of the reply has arrived")},
        {cancelHint, QT_TR_NOOP("Esc to cancel"), QT_TR_NOOP("Escape ends the wait")},
    };
    // Labels whose text changes say their role and that text themselves.
    for (const auto& c : controls) {
        if (c.name)
            c.widget->setAccessibleName(tr(c.name));
        c.widget->setAccessibleDescription(tr(c.description));
    }
    // Screen readers describe each tab by its tool tip.
    tabBar->setTabToolTip(0, tr("Artists and albums, and the songs of the one chosen"));
    tabBar->setTabToolTip(1, tr("Search for songs by text"));
}

void MainWindowControls::place(const ControlLayout& l, double tpp) {
    const auto px = [tpp](float twips) { return static_cast<int>(std::lround(twips / tpp)); };
    const auto rect = [&px](const TwipRect& r) {
        return QRect(px(r.left), px(r.top), std::max(0, px(r.width)), std::max(0, px(r.height)));
    };

    QRect nowPlayingAt = rect(l.nowPlaying);
    const int labelNeeds =
        nowPlaying->fontMetrics().lineSpacing() * 3 + 2 * nowPlaying->frameWidth();
    const int labelGrows = std::max(0, labelNeeds - nowPlayingAt.height());
    nowPlayingAt.setHeight(nowPlayingAt.height() + labelGrows);
    QRect playerAt =
        fitted(rect(l.player).translated(0, labelGrows), player->minimumSizeHint(), Qt::LeftEdge);
    const QRect deleteItemAt = fitted(rect(l.deleteItem), deleteItem->sizeHint(), Qt::LeftEdge);
    const QRect clearPlaylistAt =
        fitted(rect(l.clearPlaylist), clearPlaylist->sizeHint(), Qt::RightEdge);

    // The tab control keeps its bottom edge and the gaps above it.
    QRect tabsAt = rect(l.tabs);
    const int tabsDrop = std::max(
        {0, playerAt.bottom() + px(l.tabs.top - l.player.top - l.player.height) - tabsAt.top(),
         deleteItemAt.bottom() + px(l.tabs.top - l.deleteItem.top - l.deleteItem.height) -
             tabsAt.top()});
    tabsAt.setTop(tabsAt.top() + tabsDrop);
    // The pages' contents start below the tab row, however tall its captions make it.
    const int tabRow = tabBar->sizeHint().height();
    const int contentDrop = std::max(0, tabRow + px(60) - px(l.tree.top));
    const auto inTabs = [&](const TwipRect& r) {
        QRect out = rect(r);
        out.setTop(out.top() + contentDrop);
        out.setHeight(std::max(0, out.height() - tabsDrop));
        return out;
    };

    // Inside the search frame, below its title.
    QRect searchTextAt = rect(l.searchText);
    searchTextAt.moveTop(
        std::max(searchTextAt.top(), searchFrame->fontMetrics().height() + px(60)));
    searchTextAt.setHeight(std::max(searchTextAt.height(), searchText->sizeHint().height()));
    QRect searchButtonAt = fitted(rect(l.searchButton), searchButton->sizeHint(), Qt::RightEdge);
    searchButtonAt.moveTop(std::max(
        searchButtonAt.top(), searchTextAt.bottom() + 1 +
                                  px(l.searchButton.top - l.searchText.top - l.searchText.height)));
    QRect searchFrameAt = rect(l.searchFrame).translated(0, contentDrop);
    searchFrameAt.setHeight(
        std::max(searchFrameAt.height(), searchButtonAt.bottom() + 1 + px(120)));

    player->setGeometry(playerAt);
    playlist->setGeometry(rect(l.playlist));
    nowPlaying->setGeometry(nowPlayingAt);
    deleteItem->setGeometry(deleteItemAt);
    clearPlaylist->setGeometry(clearPlaylistAt);
    tabs->setGeometry(tabsAt);
    // The filter takes the top of the tree's place.
    QRect treeAt = inTabs(l.tree);
    libraryFilter->setGeometry(treeAt.left(), treeAt.top(), treeAt.width(),
                               libraryFilter->sizeHint().height());
    treeAt.setTop(libraryFilter->geometry().bottom() + 1 + px(60));
    tree->setGeometry(treeAt);
    songs[Library::LibraryList]->setGeometry(inTabs(l.songs[Library::LibraryList]));
    songs[Library::SearchList]->setGeometry(inTabs(l.songs[Library::SearchList]));
    searchFrame->setGeometry(searchFrameAt);
    searchText->setGeometry(searchTextAt);
    searchButton->setGeometry(searchButtonAt);

    tabBar->setGeometry(0, 0, tabs->width(), tabRow);
    for (QFrame* page : pages) {
        page->setGeometry(0, 0, tabs->width(), tabs->height());
        // The page's frame starts below the tab row, as a tab control's page would.
        page->setFrameRect(QRect(0, tabRow - 1, tabs->width(), tabs->height() - tabRow + 1));
    }
}
