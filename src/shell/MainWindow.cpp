#include "MainWindow.h"

#include "App.h"
#include "FocusKeys.h"
#include "Library.h"
#include "MediaPlayer.h"
#include "PlayerControlBar.h"
#include "PlayerKeys.h"
#include "PlaylistController.h"
#include "RequestInputGate.h"
#include "SectionTabBar.h"
#include "SonaricVersion.h"
#include "SpokenLabel.h"
#include "TransferProgress.h"
#include "UserDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTreeView>

#include <cmath>

namespace {

template <typename Widget> Widget* named(Widget* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

MainWindow::MainWindow(App& app, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("frmPlayer"));
    setWindowTitle(applicationTitle());
    createMenu();
    createControls();
    connectRequestGate();
    connectLibrary();
    connectPlayback();
    describeControls();

    // The player column is half the window less 1000 twips; at a large font the window starts,
    // and stays, wide enough for the player's controls.
    const double tpp = twipsPerPixel();
    const int minimumWidth =
        std::max(static_cast<int>(std::ceil(ControlLayout::MinimumOuterWidth / tpp)),
                 2 * m_player->minimumSizeHint().width() + static_cast<int>(std::ceil(1000 / tpp)));
    setMinimumSize(minimumWidth,
                   static_cast<int>(std::ceil(ControlLayout::MinimumOuterHeight / tpp)));
    resize(std::max(minimumWidth,
                    static_cast<int>(std::lround(ControlLayout::DesignClientWidth / tpp))),
           static_cast<int>(std::lround(ControlLayout::DesignClientHeight / tpp)) +
               menuBar()->sizeHint().height());
}

MainWindow::~MainWindow() = default;

QString MainWindow::applicationTitle() {
    return QString::fromUtf8(SonaricVersion::Title);
}

void MainWindow::createMenu() {
    QMenu* library = menuBar()->addMenu(tr("&Library"));
    library->setObjectName(QStringLiteral("mnuLibrary"));
    // What a screen reader calls the menu once it is open.
    library->setWindowTitle(tr("Library"));
    menuBar()->setAccessibleName(tr("Menu bar"));
    QAction* refresh = library->addAction(tr("&Refresh Library"));
    refresh->setObjectName(QStringLiteral("mnuRefreshLibrary"));
    library->addSeparator()->setObjectName(QStringLiteral("sep1"));
    QAction* settings = library->addAction(tr("&Settings..."));
    settings->setObjectName(QStringLiteral("mnuSettings"));
    library->addSeparator()->setObjectName(QStringLiteral("sep2"));
    QAction* about = library->addAction(tr("&About"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    library->addSeparator()->setObjectName(QStringLiteral("sep3"));
    QAction* exit = library->addAction(tr("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));

    connect(refresh, &QAction::triggered, &m_app, &App::refreshLibrary);
    connect(settings, &QAction::triggered, this, [this] { m_dialogs.showSettings(this, m_app); });
    connect(about, &QAction::triggered, this, [this] { m_dialogs.showAbout(this); });
    connect(exit, &QAction::triggered, this, &MainWindow::askToExit);
}

void MainWindow::createControls() {
    m_client = named(new QWidget(this), "client");
    setCentralWidget(m_client);

    m_player = named(new PlayerControlBar(m_client), "WindowsMediaPlayer1");
    m_playlist = named(new QListView(m_client), "lstPlaylist");
    m_playlist->setModel(&m_app.player().playlist());
    m_playlist->setUniformItemSizes(true);
    m_playlist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_playlist->setSelectionMode(QAbstractItemView::SingleSelection);
    // The server's texts are shown as they are, never read as markup.
    m_nowPlaying = named(new SpokenLabel(tr("Now playing"), m_client), "lblNowPlaying");
    m_nowPlaying->setAutoFillBackground(true);
    m_nowPlaying->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Green on black whatever the desktop's colours: both are set, so they always contrast.
    QPalette nowPlaying = m_nowPlaying->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        nowPlaying.setColor(group, QPalette::WindowText, QColor(0, 255, 0));
        nowPlaying.setColor(group, QPalette::Window, QColor(0, 0, 0));
    }
    m_nowPlaying->setPalette(nowPlaying);
    m_deleteItem = named(new QPushButton(tr("Delete Item"), m_client), "cmdDeleteItem");
    m_clearPlaylist = named(new QPushButton(tr("Clear Playlist"), m_client), "cmdClearPlaylist");

    // A tab bar over two pages that span the whole control, so that the pages' children are
    // placed in the tab control's own coordinates, below the tab row.
    m_tabs = named(new QWidget(m_client), "SSTab");
    m_tabBar = named(new SectionTabBar(m_tabs), "SSTabBar");
    m_tabBar->addTab(tr("Library"));
    m_tabBar->addTab(tr("Search"));
    m_tabBar->setDrawBase(false);
    // Two tabs always fit: the scroll arrows stay hidden, and out of the focus chain.
    m_tabBar->setUsesScrollButtons(false);
    for (QAbstractButton* arrow : m_tabBar->findChildren<QAbstractButton*>())
        arrow->setFocusPolicy(Qt::NoFocus);
    for (int i = 0; i < 2; ++i) {
        auto* page = new QFrame(m_tabs);
        page->setFrameShape(QFrame::StyledPanel);
        page->setObjectName(QStringLiteral("SSTabPage%1").arg(i));
        m_pages[static_cast<std::size_t>(i)] = page;
    }
    m_pages[1]->hide();
    m_tabBar->raise();

    m_tree = named(new QTreeView(m_pages[0]), "tvMusic");
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setModel(m_app.library().catalogue());

    for (int i = 0; i < 2; ++i) {
        auto* list = new QListView(m_pages[static_cast<std::size_t>(i)]);
        list->setObjectName(QStringLiteral("lstSongs%1").arg(i));
        list->setUniformItemSizes(true);
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        list->setModel(m_app.library().songs(i));
        m_songs[static_cast<std::size_t>(i)] = list;
        connect(list, &QListView::doubleClicked, this, [this, i] { addSelectedSong(i); });
    }
    m_songs[1]->setVisible(false);

    m_searchFrame = named(new QGroupBox(tr("Basic Search"), m_pages[1]), "fraBasicSearch");
    m_searchText = named(new QLineEdit(m_searchFrame), "txtBasicSearch");
    m_searchButton = named(new QPushButton(tr("Search"), m_searchFrame), "cmdBasicSearch");
    m_searchButton->setEnabled(false);
    m_searchButton->setDefault(true);

    m_statusPanel1 = named(new SpokenLabel(tr("Status"), this), "StatusBarPanel1");
    m_statusPanel2 = named(new SpokenLabel(tr("Artist count"), this), "StatusBarPanel2");
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    // The window's edges resize it; a grip would be one more object without a name or a role.
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(m_statusPanel1, 1);
    // Beside the status texts, only while a request runs long enough to be worth watching.
    // Not a spoken label: it changes every second, and a screen reader reads the bar's value.
    m_transferText = named(new QLabel(this), "lblTransfer");
    m_transferText->setTextFormat(Qt::PlainText);
    m_transferBar = named(new QProgressBar(this), "prgTransfer");
    m_transferBar->setTextVisible(false);
    m_transferBar->setMaximumWidth(m_transferBar->fontMetrics().averageCharWidth() * 16);
    m_cancelHint = named(new QLabel(tr("Esc to cancel"), this), "lblCancelHint");
    for (QWidget* widget :
         {static_cast<QWidget*>(m_transferText), static_cast<QWidget*>(m_transferBar),
          static_cast<QWidget*>(m_cancelHint)}) {
        statusBar()->addPermanentWidget(widget);
        widget->hide();
    }
    statusBar()->addPermanentWidget(m_statusPanel2);

    setTabOrder(m_player, m_playlist);
    setTabOrder(m_playlist, m_deleteItem);
    setTabOrder(m_deleteItem, m_clearPlaylist);
    setTabOrder(m_clearPlaylist, m_tabBar);
    setTabOrder(m_tabBar, m_tree);
    setTabOrder(m_tree, m_songs[0]);
    setTabOrder(m_songs[0], m_songs[1]);
    setTabOrder(m_songs[1], m_searchText);
    setTabOrder(m_searchText, m_searchButton);

    connect(m_tabBar, &QTabBar::currentChanged, this, &MainWindow::showTab);
    connect(m_tree, &QTreeView::clicked, this, &MainWindow::showTracksOf);
    connect(m_searchButton, &QPushButton::clicked, this, &MainWindow::search);
    connect(m_searchText, &QLineEdit::returnPressed, this, [this] {
        if (m_searchButton->isEnabled())
            search();
    });
}

// Names and descriptions for screen readers; buttons and tabs also read their captions.
void MainWindow::describeControls() {
    const struct {
        QWidget* widget;
        const char* name;
        const char* description;
    } controls[] = {
        {m_nowPlaying, nullptr, QT_TR_NOOP("Title, artist and album of the current song")},
        {m_player, QT_TR_NOOP("Player"), QT_TR_NOOP("Controls of the playing song")},
        {m_playlist, QT_TR_NOOP("Playlist"),
         QT_TR_NOOP("Songs to play; Enter plays the selected one, Delete removes it")},
        {m_deleteItem, QT_TR_NOOP("Delete Item"),
         QT_TR_NOOP("Removes the selected song from the playlist")},
        {m_clearPlaylist, QT_TR_NOOP("Clear Playlist"), QT_TR_NOOP("Empties the playlist")},
        {m_tabBar, QT_TR_NOOP("Library and search"), QT_TR_NOOP("Chooses the page below")},
        {m_tree, QT_TR_NOOP("Library"),
         QT_TR_NOOP("Artists and their albums; choose one to list its songs")},
        {m_songs[0], QT_TR_NOOP("Library songs"),
         QT_TR_NOOP("Songs of the chosen artist or album; Enter adds one to the playlist")},
        {m_songs[1], QT_TR_NOOP("Search results"),
         QT_TR_NOOP("Songs found; Enter adds one to the playlist")},
        {m_searchFrame, QT_TR_NOOP("Basic Search"), QT_TR_NOOP("Search for songs by text")},
        {m_searchText, QT_TR_NOOP("Search text"),
         QT_TR_NOOP("Text to look for in titles, artists and albums")},
        {m_searchButton, QT_TR_NOOP("Search"), QT_TR_NOOP("Searches the server for the text")},
        {m_statusPanel1, nullptr, QT_TR_NOOP("What the program is doing")},
        {m_statusPanel2, nullptr, QT_TR_NOOP("Number of artists in the library")},
        {m_client, QT_TR_NOOP("Player and library"),
         QT_TR_NOOP("The player, the playlist and the library")},
        {m_tabs, QT_TR_NOOP("Pages"), QT_TR_NOOP("The library or the search, as chosen above")},
        {m_pages[0], QT_TR_NOOP("Library page"), QT_TR_NOOP("The catalogue and its songs")},
        {m_pages[1], QT_TR_NOOP("Search page"), QT_TR_NOOP("Search and its results")},
        {statusBar(), QT_TR_NOOP("Status bar"), QT_TR_NOOP("What the program is doing")},
        {m_transferText, QT_TR_NOOP("Transfer"), QT_TR_NOOP("How much of the reply has arrived")},
        {m_transferBar, QT_TR_NOOP("Transfer progress"),
         QT_TR_NOOP("How much of the reply has arrived")},
        {m_cancelHint, QT_TR_NOOP("Esc to cancel"), QT_TR_NOOP("Escape ends the wait")},
    };
    // Labels whose text changes say their role and that text themselves.
    for (const auto& c : controls) {
        if (c.name)
            c.widget->setAccessibleName(tr(c.name));
        c.widget->setAccessibleDescription(tr(c.description));
    }
    // Screen readers describe each tab by its tool tip.
    m_tabBar->setTabToolTip(0, tr("Artists and albums, and the songs of the one chosen"));
    m_tabBar->setTabToolTip(1, tr("Search for songs by text"));
}

// While a command runs only Escape and the close box reach the program; both end the command.
void MainWindow::connectRequestGate() {
    auto* gate = new RequestInputGate(this);
    connect(&m_app, &App::busyChanged, gate, &RequestInputGate::setActive);
    connect(gate, &RequestInputGate::cancelRequested, &m_app, &App::cancel);
    connect(&m_app.progress(), &TransferProgress::changed, this, &MainWindow::showTransferProgress);
}

void MainWindow::showTransferProgress() {
    const TransferProgress& progress = m_app.progress();
    const bool shown = progress.isShown();
    if (shown) {
        const int permille = progress.permille();
        // Without a known length the bar only says that something is happening.
        m_transferBar->setRange(0, permille < 0 ? 0 : 1000);
        m_transferBar->setValue(std::max(0, permille));
        m_transferText->setText(progress.text());
    }
    m_transferText->setVisible(shown);
    m_transferBar->setVisible(shown);
    m_cancelHint->setVisible(shown);
}

void MainWindow::connectLibrary() {
    Library* library = &m_app.library();
    connect(&m_app.status(), &StatusText::textChanged, m_statusPanel1, &SpokenLabel::showText);
    connect(library, &Library::artistCountTextChanged, m_statusPanel2, &SpokenLabel::showText);
    connect(library, &Library::searchEnabledChanged, m_searchButton, &QPushButton::setEnabled);
    connect(&m_app, &App::busyChanged, this, &MainWindow::setBusyPointer);
    connect(&m_app, &App::raiseRequested, this, &MainWindow::bringToFront);
    connect(&m_app, &App::failureReported, this, [this](const QString& message) {
        m_dialogs.critical(this, m_app.programName(), message);
    });
}

void MainWindow::connectPlayback() {
    PlaylistController* playlist = &m_app.playlist();
    connect(m_playlist, &QListView::doubleClicked, this, &MainWindow::playSelected);
    connect(m_deleteItem, &QPushButton::clicked, this, &MainWindow::deleteSelected);
    connect(m_clearPlaylist, &QPushButton::clicked, this, &MainWindow::clearPlaylist);
    connect(playlist, &PlaylistController::selectRequested, this, &MainWindow::selectPlaylistLine);
    connect(playlist, &PlaylistController::nowPlayingChanged, m_nowPlaying, &SpokenLabel::showText);
    MediaPlayer* player = &m_app.player();
    MpvPlayer* engine = &player->engine();
    connect(m_player, &PlayerControlBar::previousRequested, player, &MediaPlayer::previous);
    connect(m_player, &PlayerControlBar::playPauseRequested, player, &MediaPlayer::togglePause);
    connect(m_player, &PlayerControlBar::stopRequested, player, &MediaPlayer::stop);
    connect(m_player, &PlayerControlBar::nextRequested, player, &MediaPlayer::next);
    connect(m_player, &PlayerControlBar::seekRequested, player, &MediaPlayer::seek);
    connect(m_player, &PlayerControlBar::seekByRequested, player, &MediaPlayer::seekBy);
    connect(m_player, &PlayerControlBar::volumeRequested, player, &MediaPlayer::setVolume);
    connect(m_player, &PlayerControlBar::muteRequested, player, &MediaPlayer::setMuted);
    connect(player, &MediaPlayer::playbackStateChanged, m_player,
            [this](PlaybackState state) { m_player->setPlaying(state == PlaybackState::Playing); });
    auto showAvailable = [this, player] {
        m_player->setAvailable(player->canPlay(), player->canGoPrevious(), player->canGoNext(),
                               player->canSeek());
    };
    connect(player, &MediaPlayer::transportChanged, m_player, showAvailable);
    showAvailable();
    connect(engine, &MpvPlayer::positionChanged, m_player,
            [this, player] { m_player->setPosition(player->position()); });
    connect(engine, &MpvPlayer::durationChanged, m_player, &PlayerControlBar::setDuration);
    connect(engine, &MpvPlayer::volumeChanged, m_player, &PlayerControlBar::setVolume);
    connect(engine, &MpvPlayer::mutedChanged, m_player, &PlayerControlBar::setMuted);

    // Enter on a song adds it, Enter on a playlist line plays it, as a double-click does.
    auto onEnter = [this](QWidget* widget, auto&& action) {
        for (QKeySequence key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
            auto* shortcut = new QShortcut(key, widget);
            shortcut->setContext(Qt::WidgetShortcut);
            connect(shortcut, &QShortcut::activated, this, action);
        }
    };
    onEnter(m_songs[0], [this] { addSelectedSong(0); });
    onEnter(m_songs[1], [this] { addSelectedSong(1); });
    onEnter(m_playlist, [this] { playSelected(); });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_tabBar->setCurrentIndex(1);
        m_searchText->setFocus(Qt::ShortcutFocusReason);
        m_searchText->selectAll();
    });
    // Beside the menu item, which itself has no shortcut.
    auto* refresh = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(refresh, &QShortcut::activated, &m_app, &App::refreshLibrary);

    connectPlayerKeys();
    // Enter or Space on a tree node lists its tracks, as a click does; a Space typed within a
    // name being looked for stays part of it.
    auto* treeKeys = new FocusKeys(m_tree, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space},
                                   FocusKeys::Handling::ActivateOutsideTypeAhead);
    connect(treeKeys, &FocusKeys::activated, this,
            [this] { showTracksOf(m_tree->currentIndex()); });
    auto* remove = new QShortcut(QKeySequence::Delete, m_playlist);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &MainWindow::deleteSelected);
}

// The player's keys work anywhere in the window; a focused text box keeps the keys it edits with
// (Qt asks it first), a focused button keeps Space for pressing itself.
void MainWindow::connectPlayerKeys() {
    MediaPlayer* player = &m_app.player();
    auto bind = [this](const QKeySequence& key, auto&& action) {
        connect(new QShortcut(key, this), &QShortcut::activated, this, action);
    };
    bind(PlayerKeys::playPause(), [player] { player->togglePause(); });
    bind(PlayerKeys::stop(), [player] { player->stop(); });
    bind(PlayerKeys::next(), [player] { player->next(); });
    bind(PlayerKeys::previous(), [player] { player->previous(); });
    bind(PlayerKeys::seekForward(), [player] { player->seekBy(PlayerKeys::SeekStepSeconds); });
    bind(PlayerKeys::seekBackward(), [player] { player->seekBy(-PlayerKeys::SeekStepSeconds); });
    bind(PlayerKeys::volumeUp(), [player] { player->changeVolume(PlayerKeys::VolumeStep); });
    bind(PlayerKeys::volumeDown(), [player] { player->changeVolume(-PlayerKeys::VolumeStep); });
    bind(PlayerKeys::mute(), [player] { player->toggleMuted(); });
    // A keyboard's media keys, pressed while the window has the focus.
    bind(QKeySequence(Qt::Key_MediaTogglePlayPause), [player] { player->togglePause(); });
    bind(QKeySequence(Qt::Key_MediaPlay), [player] { player->play(); });
    bind(QKeySequence(Qt::Key_MediaPause), [player] { player->pause(); });
    bind(QKeySequence(Qt::Key_MediaStop), [player] { player->stop(); });
    bind(QKeySequence(Qt::Key_MediaNext), [player] { player->next(); });
    bind(QKeySequence(Qt::Key_MediaPrevious), [player] { player->previous(); });
    // The other tab, as a tab control's own keys switch it.
    for (QKeySequence key :
         {QKeySequence(Qt::CTRL | Qt::Key_Tab),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::Key_PageDown), QKeySequence(Qt::CTRL | Qt::Key_PageUp)})
        bind(key, [this] { m_tabBar->setCurrentIndex(1 - m_tabBar->currentIndex()); });
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        new FocusKeys(button, {Qt::Key_Space}, FocusKeys::Handling::Widget);
}

void MainWindow::showTab(int tab) {
    const int previous = m_currentTab;
    m_currentTab = tab;
    m_pages[static_cast<std::size_t>(previous)]->hide();
    m_pages[static_cast<std::size_t>(tab)]->show();
    showSongList(previous);
}

int MainWindow::playlistSelection() const {
    const QModelIndexList selected = m_playlist->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void MainWindow::selectPlaylistLine(int line) {
    if (line < 0) {
        m_playlist->selectionModel()->clear();
        return;
    }
    m_playlist->setCurrentIndex(m_app.player().playlist().index(line));
}

void MainWindow::addSelectedSong(int index) {
    QListView* list = m_songs[static_cast<std::size_t>(index)];
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const QVariant id = selected.first().data(SongListModel::IdRole);
    m_app.addSong(id.isValid() ? std::optional(id.toLongLong()) : std::nullopt);
}

void MainWindow::playSelected() {
    m_app.playlist().jumpTo(playlistSelection());
}

void MainWindow::deleteSelected() {
    m_app.playlist().deleteLine(playlistSelection());
}

void MainWindow::clearPlaylist() {
    m_app.playlist().clear();
}

void MainWindow::load() {
    layOutControls();
    if (!m_app.loadSettings()) {
        // The dialog belongs to the shown window, so that the sign-in after its Save has the
        // window's Escape and close box.
        show();
        m_dialogs.showSettings(this, m_app);
    }
}

bool MainWindow::start() {
    load();
    if (!m_shown)
        show();
    return isVisible();
}

void MainWindow::showEvent(QShowEvent* event) {
    m_shown = true;
    QMainWindow::showEvent(event);
}

void MainWindow::bringToFront() {
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::askToExit() {
    if (m_dialogs.askYesNo(this, m_app.programName(), tr("Are you sure you want to exit?"),
                           UserDialogs::Icon::None))
        m_dialogs.quit();
}

void MainWindow::showTracksOf(const QModelIndex& index) {
    m_app.showTracks(index.data(CatalogueModel::KeyRole).toString());
}

void MainWindow::search() {
    m_app.search(m_searchText->text());
}

void MainWindow::showSongList(int previousTab) {
    m_songs[static_cast<std::size_t>(previousTab)]->setVisible(false);
    m_songs[static_cast<std::size_t>(m_tabBar->currentIndex())]->setVisible(true);
}

void MainWindow::setBusyPointer(bool busy) {
    if (busy == m_busyPointer)
        return;
    m_busyPointer = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    QApplication::restoreOverrideCursor();
}

// Closing the window ends a command that waits for the server, as Escape does.
void MainWindow::closeEvent(QCloseEvent* event) {
    m_app.cancel();
    QMainWindow::closeEvent(event);
}

double MainWindow::twipsPerPixel() const {
    return 1440.0 / logicalDpiX();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    layOutControls();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        layOutControls();
}

void MainWindow::layOutControls() {
    const double tpp = twipsPerPixel();
    const QSize outer = frameGeometry().size();
    WindowState state = WindowState::Normal;
    if (isMinimized())
        state = WindowState::Minimized;
    else if (isMaximized())
        state = WindowState::Maximized;
    m_layout.resizeControls(static_cast<float>(outer.width() * tpp),
                            static_cast<float>(outer.height() * tpp), state);
    applyLayout();
}

namespace {

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

// The specified geometry, in pixels; at a font larger than the controls were laid out for, a
// control grows to what its text needs and what lies below it moves down, so no caption is cut.
void MainWindow::applyLayout() {
    const double tpp = twipsPerPixel();
    const auto px = [tpp](float twips) { return static_cast<int>(std::lround(twips / tpp)); };
    const auto rect = [&px](const TwipRect& r) {
        return QRect(px(r.left), px(r.top), std::max(0, px(r.width)), std::max(0, px(r.height)));
    };
    const ControlLayout& l = m_layout;

    QRect nowPlaying = rect(l.nowPlaying);
    const int labelNeeds =
        m_nowPlaying->fontMetrics().lineSpacing() * 3 + 2 * m_nowPlaying->frameWidth();
    const int labelGrows = std::max(0, labelNeeds - nowPlaying.height());
    nowPlaying.setHeight(nowPlaying.height() + labelGrows);
    QRect player =
        fitted(rect(l.player).translated(0, labelGrows), m_player->minimumSizeHint(), Qt::LeftEdge);
    const QRect deleteItem = fitted(rect(l.deleteItem), m_deleteItem->sizeHint(), Qt::LeftEdge);
    const QRect clearPlaylist =
        fitted(rect(l.clearPlaylist), m_clearPlaylist->sizeHint(), Qt::RightEdge);

    // The tab control keeps its bottom edge and the gaps above it.
    QRect tabs = rect(l.tabs);
    const int tabsDrop =
        std::max({0, player.bottom() + px(l.tabs.top - l.player.top - l.player.height) - tabs.top(),
                  deleteItem.bottom() + px(l.tabs.top - l.deleteItem.top - l.deleteItem.height) -
                      tabs.top()});
    tabs.setTop(tabs.top() + tabsDrop);
    // The pages' contents start below the tab row, however tall its captions make it.
    const int tabRow = m_tabBar->sizeHint().height();
    const int contentDrop = std::max(0, tabRow + px(60) - px(l.tree.top));
    const auto inTabs = [&](const TwipRect& r) {
        QRect out = rect(r);
        out.setTop(out.top() + contentDrop);
        out.setHeight(std::max(0, out.height() - tabsDrop));
        return out;
    };

    // Inside the search frame, below its title.
    QRect searchText = rect(l.searchText);
    searchText.moveTop(std::max(searchText.top(), m_searchFrame->fontMetrics().height() + px(60)));
    searchText.setHeight(std::max(searchText.height(), m_searchText->sizeHint().height()));
    QRect searchButton = fitted(rect(l.searchButton), m_searchButton->sizeHint(), Qt::RightEdge);
    searchButton.moveTop(std::max(
        searchButton.top(),
        searchText.bottom() + 1 + px(l.searchButton.top - l.searchText.top - l.searchText.height)));
    QRect searchFrame = rect(l.searchFrame).translated(0, contentDrop);
    searchFrame.setHeight(std::max(searchFrame.height(), searchButton.bottom() + 1 + px(120)));

    m_player->setGeometry(player);
    m_playlist->setGeometry(rect(l.playlist));
    m_nowPlaying->setGeometry(nowPlaying);
    m_deleteItem->setGeometry(deleteItem);
    m_clearPlaylist->setGeometry(clearPlaylist);
    m_tabs->setGeometry(tabs);
    m_tree->setGeometry(inTabs(l.tree));
    m_songs[0]->setGeometry(inTabs(l.songs[0]));
    m_songs[1]->setGeometry(inTabs(l.songs[1]));
    m_searchFrame->setGeometry(searchFrame);
    m_searchText->setGeometry(searchText);
    m_searchButton->setGeometry(searchButton);

    m_tabBar->setGeometry(0, 0, m_tabs->width(), tabRow);
    for (QFrame* page : m_pages) {
        page->setGeometry(0, 0, m_tabs->width(), m_tabs->height());
        // The page's frame starts below the tab row, as a tab control's page would.
        page->setFrameRect(QRect(0, tabRow - 1, m_tabs->width(), m_tabs->height() - tabRow + 1));
    }
}
