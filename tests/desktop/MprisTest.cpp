#include "AppFixture.h"
#include "MainWindow.h"
#include "MprisClient.h"
#include "MprisService.h"
#include "PlayerKeys.h"
#include "PrivateBus.h"
#include "ScriptedDialogs.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDebug>
#include <QSet>
#include <QWidget>

#include <cmath>
#include <limits>

namespace {

constexpr const char* Player = MprisClient::Player;
constexpr const char* Root = MprisClient::Root;

// Stands in for the desktop's notification service and keeps what it was asked to show.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList capabilities;
    int capabilityQuestions = 0;
    QStringList summaries;
    QStringList bodies;
    QList<uint> replaced;
    QVariantMap hints;

public slots:
    QStringList GetCapabilities() {
        ++capabilityQuestions;
        return capabilities;
    }
    uint Notify(const QString&, uint replacesId, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int) {
        summaries << summary;
        bodies << body;
        replaced << replacesId;
        this->hints = hints;
        return static_cast<uint>(summaries.size());
    }
};

class Desktop : public AppFixture {
protected:
    PrivateBus bus;
    std::unique_ptr<MprisClient> mpris;

    void SetUp() override { openOnBus(); }

    // An application object on a private bus, once its start-up has joined the bus, and the
    // desktop's media controls for it.
    void openOnBus() {
        App::Options options;
        options.bus = bus.connect("player");
        makeApp(std::move(options));
        pointAt(server.url());
        QCoreApplication::sendPostedEvents(app.get(), QEvent::MetaCall);
        mpris = std::make_unique<MprisClient>(bus.connect("desktop"),
                                              app->findChild<MprisService*>()->serviceName());
        ASSERT_EQ(mpris->service(), "org.mpris.MediaPlayer2.sonaric_client");
        refresh();
    }

    // The fake takes the desktop's notification service on the test's bus.
    bool offerNotifications(FakeNotifications& notifications, const QString& as = "notifier") {
        QDBusConnection notifier = bus.connect(as);
        return notifier.registerObject("/org/freedesktop/Notifications", &notifications,
                                       QDBusConnection::ExportAllSlots) &&
               notifier.registerService("org.freedesktop.Notifications");
    }
};

// The player's names, asking for the window, what the bus says of the song (never the
// session token), volume and seeking. No notification service is on this bus: playback goes on
// without one.
TEST_F(Desktop, TheBusNamesRaisesAndDrivesTheRealPlayer) {
    EXPECT_EQ(mpris->property(Root, "Identity").toString(), "Windows Sonaric Client");
    EXPECT_EQ(mpris->property(Root, "DesktopEntry").toString(), "sonaric-client");
    EXPECT_TRUE(mpris->property(Root, "CanRaise").toBool());
    EXPECT_FALSE(mpris->property(Root, "CanQuit").toBool());
    QSignalSpy raise(app.get(), &App::raiseRequested);
    mpris->call(Root, "Raise");
    EXPECT_TRUE(eventually([&] { return raise.size() == 1; }, 2000));
    EXPECT_FALSE(mpris->property("CanPlay").toBool());
    EXPECT_FALSE(mpris->property("CanPause").toBool());
    addSong(1);
    addSong(2);
    addSong(3);
    EXPECT_EQ(mpris->property("PlaybackStatus").toString(), "Stopped");
    EXPECT_TRUE(mpris->property("CanPlay").toBool());
    EXPECT_TRUE(mpris->lastAnnounced("CanPlay").toBool());
    EXPECT_FALSE(mpris->property("CanSeek").toBool());

    mpris->call("Play");
    ASSERT_TRUE(eventually([&] { return mpris->property("PlaybackStatus") == "Playing"; }));
    const QVariantMap metadata = mpris->metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), "Dawn");
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"The Quiet Ones"});
    EXPECT_EQ(metadata.value("xesam:album").toString(), "Morning Light");
    // Each command reaches the player, and what the bus says follows it (the rules themselves are
    // the player's tests').
    const struct {
        const char *method, *status, *title;
    } steps[] = {{"Pause", "Paused", "Dawn"},
                 {"Next", "Playing", "Noon"},
                 {"Previous", "Playing", "Dawn"},
                 {"Stop", "Stopped", "Dawn"},
                 {"PlayPause", "Playing", "Dawn"}};
    for (const auto& step : steps) {
        mpris->call(step.method);
        EXPECT_TRUE(eventually([&] {
            return mpris->property("PlaybackStatus") == step.status &&
                   mpris->lastAnnounced("PlaybackStatus") == step.status &&
                   mpris->metadata().value("xesam:title") == step.title &&
                   mpris->lastAnnounced("Metadata").toMap().value("xesam:title") == step.title;
        })) << step.method;
        EXPECT_EQ(mpris->property("CanGoPrevious").toBool(), QByteArray(step.title) == "Noon");
        EXPECT_TRUE(mpris->property("CanGoNext").toBool());
    }
    ASSERT_TRUE(eventually([&] { return mpris->property("CanSeek").toBool(); }));
    EXPECT_TRUE(mpris->lastAnnounced("CanSeek").toBool());
    EXPECT_GT(mpris->metadata().value("mpris:length").toLongLong(), 3'000'000);

    mpris->setProperty("Volume", 0.3);
    EXPECT_TRUE(eventually([&] { return engine().volume() == 30; }));
    EXPECT_TRUE(eventually([&] { return mpris->lastAnnounced("Volume").toDouble() == 0.3; }));
    // Calls are handled in order: once the next volume has landed, the one before was refused.
    QSignalSpy volumes(&engine(), &MpvPlayer::volumeChanged);
    mpris->setProperty("Volume", std::nan(""));
    mpris->setProperty("Volume", 0.4);
    ASSERT_TRUE(eventually([&] { return engine().volume() == 40; }));
    EXPECT_EQ(volumes.size(), 1);

    ASSERT_TRUE(eventually([&] { return engine().position() > 0.2; }));
    EXPECT_GT(mpris->property("Position").toLongLong(), 200'000);
    const qlonglong before = mpris->property("Position").toLongLong();
    mpris->call("Seek", {QVariant::fromValue<qlonglong>(1'500'000)});
    ASSERT_TRUE(eventually([&] { return !mpris->seeks.empty(); }));
    EXPECT_GE(mpris->seeks.back(), before + 1'400'000);
    EXPECT_TRUE(eventually([&] { return engine().position() > 1.6; }));

    // Past the end is the next song, as the interface says.
    mpris->call("Seek", {QVariant::fromValue<qlonglong>(60'000'000)});
    EXPECT_TRUE(eventually([&] { return mpris->metadata().value("xesam:title") == "Noon"; }));
    // However far: the offset saturates instead of wrapping round to the start.
    ASSERT_TRUE(eventually([&] { return engine().playlistPos() == 1 && player().canSeek(); }));
    mpris->call("Seek", {QVariant::fromValue(std::numeric_limits<qlonglong>::max())});
    EXPECT_TRUE(eventually([&] { return mpris->metadata().value("xesam:title") == "Dusk"; }));
    ASSERT_TRUE(eventually([&] {
        return engine().playlistPos() == 2 && player().canSeek() && engine().position() > 0.5;
    }));
    const std::size_t seeks = mpris->seeks.size();
    mpris->call("Seek", {QVariant::fromValue(std::numeric_limits<qlonglong>::min())});
    ASSERT_TRUE(eventually([&] { return mpris->seeks.size() > seeks; }));
    EXPECT_LT(mpris->seeks.back(), 300'000);
    EXPECT_EQ(mpris->metadata().value("xesam:title"), "Dusk");
    // A rate of 0 is a pause, as the interface says.
    mpris->setProperty("Rate", 0.0);
    EXPECT_TRUE(eventually([&] { return mpris->property("PlaybackStatus") == "Paused"; }));
    EXPECT_EQ(mpris->property("Rate").toDouble(), 1.0);
    EXPECT_TRUE(reports.isEmpty());

    // The stream address carries the session token; nothing on the bus may show it.
    const QString token = app->session().authToken;
    ASSERT_FALSE(token.isEmpty());
    const QDBusMessage all =
        mpris->call("org.freedesktop.DBus.Properties", "GetAll", {QString(Player)});
    ASSERT_EQ(all.type(), QDBusMessage::ReplyMessage);
    QVariantMap properties = qdbus_cast<QVariantMap>(all.arguments().value(0));
    properties.insert("Metadata", MprisClient::plain(properties.value("Metadata")));
    // Qt's debug text of a map leaves object paths out: the track ids are added.
    std::vector<QVariantMap> maps = mpris->changes;
    maps.push_back(properties);
    QString said;
    for (const QVariantMap& map : maps)
        QDebug(&said)
            << map
            << map.value("Metadata").toMap().value("mpris:trackid").value<QDBusObjectPath>().path();
    EXPECT_TRUE(said.contains("Dawn") && said.contains("Noon")) << said.toStdString();
    EXPECT_FALSE(said.contains(token)) << said.toStdString();
    EXPECT_TRUE(said.contains("/org/sonaric/track/"));
    EXPECT_FALSE(properties.value("Metadata").toMap().contains("xesam:url"));
}

// LoopStatus and Shuffle set from the bus change the player, and the player's own changes are
// announced; names the interface does not know change nothing.
TEST_F(Desktop, RepeatAndShuffleAreTheBussToSetAndFollowThePlayer) {
    EXPECT_EQ(mpris->property("LoopStatus"), "None");
    EXPECT_EQ(mpris->property("Shuffle"), false);
    const struct {
        QString set;
        RepeatMode repeat;
    } loops[] = {{"Track", RepeatMode::One},
                 {"Playlist", RepeatMode::All},
                 {"Sometimes", RepeatMode::All},
                 {"None", RepeatMode::Off}};
    for (const auto& loop : loops) {
        mpris->setProperty("LoopStatus", loop.set);
        EXPECT_TRUE(eventually([&] { return player().repeat() == loop.repeat; }))
            << loop.set.toStdString();
    }
    mpris->setProperty("Shuffle", true);
    EXPECT_TRUE(eventually([&] { return player().isShuffled(); }));
    EXPECT_EQ(mpris->property("Shuffle"), true);

    mpris->changes.clear();
    player().setShuffled(false);
    player().setRepeat(RepeatMode::One);
    ASSERT_TRUE(eventually([&] { return mpris->property("LoopStatus") == "Track"; }));
    QVariantMap announced;
    for (const QVariantMap& change : mpris->changes)
        announced.insert(change);
    EXPECT_EQ(announced.value("LoopStatus"), "Track");
    EXPECT_EQ(announced.value("Shuffle"), false);
}

// The track id names the playlist entry for the whole run: a new entry never takes the id of
// one that has gone, even where memory is reused.
TEST_F(Desktop, TrackIdsAreNeverReused) {
    QSet<QString> seen;
    for (int round = 0; round < 3; ++round) {
        for (std::int64_t id : {1, 2, 3}) {
            addSong(id);
            app->player().jumpTo(app->player().count() - 1);
            const QString track =
                mpris->metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
            EXPECT_TRUE(track.startsWith("/org/sonaric/track/")) << track.toStdString();
            EXPECT_FALSE(seen.contains(track)) << track.toStdString();
            seen.insert(track);
        }
        app->player().clear();
        EXPECT_EQ(mpris->metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
                  "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    }
    EXPECT_EQ(seen.size(), 9);
}

TEST_F(Desktop, AnUnknownLengthIsLeftOut) {
    // The stream is slow to start: its song is current before its length is known.
    server->setFault(SonaricTestServer::Fault::Delay, "stream", 1500);
    addSong(1);
    app->player().jumpTo(0);
    const QVariantMap early = mpris->metadata();
    EXPECT_EQ(early.value("xesam:title").toString(), "Dawn");
    EXPECT_FALSE(early.contains("mpris:length"));
    EXPECT_FALSE(mpris->property("CanSeek").toBool());
    ASSERT_TRUE(eventually([&] { return mpris->metadata().contains("mpris:length"); }));
    EXPECT_TRUE(mpris->lastAnnounced("Metadata").toMap().contains("mpris:length"));
}

TEST_F(Desktop, EverySeekIsAnnouncedWhereItLanded) {
    SonaricTestServer::Options options;
    options.toneSeconds = 30;
    TestServer longSongs(Catalogue::demo(), options);
    app->setServername(longSongs.url());
    refresh();
    addSong(1);
    app->player().jumpTo(0);
    ASSERT_TRUE(eventually([&] { return player().canSeek() && player().duration() > 0; }));
    player().seekBy(PlayerKeys::SeekStepSeconds); // the Right key
    ASSERT_TRUE(eventually([&] { return mpris->seeks.size() == 1; }));
    EXPECT_NEAR(mpris->seeks[0] / 1e6, engine().position(), 0.3);
    EXPECT_GE(mpris->seeks[0], 5'000'000 - 500'000);

    player().pause();
    ASSERT_TRUE(eventually([&] { return player().playbackState() == PlaybackState::Paused; }));
    player().seek(0);
    ASSERT_TRUE(eventually([&] { return mpris->seeks.size() == 2; })) << mpris->seeks.size();
    EXPECT_EQ(mpris->seeks.back(), 0);
    EXPECT_EQ(mpris->property("Position").toLongLong(), 0);

    const QString track = mpris->metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
    const qlonglong length = mpris->metadata().value("mpris:length").toLongLong();
    mpris->call("SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), length + 1});
    mpris->call("SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), qlonglong(-1)});
    mpris->call("SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/sonaric/track/999")),
                                qlonglong(1'000'000)});
    EXPECT_EQ(mpris->property("Position").toLongLong(), 0);
    // Calls are handled in order: the seek that follows is the only one after the seek to 0.
    mpris->call("SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), qlonglong(2'000'000)});
    ASSERT_TRUE(eventually([&] { return mpris->seeks.size() >= 3; }));
    EXPECT_EQ(mpris->seeks.size(), 3u);
    EXPECT_EQ(player().currentIndex(), 0);
    // libmpv counts its output's latency off a paused position: it lands a little short.
    EXPECT_NEAR(mpris->seeks.back(), 2'000'000, 300'000);
}

// A song that starts while no window of the program is active is announced, in place of the one
// before; the service is asked once what it shows. The summary is plain text to every service; the
// media-player metadata carries the server's texts exactly as sent. How the body is escaped is
// the next test's.
TEST_F(Desktop, ANewSongIsAnnouncedWhileNoWindowIsActiveAndShownAsText) {
    FakeNotifications notifications;
    notifications.capabilities = {"body", "body-markup"};
    ASSERT_TRUE(offerNotifications(notifications));
    const std::string markup = "<b>Bold</b> & <img src=\"x.png\">";
    server->setSongFields({{}, markup, markup, "<i>Album</i>"});
    addSong(1);
    addSong(2);
    app->player().jumpTo(0);
    ASSERT_TRUE(eventually([&] { return notifications.summaries.size() == 1; }));
    app->player().jumpTo(1);
    ASSERT_TRUE(eventually([&] { return notifications.summaries.size() == 2; }));
    EXPECT_EQ(notifications.summaries[0], QString::fromStdString(markup));
    EXPECT_EQ(notifications.bodies[0],
              "&lt;b&gt;Bold&lt;/b&gt; &amp; &lt;img src=&quot;x.png&quot;&gt;\n"
              "&lt;i&gt;Album&lt;/i&gt;");
    EXPECT_EQ(notifications.replaced[1], 1u);
    EXPECT_EQ(notifications.hints.value("desktop-entry").toString(), "sonaric-client");
    EXPECT_EQ(notifications.capabilityQuestions, 1);
    const QVariantMap metadata = mpris->metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), QString::fromStdString(markup));
    EXPECT_EQ(metadata.value("xesam:album").toString(), "<i>Album</i>");

    QWidget active;
    active.show();
    active.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&active));
    app->player().jumpTo(0);
    ASSERT_TRUE(eventually([&] { return engine().playlistPos() == 0; }));
    // Announcements arrive in order: once the next song, started with no window active, is
    // announced, the one before it was not.
    active.close();
    ASSERT_TRUE(eventually([] { return QGuiApplication::focusWindow() == nullptr; }));
    app->player().jumpTo(1);
    ASSERT_TRUE(eventually([&] { return notifications.summaries.size() >= 3; }));
    EXPECT_EQ(notifications.summaries.size(), 3);
}

// What a service shows is asked again whenever it may have changed: with no service at the
// first song, and when another service takes the name. Until it is known, the body is escaped.
TEST_F(Desktop, AServiceThatComesOrChangesIsAskedAgain) {
    const std::string link = "<a href=\"http://x\">link</a>";
    server->setSongFields({{}, {}, link, "<img src=\"file:///etc/passwd\">"});
    const QString body = QString::fromStdString(link) + "\n<img src=\"file:///etc/passwd\">";
    // The player's own connection hears each change of the name's owner.
    QDBusServiceWatcher owners("org.freedesktop.Notifications", bus.connect("player"),
                               QDBusServiceWatcher::WatchForOwnerChange);
    QSignalSpy changed(&owners, &QDBusServiceWatcher::serviceOwnerChanged);
    // The body a service was sent with a song's title, once it has come.
    auto bodyOf = [](const FakeNotifications& service, const QString& title) {
        return eventually([&] { return service.summaries.contains(title); })
                   ? service.bodies[service.summaries.indexOf(title)]
                   : QString("nothing");
    };
    for (int id : {1, 2, 3})
        addSong(id);
    app->player().jumpTo(0);
    ASSERT_TRUE(eventually([&] { return player().playbackState() == PlaybackState::Playing; }));

    FakeNotifications plain, reader;
    plain.capabilities = {"body"};
    reader.capabilities = {"body", "body-markup"};
    ASSERT_TRUE(offerNotifications(plain, "plain"));
    ASSERT_TRUE(eventually([&] { return changed.size() == 1; }));
    app->player().jumpTo(1);
    EXPECT_EQ(bodyOf(plain, "Noon"), body);

    bus.connect("plain").unregisterService("org.freedesktop.Notifications");
    ASSERT_TRUE(offerNotifications(reader, "reader"));
    ASSERT_TRUE(eventually([&] { return changed.size() == 3; }));
    app->player().jumpTo(2);
    EXPECT_EQ(bodyOf(reader, "Dusk"), body.toHtmlEscaped());
    EXPECT_EQ(reader.replaced.value(0), 0u);
}

// No bus at all, or a dead one: the window appears at once and goes without the desktop.
TEST(DesktopWithoutABus, TheWindowAppearsAndGoesWithoutIt) {
    const auto saved = [](const char* name) {
        return qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    };
    const auto restore = [](const char* name, const std::optional<QByteArray>& value) {
        return value ? qputenv(name, *value) : qunsetenv(name);
    };
    const std::optional<QByteArray> address = saved("DBUS_SESSION_BUS_ADDRESS"),
                                    runtime = saved("XDG_RUNTIME_DIR");
    for (const char* dead : {"", "unix:path=/nonexistent/bus"}) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", dead);
        qunsetenv("XDG_RUNTIME_DIR");
        ScriptedDialogs dialogs;
        App::Options options;
        options.nullAudio = true;
        QElapsedTimer clock;
        clock.start();
        App app(options);
        MainWindow window(app, dialogs);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 5000));
        QCoreApplication::sendPostedEvents(&app, QEvent::MetaCall);
        std::printf("[ measure  ] no bus (\"%s\"): window shown and desktop tried after %lld ms\n",
                    dead, static_cast<long long>(clock.elapsed()));
        EXPECT_LT(clock.elapsed(), 2000) << dead;
        ASSERT_NE(app.findChild<MprisService*>(), nullptr);
        EXPECT_TRUE(app.findChild<MprisService*>()->serviceName().isEmpty()) << dead;
    }
    restore("DBUS_SESSION_BUS_ADDRESS", address);
    restore("XDG_RUNTIME_DIR", runtime);
}

} // namespace

#include "MprisTest.moc"
