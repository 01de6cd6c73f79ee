#include "HttpRequest.h"
#include "Eventually.h"
#include "TestServer.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

using Fault = SonaricTestServer::Fault;

class HttpRequestTest : public ::testing::Test {
protected:
    TestServer server;
    QNetworkAccessManager manager;
    QUrl url{server.url() + "/server/xml.server.php?action=artists&auth="};
};

// Started, it returns at once and the reply arrives while the caller's own event loop runs; a
// cancel ends a trickling reply at once.
TEST_F(HttpRequestTest, RunsWithoutAWaitOfItsOwnAndEndsEarlyOneWay) {
    HttpRequest request(manager, url, {});
    QSignalSpy finished(&request, &HttpRequest::finished);
    request.start();
    EXPECT_TRUE(finished.isEmpty());
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(request.takeResult().ok());

    server->setFault(Fault::Trickle, "artists", 1000);
    HttpRequest trickling(manager, url, {});
    QSignalSpy ended(&trickling, &HttpRequest::finished);
    trickling.start();
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(300, &trickling, &HttpRequest::cancel);
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(trickling.takeResult().error, FetchError::Cancelled);
}

// The body is read piece by piece while it arrives. A cancel stops the reading at the piece under
// way, and the end is never read. A request dropped while its reader is busy is gone at once:
// the reader finishes its slice on the worker, unwaited for, and reads nothing after it.
TEST_F(HttpRequestTest, ReadsTheBodyAsItArrivesAndNeverWaitsForItsReader) {
    server->setFault(Fault::Trickle, "artists", 2);
    std::atomic<int> pieces = 0;
    std::atomic<bool> ended = false;
    HttpRequest request(manager, url, {},
                        {[&](const QByteArray&) { return ++pieces > 0; }, [&] { ended = true; }});
    QSignalSpy finished(&request, &HttpRequest::finished);
    request.start();
    ASSERT_TRUE(eventually([&] { return pieces >= 3; }));
    EXPECT_TRUE(finished.isEmpty());
    request.cancel();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(request.takeResult().error, FetchError::Cancelled);
    EXPECT_FALSE(ended);

    server->setFault(Fault::None, "artists");
    std::atomic<bool> reading = false, letGo = false, read = false;
    auto slices = std::make_shared<std::atomic<int>>(0);
    auto dropped =
        std::make_unique<HttpRequest>(manager, url, HttpLimits{},
                                      HttpRequest::Consumer{[&, slices](const QByteArray&) {
                                                                ++*slices;
                                                                reading = true;
                                                                while (!letGo)
                                                                    QThread::yieldCurrentThread();
                                                                read = true;
                                                                return true;
                                                            },
                                                            [&] { ended = true; }});
    dropped->start();
    ASSERT_TRUE(eventually([&] { return reading.load(); }));
    dropped.reset();
    EXPECT_FALSE(read); // the GUI thread did not wait for the slice
    letGo = true;
    ASSERT_TRUE(eventually([&] { return read.load(); }));
    EXPECT_EQ(*slices, 1);
    EXPECT_FALSE(ended);
}

// A reader that refuses a piece ends the request at once, whatever the server would still send.
TEST_F(HttpRequestTest, AReaderThatRefusesEndsTheRequest) {
    server->setFault(Fault::Endless, "artists");
    std::atomic<int> pieces = 0;
    HttpRequest request(manager, url, {}, {[&](const QByteArray&) { return ++pieces < 3; }, [] {}});
    QSignalSpy finished(&request, &HttpRequest::finished);
    request.start();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(request.takeResult().error, FetchError::Refused);
    EXPECT_EQ(pieces, 3);
}

// A reader far behind holds the transfer back; the time it takes is not the server's, however
// long it is: neither a stall nor a slow server.
TEST_F(HttpRequestTest, AReaderBehindIsNoStallOfTheServer) {
    HttpLimits limits;
    limits.stallTimeout = std::chrono::milliseconds(1500);
    limits.lowSpeed = {1024, std::chrono::milliseconds(2000)};
    limits.maxBytes = 24 << 20;
    server->setFault(Fault::Endless, "artists");
    std::atomic<qint64> read = 0;
    HttpRequest request(manager, url, limits,
                        {[&](const QByteArray& piece) {
                             // Far longer than the stall timeout, once the transfer is held back.
                             if (read == 0)
                                 QThread::msleep(5000);
                             read += piece.size();
                             return true;
                         },
                         [] {}});
    QSignalSpy finished(&request, &HttpRequest::finished);
    request.start();
    ASSERT_TRUE(finished.wait(60000));
    const HttpReply result = request.takeResult();
    EXPECT_EQ(result.error, FetchError::TooLarge) << result.reason.toStdString();
    EXPECT_GT(read, 16 << 20);
}

} // namespace
