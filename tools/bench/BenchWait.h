#pragma once

#include "App.h"
#include "HttpClient.h"

#include <QEventLoop>
#include <QTimer>

// The benches time work from the outside, so they wait for it in an event loop of their own.

// Starts a command and returns once it has ended; false when it is still running after the limit.
template <typename Start> bool runCommand(App& app, Start start, int limitMs = 300000) {
    QEventLoop loop;
    QObject::connect(&app, &App::commandEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    start();
    if (app.isBusy())
        loop.exec();
    return !app.isBusy();
}

// Runs the event loop until the signal fires or the limit passes; true when it fired.
template <typename Sender, typename Signal>
bool waitFor(Sender* sender, Signal signal, int limitMs) {
    QEventLoop loop;
    bool fired = false;
    QObject::connect(sender, signal, &loop, [&] {
        fired = true;
        loop.quit();
    });
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return fired;
}

// A GET's reply, waited for.
inline HttpReply fetch(HttpClient& http, const QUrl& url) {
    const std::unique_ptr<HttpRequest> request = http.request(url);
    request->start();
    waitFor(request.get(), &HttpRequest::finished, 300000);
    return request->takeResult();
}
