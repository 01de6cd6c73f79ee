#pragma once

#include "HttpClient.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

// A GET through the client, for a test that wants only the reply: started, and waited for.
inline HttpReply fetch(HttpClient& http, const QUrl& url, HttpClient::Consumer consume = {}) {
    const std::unique_ptr<HttpRequest> request = http.request(url, std::move(consume));
    QSignalSpy finished(request.get(), &HttpRequest::finished);
    request->start();
    EXPECT_TRUE(finished.wait(20000)) << url.toString().toStdString();
    return request->takeResult();
}
