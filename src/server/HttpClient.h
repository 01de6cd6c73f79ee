#pragma once

#include "HttpReply.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <chrono>

// A GET that returns to its caller only when the reply is complete or has failed, while the
// event loop keeps running for painting and timers (but not for user input). Callers can then
// be written as straight-line code without freezing the window.
class HttpClient : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds DefaultStallTimeout{30000};

    explicit HttpClient(QObject* parent = nullptr);

    std::chrono::milliseconds stallTimeout() const { return m_stallTimeout; }
    void setStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }

    bool isBusy() const { return m_busy; }

    HttpReply get(const QUrl& url);

signals:
    void busyChanged(bool busy);

private:
    QNetworkAccessManager m_manager;
    std::chrono::milliseconds m_stallTimeout = DefaultStallTimeout;
    bool m_busy = false;
};
