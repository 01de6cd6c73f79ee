// Only http and https addresses reach the player. A hostile server (or anyone on a plain http
// path) hands out stream addresses; none of them may open a local file, list a folder, or make
// the player write anything.
#include "AppFixture.h"
#include "FileWatch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using Fault = SonaricTestServer::Fault;

class StreamAddresses : public AppFixture {
protected:
    QTemporaryDir local;
    QString secret;

    void SetUp() override {
        // A file the player could play, were it ever to open it.
        secret = local.filePath("secret.wav");
        QFile file(secret);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(SonaricTestServer::toneWav(1, 1, 8000)));
        file.close();
        openLibrary();
        addSong(1);
        ASSERT_TRUE(reports.isEmpty());
    }

    // What libmpv does, it does in order on its own thread: once the first song plays from its
    // proper address, whatever it was told before has been done, the wrong thing too.
    void letThePlayerRun() {
        server->clearOverrides();
        app->player().jumpTo(0);
        ASSERT_TRUE(eventually([&] { return engine().position() > 0.2; }, 10000));
    }

    QString streamOf(int song) const {
        return server.url() + "/play/" + QString::number(song) + ".wav";
    }
};

TEST_F(StreamAddresses, AnythingButHttpIsRefusedWhole) {
    const QString relative = QDir::current().relativeFilePath(secret);
    QStringList addresses = {relative,
                             "./" + relative,
                             "mf://" + local.path() + "/*.wav",
                             "av://lavfi:sine,ametadata=mode=print:file=" +
                                 local.filePath("created.txt"),
                             "memory://RIFF",
                             "smb://127.0.0.1/share/secret.wav",
                             ""};
    for (const char* scheme : {"", "file://", "lavf://file:", "ffmpeg://file:", "edl://",
                               "appending://", "http:", "http:///"})
        addresses << scheme + secret;
    FileWatch secretWatch(secret);
    FileWatch folderWatch(local.path());
    for (const QString& address : addresses) {
        reports.clear();
        server->setSongFields({address.toStdString(), {}, {}, {}});
        addSong(3);
        EXPECT_EQ(reports,
                  QStringList{"The server sent a stream address that is not http or https."})
            << address.toStdString();
        EXPECT_EQ(app->player().playlist().titles(), QStringList{"Dawn"});
        EXPECT_EQ(app->player().playlist().count(), 1);
        EXPECT_EQ(engine().count(), 1);
    }
    letThePlayerRun();
    EXPECT_FALSE(secretWatch.wasOpened());
    EXPECT_FALSE(folderWatch.hadCreations());

    // A scheme in capitals is still http, and the song plays.
    reports.clear();
    server->setSongFields({streamOf(3).replace("http:", "HTTP:").toStdString(), {}, {}, {}});
    QSignalSpy started(&engine(), &MpvPlayer::playbackStarted);
    addSong(3);
    app->player().jumpTo(1);
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_TRUE(started.wait(5000));
    EXPECT_EQ(app->player().playlist().titles(), (QStringList{"Dawn", "Dusk"}));
}

// The player takes only a checked address, and has doors of its own in case a stream leads
// elsewhere.
TEST_F(StreamAddresses, ThePlayerTakesNoOtherAddressItself) {
    for (const QString& address : {"file://" + secret, QStringLiteral("av://lavfi:sine"),
                                   QStringLiteral("http:/no-host"), QStringLiteral("/etc/passwd")})
        EXPECT_FALSE(StreamAddress::from(address)) << address.toStdString();
    EXPECT_TRUE(StreamAddress::from(QStringLiteral("HTTPS://host/a b")));
    // Each refused setting would leave a door open, and libmpv only warns about unknown ones.
    for (const char* name : {"config", "load-scripts", "ytdl", "osc", "input-default-bindings",
                             "access-references", "load-unsafe-playlists"})
        EXPECT_EQ(engine().property((std::string("options/") + name).c_str()), "no") << name;
    EXPECT_EQ(engine().property("options/demuxer"), "lavf");
    EXPECT_TRUE(engine().property("options/stream-lavf-o").contains("protocol_whitelist"));
}

TEST_F(StreamAddresses, AStreamThatLeadsToALocalFileFailsWithoutOpeningIt) {
    FileWatch secretWatch(secret);
    const std::string listed = streamOf(2).toStdString();
    const struct {
        const char* name;
        std::function<void()> serve;
    } streams[] = {
        {"redirect to a file",
         [&] {
             server->setRedirectTarget("file://" + secret.toStdString(), false);
             server->setFault(Fault::Redirect, "stream");
         }},
        {"redirect to a pseudo-protocol",
         [&] {
             server->setRedirectTarget("lavf://file:" + secret.toStdString(), false);
             server->setFault(Fault::Redirect, "stream");
         }},
        {"a playlist",
         [&] {
             server->setReply("stream",
                              "#EXTM3U\nfile://" + secret.toStdString() + "\n" + listed + "\n");
         }},
        {"an HLS playlist",
         [&] {
             server->setReply("stream", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:1,\nfile://" +
                                            secret.toStdString() + "\n#EXT-X-ENDLIST\n");
         }},
    };
    for (const auto& stream : streams) {
        server->clearOverrides();
        server->clearRequests();
        stream.serve();
        QSignalSpy ended(&engine(), &MpvPlayer::entryEnded);
        app->player().jumpTo(0);
        ASSERT_TRUE(ended.wait(5000)) << stream.name;
        EXPECT_EQ(ended.first().at(1).value<MpvPlayer::EndReason>(), MpvPlayer::EndReason::Failed)
            << stream.name;
        // Nothing listed in the stream was expanded into the player's playlist or fetched.
        EXPECT_EQ(engine().property("playlist-count"), "1") << stream.name;
        EXPECT_EQ(server.requestsOf("stream").size(), 1u) << stream.name;
        app->player().stop();
    }
    letThePlayerRun();
    EXPECT_FALSE(secretWatch.wasOpened());
}

} // namespace
