#include "ClientFixture.h"
#include "MediaPlayer.h"
#include "MprisService.h"
#include "PlaylistController.h"
#include "PrivateBus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr char Player[] = "org.mpris.MediaPlayer2.Player";
constexpr char Root[] = "org.mpris.MediaPlayer2";

// Stands in for the desktop's notification service and keeps what it was asked to show.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList summaries;
    QStringList bodies;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        summaries << summary;
        bodies << body;
        return static_cast<uint>(summaries.size());
    }
};

class Desktop : public ClientFixture {
protected:
    PrivateBus bus;
    QDBusConnection client = bus.connect("client");
    QString service;

    void SetUp() override {
        frmPlayer::Options options;
        options.nullAudio = true;
        options.bus = bus.connect("player");
        window = std::make_unique<frmPlayer>(dialogs, options);
        window->setServername(server.url());
        window->setUsername("demo");
        window->setHashKey(CSHA256().SHA256(QStringLiteral("demo")));
        // What the constructor queued for the event loop: the bus comes after the window.
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
        window->RefreshLibrary();
        service = window->findChild<MprisService*>()->serviceName();
        ASSERT_EQ(service, "org.mpris.MediaPlayer2.sonaric_client");
    }

    // The fake takes the desktop's notification service on the test's bus.
    bool offerNotifications(FakeNotifications& notifications) {
        QDBusConnection notifier = bus.connect("notifier");
        return notifier.registerObject("/org/freedesktop/Notifications", &notifications,
                                       QDBusConnection::ExportAllSlots) &&
               notifier.registerService("org.freedesktop.Notifications");
    }

    QDBusMessage call(const char* interface, const QString& method, QVariantList args = {}) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(service, MprisService::ObjectPath, interface, method);
        message.setArguments(args);
        return client.call(message, QDBus::BlockWithGui, 5000);
    }
    QVariant property(const char* interface, const char* name) {
        const QDBusMessage reply = QDBusMessage(
            call("org.freedesktop.DBus.Properties", "Get", {QString(interface), QString(name)}));
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    MpvPlayer& engine() { return window->mediaPlayer().engine(); }
};

TEST_F(Desktop, TheRootInterfaceNamesThePlayer) {
    EXPECT_EQ(property(Root, "Identity").toString(), "Windows Sonaric Client");
    EXPECT_EQ(property(Root, "DesktopEntry").toString(), "sonaric-client");
    EXPECT_TRUE(property(Root, "CanRaise").toBool());
    EXPECT_FALSE(property(Root, "CanQuit").toBool());
    window->showMinimized();
    call(Root, "Raise");
    QTRY_VERIFY_WITH_TIMEOUT(!window->isMinimized(), 2000);
}

TEST_F(Desktop, MediaKeysDriveTheRealPlayer) {
    window->playlist().addSong(1);
    window->playlist().addSong(2);
    EXPECT_EQ(property(Player, "PlaybackStatus").toString(), "Stopped");

    call(Player, "Play");
    QTRY_COMPARE_WITH_TIMEOUT(property(Player, "PlaybackStatus").toString(), QString("Playing"),
                              5000);
    const QVariantMap metadata = qdbus_cast<QVariantMap>(property(Player, "Metadata"));
    EXPECT_EQ(metadata.value("xesam:title").toString(), "Dawn");
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"The Quiet Ones"});
    EXPECT_EQ(metadata.value("xesam:album").toString(), "Morning Light");

    call(Player, "PlayPause");
    QTRY_VERIFY_WITH_TIMEOUT(engine().isPaused(), 5000);
    EXPECT_EQ(property(Player, "PlaybackStatus").toString(), "Paused");
    call(Player, "PlayPause");
    QTRY_VERIFY_WITH_TIMEOUT(!engine().isPaused(), 5000);

    call(Player, "Next");
    QTRY_COMPARE_WITH_TIMEOUT(engine().playlistPos(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(
        qdbus_cast<QVariantMap>(property(Player, "Metadata")).value("xesam:title").toString(),
        QString("Noon"), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(engine().duration() > 0, 5000);
    EXPECT_GT(
        qdbus_cast<QVariantMap>(property(Player, "Metadata")).value("mpris:length").toLongLong(),
        3'000'000);
    call(Player, "Previous");
    QTRY_COMPARE_WITH_TIMEOUT(engine().playlistPos(), 0, 5000);

    QDBusMessage set = QDBusMessage::createMethodCall(service, MprisService::ObjectPath,
                                                      "org.freedesktop.DBus.Properties", "Set");
    set << QString(Player) << QString("Volume") << QVariant::fromValue(QDBusVariant(0.3));
    client.call(set, QDBus::BlockWithGui, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(engine().volume(), 30, 5000);

    QTRY_VERIFY_WITH_TIMEOUT(engine().position() > 0.2, 5000);
    EXPECT_GT(property(Player, "Position").toLongLong(), 200'000);
    call(Player, "Seek", {QVariant::fromValue<qlonglong>(1'500'000)});
    QTRY_VERIFY_WITH_TIMEOUT(engine().position() > 1.6, 5000);

    call(Player, "Stop");
    QTRY_COMPARE_WITH_TIMEOUT(property(Player, "PlaybackStatus").toString(), QString("Stopped"),
                              5000);
    EXPECT_EQ(window->playlist().count(), 2);
}

TEST_F(Desktop, ANewSongIsAnnouncedOnlyWhileTheWindowIsInactive) {
    FakeNotifications notifications;
    ASSERT_TRUE(offerNotifications(notifications));

    window->playlist().addSong(1);
    window->playlist().jumpTo(0);
    QTRY_COMPARE_WITH_TIMEOUT(notifications.summaries.size(), 1, 5000);
    EXPECT_EQ(notifications.summaries[0], "Dawn");
    EXPECT_EQ(notifications.bodies[0], "The Quiet Ones\nMorning Light");

    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->playlist().addSong(2);
    window->playlist().jumpTo(1);
    QTRY_COMPARE_WITH_TIMEOUT(engine().playlistPos(), 1, 5000);
    QTest::qWait(200);
    EXPECT_EQ(notifications.summaries.size(), 1);
}

// Notification services read markup in the body; the server's texts must reach it escaped, and
// the media-player metadata must carry them exactly as sent.
TEST_F(Desktop, MarkupFromTheServerIsShownAsText) {
    FakeNotifications notifications;
    ASSERT_TRUE(offerNotifications(notifications));
    const std::string markup = "<b>Bold</b> & <img src=\"x.png\">";
    server->setSongFields({{}, markup, markup, "<i>Album</i>"});
    window->playlist().addSong(1);
    window->playlist().jumpTo(0);
    QTRY_COMPARE_WITH_TIMEOUT(notifications.bodies.size(), 1, 5000);
    EXPECT_EQ(notifications.bodies[0],
              "&lt;b&gt;Bold&lt;/b&gt; &amp; &lt;img src=&quot;x.png&quot;&gt;\n"
              "&lt;i&gt;Album&lt;/i&gt;");
    const QVariantMap metadata = qdbus_cast<QVariantMap>(property(Player, "Metadata"));
    EXPECT_EQ(metadata.value("xesam:title").toString(), QString::fromStdString(markup));
    EXPECT_EQ(metadata.value("xesam:album").toString(), "<i>Album</i>");
}

// No bus at all, or a dead one: the window appears at once and goes without the desktop.
TEST(DesktopWithoutABus, TheWindowAppearsAndGoesWithoutIt) {
    const std::optional<QByteArray> address =
        qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")
            ? std::optional(qgetenv("DBUS_SESSION_BUS_ADDRESS"))
            : std::nullopt;
    const std::optional<QByteArray> runtime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")
                                                  ? std::optional(qgetenv("XDG_RUNTIME_DIR"))
                                                  : std::nullopt;
    for (const char* dead : {"", "unix:path=/nonexistent/bus"}) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", dead);
        qunsetenv("XDG_RUNTIME_DIR");
        ScriptedDialogs dialogs;
        frmPlayer::Options options;
        options.nullAudio = true;
        QElapsedTimer clock;
        clock.start();
        frmPlayer window(dialogs, options);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, 5000));
        QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
        std::printf("[ measure  ] no bus (\"%s\"): window shown and desktop tried after %lld ms\n",
                    dead, static_cast<long long>(clock.elapsed()));
        EXPECT_LT(clock.elapsed(), 2000) << dead;
        ASSERT_NE(window.findChild<MprisService*>(), nullptr);
        EXPECT_TRUE(window.findChild<MprisService*>()->serviceName().isEmpty()) << dead;
    }
    for (const auto& [name, value] :
         {std::pair{"DBUS_SESSION_BUS_ADDRESS", address}, std::pair{"XDG_RUNTIME_DIR", runtime}}) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
}

TEST_F(Desktop, WithoutANotificationServiceNothingGoesWrong) {
    window->playlist().addSong(1);
    QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
    window->playlist().jumpTo(0);
    ASSERT_TRUE(started.wait(5000));
    EXPECT_TRUE(dialogs.shown.empty());
}

} // namespace

#include "MprisTest.moc"
