#include "TransferProgress.h"
#include "Eventually.h"
#include "Fetch.h"
#include "ManualTimeline.h"
#include "TestServer.h"

#include <QRegularExpression>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using Fault = SonaricTestServer::Fault;
using namespace std::chrono_literals;

// Real requests to the test server; the time the progress goes by is the test's.
class Progress : public ::testing::Test {
protected:
    TestServer server;
    HttpClient http;
    ManualTimeline time;
    TransferProgress progress{http, time};
    QStringList texts;

    void SetUp() override {
        QObject::connect(&progress, &TransferProgress::changed, &progress, [this] {
            if (progress.isShown())
                texts << progress.text();
        });
    }

    std::unique_ptr<HttpRequest> start(HttpClient::Consumer consume = {}) {
        auto request = http.request(
            QUrl(server.url() + "/server/xml.server.php?action=artists&auth="), consume);
        request->start();
        return request;
    }
    // Waits until this many bytes have come.
    bool received(qint64 bytes) {
        qint64 now = 0;
        auto watch = QObject::connect(&http, &HttpClient::transferProgress, &progress,
                                      [&](qint64 got, qint64) { now = got; });
        const bool came = eventually([&] { return now >= bytes; });
        QObject::disconnect(watch);
        return came;
    }
};

TEST(TransferProgressText, SaysSizesTheWayPeopleRead) {
    EXPECT_EQ(TransferProgress::bytesText(1), "1 byte");
    EXPECT_EQ(TransferProgress::bytesText(700), "700 bytes");
    EXPECT_EQ(TransferProgress::bytesText(4096), "4 KB");
    EXPECT_EQ(TransferProgress::bytesText(13002342), "12.4 MB");
    EXPECT_EQ(TransferProgress::bytesText(111149056), "106 MB");
}

// A reply of announced length: nothing for half a second, then how much of how much, with the
// bar's share, afresh every second; gone when it ends.
TEST_F(Progress, AnAnnouncedLengthShowsHowMuchOfIt) {
    server->setFault(Fault::Drip, "artists", 5);
    std::unique_ptr<HttpRequest> request = start();
    ASSERT_TRUE(received(3));
    time.advance(499ms);
    EXPECT_FALSE(progress.isShown());
    EXPECT_TRUE(texts.isEmpty());
    time.advance(1ms);
    ASSERT_TRUE(progress.isShown());
    EXPECT_TRUE(
        QRegularExpression("^\\d+ bytes of \\d+ (bytes|KB)$").match(texts.last()).hasMatch())
        << texts.last().toStdString();
    const int share = progress.permille();
    EXPECT_GT(share, 0);
    EXPECT_LT(share, 1000);
    time.advance(2000ms);
    EXPECT_EQ(texts.size(), 3);
    request.reset();
    EXPECT_TRUE(eventually([&] { return !progress.isShown(); }));
}

// Without a length, the rate over the time it took; once the reply has come and is read, that it
// is being read; nothing once that is over.
TEST_F(Progress, AnUnknownLengthShowsTheRateAndReadingFollows) {
    server->setFault(Fault::Trickle, "artists", 5);
    std::unique_ptr<HttpRequest> trickle = start();
    ASSERT_TRUE(received(4));
    time.advance(500ms);
    const QRegularExpression rate("^(\\d+) bytes at (\\d+) bytes/s$");
    const QRegularExpressionMatch shown = rate.match(progress.text());
    ASSERT_TRUE(shown.hasMatch()) << progress.text().toStdString();
    EXPECT_EQ(shown.captured(2).toLongLong(), shown.captured(1).toLongLong() * 2);
    trickle.reset();
    ASSERT_TRUE(eventually([&] { return !progress.isShown(); }));

    server->setFault(Fault::None, "artists");
    std::atomic<bool> release = false;
    std::unique_ptr<HttpRequest> reading = start({[](const QByteArray&) { return true; },
                                                  [&] {
                                                      while (!release)
                                                          std::this_thread::sleep_for(1ms);
                                                  }});
    QSignalSpy replied(&http, &HttpClient::replyReceived);
    ASSERT_TRUE(replied.wait(5000));
    time.advance(500ms);
    EXPECT_EQ(progress.text(), "Reading...");
    EXPECT_EQ(progress.permille(), -1);
    release = true;
    QSignalSpy finished(reading.get(), &HttpRequest::finished);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_FALSE(progress.isShown());
}

// Once the client is idle the half-second delay is over with: nothing shows later.
TEST_F(Progress, AQuickRequestShowsNothing) {
    QSignalSpy changes(&progress, &TransferProgress::changed);
    ASSERT_TRUE(
        fetch(http, QUrl(server.url() + "/server/xml.server.php?action=artists&auth=")).ok());
    ASSERT_TRUE(eventually([&] { return !http.isBusy(); }));
    time.advance(5s);
    EXPECT_EQ(changes.size(), 0);
    EXPECT_FALSE(progress.isShown());
}

} // namespace
