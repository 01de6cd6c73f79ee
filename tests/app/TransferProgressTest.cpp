#include "TransferProgress.h"
#include "Eventually.h"
#include "Fetch.h"
#include "TestServer.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

namespace {

using Fault = SonaricTestServer::Fault;

class Progress : public ::testing::Test {
protected:
    TestServer server;
    HttpClient http;
    TransferProgress progress{http};
    QStringList texts;
    std::vector<int> shares;
    qint64 firstShownAfterMs = -1;
    QElapsedTimer clock;

    void SetUp() override {
        QObject::connect(&progress, &TransferProgress::changed, &progress, [this] {
            if (!progress.isShown())
                return;
            if (firstShownAfterMs < 0)
                firstShownAfterMs = clock.elapsed();
            texts << progress.text();
            shares.push_back(progress.permille());
        });
    }

    HttpReply fetch(const HttpClient::Consumer& consume = {}) {
        clock.start();
        return ::fetch(http, QUrl(server.url() + "/server/xml.server.php?action=artists&auth="),
                       consume);
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
// bar's share; gone when it ends.
TEST_F(Progress, AnAnnouncedLengthShowsHowMuchOfIt) {
    server->setFault(Fault::Drip, "artists", 8);
    ASSERT_TRUE(fetch().ok());
    EXPECT_GE(firstShownAfterMs, 450);
    ASSERT_FALSE(texts.isEmpty());
    const QRegularExpression ofTotal("^\\d+ (bytes|KB) of \\d+ (bytes|KB)$");
    EXPECT_TRUE(ofTotal.match(texts.last()).hasMatch()) << texts.last().toStdString();
    EXPECT_GT(shares.back(), 0);
    EXPECT_LE(shares.back(), 1000);
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_FALSE(progress.isShown());
}

TEST_F(Progress, AnUnknownLengthShowsTheRateAndReadingFollows) {
    server->setFault(Fault::Trickle, "artists", 8);
    ASSERT_TRUE(fetch({[](const QByteArray&) { return true; },
                       [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }})
                    .ok());
    // The reading phase may be shown afresh by the second's tick.
    const qsizetype reading = texts.indexOf("Reading...");
    ASSERT_GE(reading, 1) << texts.join('|').toStdString();
    const QRegularExpression rate("^\\d+ (bytes?|KB) at \\d+ (bytes?|KB)/s$");
    EXPECT_TRUE(rate.match(texts[reading - 1]).hasMatch()) << texts[reading - 1].toStdString();
    EXPECT_EQ(texts.last(), "Reading...");
    EXPECT_EQ(progress.permille(), -1);
    EXPECT_FALSE(progress.isShown());
}

// Once the client is idle the half-second delay is over with: nothing shows later.
TEST_F(Progress, AQuickRequestShowsNothing) {
    QSignalSpy changes(&progress, &TransferProgress::changed);
    QSignalSpy busy(&http, &HttpClient::busyChanged);
    ASSERT_TRUE(fetch().ok());
    ASSERT_TRUE(fetch().ok());
    ASSERT_TRUE(eventually([&] { return busy.size() == 4; }));
    EXPECT_FALSE(busy.last().at(0).toBool());
    EXPECT_EQ(changes.size(), 0);
    EXPECT_FALSE(progress.isShown());
}

} // namespace
