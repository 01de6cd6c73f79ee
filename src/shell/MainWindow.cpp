#include "MainWindow.h"

#include "App.h"
#include "FocusKeys.h"
#include "Library.h"
#include "MainWindowControls.h"
#include "MediaPlayer.h"
#include "PlayerControlBar.h"
#include "PlayerKeys.h"
#include "PlaylistView.h"
#include "RequestInputGate.h"
#include "SectionTabBar.h"
#include "SonaricVersion.h"
#include "SpokenLabel.h"
#include "TransferProgress.h"
#include "UserDialogs.h"

#ifdef Q_OS_WIN
#endif

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
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

MainWindow::MainWindow(App& app, UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("frmPlayer"));
    setWindowTitle(App::title());
    createMenu();
    createControls();
    connectRequestGate();
    connectLibrary();
    connectPlayback();
    m_ui.describe(*this);

    // The player column is half the window less 1000 twips; at a large font the window starts,
    // and stays, wide enough for the player's controls.
    const double tpp = twipsPerPixel();
    const int minimumWidth = std::max(
        static_cast<int>(std::ceil(ControlLayout::MinimumOuterWidth / tpp)),
        2 * m_ui.player->minimumSizeHint().width() + static_cast<int>(std::ceil(1000 / tpp)));
    setMinimumSize(minimumWidth,
                   static_cast<int>(std::ceil(ControlLayout::MinimumOuterHeight / tpp)));
    resize(std::max(minimumWidth,
                    static_cast<int>(std::lround(ControlLayout::DesignClientWidth / tpp))),
           static_cast<int>(std::lround(ControlLayout::DesignClientHeight / tpp)) +
               menuBar()->sizeHint().height());
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenu() {
    QMenu* library = menuBar()->addMenu(tr("&Library"));
    library->setObjectName(QStringLiteral("mnuLibrary"));
    // What a screen reader calls the menu once it is open.
    library->setWindowTitle(tr("Library"));
    menuBar()->setAccessibleName(tr("Menu bar"));
    QAction* refresh = library->addAction(tr("&Refresh Library"));
    refresh->setObjectName(QStringLiteral("mnuRefreshLibrary"));
    library->addSeparator()->setObjectName(QStringLiteral("sep1"));
    QAction* save = library->addAction(tr("Sa&ve Playlist..."));
    save->setObjectName(QStringLiteral("mnuSavePlaylist"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QAction* open = library->addAction(tr("&Open Playlist..."));
    open->setObjectName(QStringLiteral("mnuOpenPlaylist"));
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* remember = library->addAction(tr("Re&member Playlist"));
    remember->setObjectName(QStringLiteral("mnuRememberPlaylist"));
    remember->setCheckable(true);
    remember->setChecked(m_app.remembersPlaylist());
    library->addSeparator()->setObjectName(QStringLiteral("sep4"));
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
    connect(save, &QAction::triggered, this, [this] {
        m_dialogs.choosePlaylistFile(
            this, UserDialogs::FileAction::Save,
            [app = &m_app](const QString& path) { app->savePlaylist(path); });
    });
    connect(open, &QAction::triggered, this, [this] {
        m_dialogs.choosePlaylistFile(
            this, UserDialogs::FileAction::Open,
            [app = &m_app](const QString& path) { app->openPlaylist(path); });
    });
    connect(remember, &QAction::toggled, &m_app, &App::setRememberPlaylist);
    connect(&m_app, &App::rememberPlaylistChanged, remember, &QAction::setChecked);
    connect(exit, &QAction::triggered, this, &MainWindow::askToExit);
}

void MainWindow::createControls() {
    m_ui.create(*this);
    m_ui.playlist->setModel(&m_app.player().playlist());
    m_ui.tree->setModel(m_app.library().catalogue());
    for (int i = 0; i < 2; ++i) {
        m_ui.songs[static_cast<std::size_t>(i)]->setModel(m_app.library().songs(i));
        connect(m_ui.songs[static_cast<std::size_t>(i)], &QListView::doubleClicked, this,
                [this, i] { addSelectedSongs(i); });
        connect(m_ui.addSongs[static_cast<std::size_t>(i)], &QAction::triggered, this,
                [this, i] { addSelectedSongs(i); });
    }
    connect(m_ui.addTracks, &QAction::triggered, this, [this] {
        if (const QModelIndex node = m_ui.tree->currentIndex(); node.isValid())
            m_app.addTracksOf(node.data(CatalogueModel::KeyRole).toString());
    });
    connect(m_ui.tabBar, &QTabBar::currentChanged, this, &MainWindow::showTab);
    connect(m_ui.tree, &QTreeView::clicked, this, &MainWindow::showTracksOf);
    connect(m_ui.searchButton, &QPushButton::clicked, this, &MainWindow::search);
    connect(m_ui.searchText, &QLineEdit::returnPressed, this, [this] {
        if (m_ui.searchButton->isEnabled())
            search();
    });
}

// While a command runs only Escape and the close box reach the program; both end the command.
void MainWindow::connectRequestGate() {
    auto* gate = new RequestInputGate(this);
    // The transport asks nothing of the server and changes no list a command fills.
    gate->addLiveControl(m_ui.player);
    gate->setLiveKeys(PlayerKeys::transport());
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
        m_ui.transferBar->setRange(0, permille < 0 ? 0 : 1000);
        m_ui.transferBar->setValue(std::max(0, permille));
        m_ui.transferText->setText(progress.text());
    }
    m_ui.transferText->setVisible(shown);
    m_ui.transferBar->setVisible(shown);
    m_ui.cancelHint->setVisible(shown);
}

void MainWindow::connectLibrary() {
    Library* library = &m_app.library();
    connect(&m_app.status(), &StatusText::textChanged, m_ui.statusText, &SpokenLabel::showText);
    connect(library, &Library::artistCountTextChanged, m_ui.artistCount, &SpokenLabel::showText);
    connect(library, &Library::searchEnabledChanged, m_ui.searchButton, &QPushButton::setEnabled);
    connect(m_ui.libraryFilter, &QLineEdit::textChanged, library->catalogue(),
            &CatalogueModel::setFilter);
    // What the filter found inside an artist shows at once.
    connect(library->catalogue(), &CatalogueModel::filterApplied, m_ui.tree, [this, library] {
        const CatalogueModel* catalogue = library->catalogue();
        for (const int row : catalogue->rowsToExpand())
            m_ui.tree->expand(catalogue->index(row, 0));
    });
    connect(&m_app, &App::busyChanged, this, &MainWindow::setBusyPointer);
    m_ui.player->installEventFilter(this);
    connect(&m_app, &App::raiseRequested, this, &MainWindow::bringToFront);
    connect(&m_app, &App::failureReported, this,
            [this](const QString& message) { m_dialogs.critical(this, App::title(), message); });
}

void MainWindow::connectPlayback() {
    MediaPlayer* player = &m_app.player();
    connect(m_ui.playlist, &QListView::doubleClicked, this, &MainWindow::playSelected);
    connect(m_ui.playlist, &PlaylistView::moveRequested, this, &MainWindow::moveLine);
    connect(m_ui.deleteItem, &QPushButton::clicked, this, &MainWindow::deleteSelected);
    connect(m_ui.clearPlaylist, &QPushButton::clicked, this, &MainWindow::clearPlaylist);
    connect(player, &MediaPlayer::added, this, &MainWindow::selectPlaylistLine);
    connect(player, &MediaPlayer::nowPlayingChanged, m_ui.nowPlaying, &SpokenLabel::showText);
    connect(m_ui.player, &PlayerControlBar::previousRequested, player, &MediaPlayer::previous);
    connect(m_ui.player, &PlayerControlBar::playPauseRequested, player, &MediaPlayer::togglePause);
    connect(m_ui.player, &PlayerControlBar::stopRequested, player, &MediaPlayer::stop);
    connect(m_ui.player, &PlayerControlBar::nextRequested, player, &MediaPlayer::next);
    connect(m_ui.player, &PlayerControlBar::seekRequested, player, &MediaPlayer::seek);
    connect(m_ui.player, &PlayerControlBar::seekByRequested, player, &MediaPlayer::seekBy);
    connect(m_ui.player, &PlayerControlBar::volumeRequested, player, &MediaPlayer::setVolume);
    connect(m_ui.player, &PlayerControlBar::muteRequested, player, &MediaPlayer::setMuted);
    connect(m_ui.player, &PlayerControlBar::repeatRequested, player, &MediaPlayer::setRepeat);
    connect(m_ui.player, &PlayerControlBar::shuffleRequested, player, &MediaPlayer::setShuffled);
    connect(player, &MediaPlayer::repeatChanged, m_ui.player, &PlayerControlBar::setRepeat);
    connect(player, &MediaPlayer::shuffledChanged, m_ui.player, &PlayerControlBar::setShuffled);
    connect(player, &MediaPlayer::playbackStateChanged, m_ui.player, [this](PlaybackState state) {
        m_ui.player->setPlaying(state == PlaybackState::Playing);
    });
    auto showAvailable = [this, player] {
        m_ui.player->setAvailable(player->canPlay(), player->canGoPrevious(), player->canGoNext(),
                                  player->canSeek());
    };
    connect(player, &MediaPlayer::transportChanged, m_ui.player, showAvailable);
    showAvailable();
    connect(player, &MediaPlayer::positionChanged, m_ui.player, &PlayerControlBar::setPosition);
    connect(player, &MediaPlayer::durationChanged, m_ui.player, &PlayerControlBar::setDuration);
    connect(player, &MediaPlayer::volumeChanged, m_ui.player, &PlayerControlBar::setVolume);
    connect(player, &MediaPlayer::mutedChanged, m_ui.player, &PlayerControlBar::setMuted);

    // Enter on a song adds it, Enter on a playlist line plays it, as a double-click does.
    auto onEnter = [this](QWidget* widget, auto&& action) {
        for (QKeySequence key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
            auto* shortcut = new QShortcut(key, widget);
            shortcut->setContext(Qt::WidgetShortcut);
            connect(shortcut, &QShortcut::activated, this, action);
        }
    };
    onEnter(m_ui.songs[Library::LibraryList], [this] { addSelectedSongs(Library::LibraryList); });
    onEnter(m_ui.songs[Library::SearchList], [this] { addSelectedSongs(Library::SearchList); });
    onEnter(m_ui.playlist, [this] { playSelected(); });
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_ui.tabBar->setCurrentIndex(Library::SearchList);
        m_ui.searchText->setFocus(Qt::ShortcutFocusReason);
        m_ui.searchText->selectAll();
    });
    auto* filter = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(filter, &QShortcut::activated, this, [this] {
        m_ui.tabBar->setCurrentIndex(Library::LibraryList);
        m_ui.libraryFilter->setFocus(Qt::ShortcutFocusReason);
        m_ui.libraryFilter->selectAll();
    });
    auto* emptyFilter = new QShortcut(QKeySequence(Qt::Key_Escape), m_ui.libraryFilter);
    emptyFilter->setContext(Qt::WidgetShortcut);
    connect(emptyFilter, &QShortcut::activated, m_ui.libraryFilter, &QLineEdit::clear);
    // Beside the menu item, which itself has no shortcut.
    auto* refresh = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    connect(refresh, &QShortcut::activated, &m_app, &App::refreshLibrary);

    connectPlayerKeys();
    // Enter or Space on a tree node lists its tracks, as a click does; a Space typed within a
    // name being looked for stays part of it.
    auto* treeKeys = new FocusKeys(m_ui.tree, {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space},
                                   FocusKeys::Handling::ActivateOutsideTypeAhead);
    connect(treeKeys, &FocusKeys::activated, this,
            [this] { showTracksOf(m_ui.tree->currentIndex()); });
    auto* remove = new QShortcut(QKeySequence::Delete, m_ui.playlist);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &MainWindow::deleteSelected);
    for (auto [key, by] : {std::pair{Qt::Key_Up, -1}, std::pair{Qt::Key_Down, 1}}) {
        auto* move = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | key), m_ui.playlist);
        move->setContext(Qt::WidgetShortcut);
        connect(move, &QShortcut::activated, this, [this, by] {
            const int line = playlistSelection();
            moveLine(line, line + by);
        });
    }
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
    bind(PlayerKeys::repeat(), [player] { player->stepRepeat(); });
    bind(PlayerKeys::shuffle(), [player] { player->toggleShuffled(); });
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
        bind(key, [this] { m_ui.tabBar->setCurrentIndex(1 - m_ui.tabBar->currentIndex()); });
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        new FocusKeys(button, {Qt::Key_Space}, FocusKeys::Handling::Widget);
}

void MainWindow::showTab(int tab) {
    const int previous = m_currentTab;
    m_currentTab = tab;
    m_ui.pages[static_cast<std::size_t>(previous)]->hide();
    m_ui.pages[static_cast<std::size_t>(tab)]->show();
    showSongList(previous);
}

int MainWindow::playlistSelection() const {
    const QModelIndexList selected = m_ui.playlist->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void MainWindow::selectPlaylistLine(int line) {
    if (line < 0) {
        m_ui.playlist->selectionModel()->clear();
        return;
    }
    m_ui.playlist->setCurrentIndex(m_app.player().playlist().index(line));
}

// In list order, whatever order they were selected in.
void MainWindow::addSelectedSongs(int index) {
    QListView* list = m_ui.songs[static_cast<std::size_t>(index)];
    QModelIndexList selected = list->selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::optional<std::int64_t>> ids;
    for (const QModelIndex& song : selected) {
        const QVariant id = song.data(SongListModel::IdRole);
        ids.push_back(id.isValid() ? std::optional(id.toLongLong()) : std::nullopt);
    }
    m_app.addSongs(ids);
}

void MainWindow::playSelected() {
    m_app.player().jumpTo(playlistSelection());
}

// Repeated deletes walk down the list; deleting the last line leaves no selection.
void MainWindow::deleteSelected() {
    const int line = playlistSelection();
    if (line < 0)
        return;
    m_app.player().deleteLine(line);
    selectPlaylistLine(line < m_app.player().count() ? line : -1);
}

// The moved line stays selected.
void MainWindow::moveLine(int line, int to) {
    if (m_app.player().moveLine(line, to))
        selectPlaylistLine(to);
}

void MainWindow::clearPlaylist() {
    m_app.player().clear();
}

void MainWindow::load() {
    layOutControls();
    if (!m_app.loadSettings()) {
        // The dialog belongs to the shown window, so that the sign-in after its Save has the
        // window's Escape and close box.
        show();
        m_dialogs.askFirstSettings(this, m_app);
    }
}

bool MainWindow::start() {
    load();
    if (!m_shown)
        show();
    return isVisible();
}

void MainWindow::showEvent(QShowEvent* event) {
#ifdef Q_OS_WIN
    // The taskbar's thumbnail buttons need the window's own handle, which only Windows' own
    // platform gives.
    if (!m_shown && QGuiApplication::platformName() == QLatin1String("windows"))
        m_app.attachMediaControls(winId());
#endif
    m_shown = true;
    QMainWindow::showEvent(event);
}

void MainWindow::bringToFront() {
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::askToExit() {
    m_dialogs.askYesNo(this, App::title(), tr("Are you sure you want to exit?"),
                       UserDialogs::Icon::None, [this] { m_dialogs.quit(); });
}

// A key on a tree with no current node (after a refresh) asks nothing.
void MainWindow::showTracksOf(const QModelIndex& index) {
    if (index.isValid())
        m_app.showTracks(index.data(CatalogueModel::KeyRole).toString());
}

void MainWindow::search() {
    m_app.search(m_ui.searchText->text());
}

void MainWindow::showSongList(int previousTab) {
    m_ui.songs[static_cast<std::size_t>(previousTab)]->setVisible(false);
    m_ui.songs[static_cast<std::size_t>(m_ui.tabBar->currentIndex())]->setVisible(true);
}

void MainWindow::setBusyPointer(bool busy) {
    m_busy = busy;
    showBusyPointer();
}

// Over what is held back while a command runs, not over the transport, which stays live.
void MainWindow::showBusyPointer() {
    const bool shown = m_busy && !m_pointerOnTransport;
    if (shown == m_busyPointer)
        return;
    m_busyPointer = shown;
    if (shown) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return;
    }
    QApplication::restoreOverrideCursor();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_ui.player &&
        (event->type() == QEvent::Enter || event->type() == QEvent::Leave)) {
        m_pointerOnTransport = event->type() == QEvent::Enter;
        showBusyPointer();
    }
    return QMainWindow::eventFilter(watched, event);
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
    m_ui.place(m_layout, tpp);
}
