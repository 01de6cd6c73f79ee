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

// A body being read when the request is cancelled is read to its end, and the request counts as
// cancelled; a request dropped while its body is read waits for the reading, so what the reader
// writes to never outlives it.
TEST_F(HttpRequestTest, ACancelDuringTheReadingLetsItEnd) {
    std::atomic<bool> readToTheEnd = false;
    auto slowReader = [&readToTheEnd](QByteArray) {
        QThread::msleep(300);
        readToTheEnd = true;
    };
    HttpRequest request(manager, url, {}, slowReader);
    QSignalSpy finished(&request, &HttpRequest::finished);
    QObject::connect(&request, &HttpRequest::reading, &request, &HttpRequest::cancel);
    request.start();
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(readToTheEnd);
    EXPECT_EQ(request.takeResult().error, FetchError::Cancelled);

    readToTheEnd = false;
    auto dropped = std::make_unique<HttpRequest>(manager, url, HttpLimits{}, slowReader);
    QSignalSpy reading(dropped.get(), &HttpRequest::reading);
    dropped->start();
    ASSERT_TRUE(reading.wait(5000));
    dropped.reset();
    EXPECT_TRUE(readToTheEnd);
}

} // namespace
