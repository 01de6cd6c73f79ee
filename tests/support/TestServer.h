#pragma once

#include "SonaricTestServer.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>

// A Sonaric test server on a free loopback port for the life of one test.
class TestServer {
public:
    explicit TestServer(Catalogue catalogue = Catalogue::demo(),
                        SonaricTestServer::Options options = {})
        : m_server(std::make_unique<SonaricTestServer>(std::move(catalogue), options)) {
        EXPECT_TRUE(m_server->start());
    }

    SonaricTestServer* operator->() { return m_server.get(); }
    SonaricTestServer& server() { return *m_server; }
    QString url() const { return QString::fromStdString(m_server->baseUrl()); }

    // Requests of one action, in the order they arrived.
    std::vector<SonaricTestServer::LoggedRequest> requestsOf(const std::string& action) const {
        std::vector<SonaricTestServer::LoggedRequest> out;
        for (auto& r : m_server->requests())
            if (r.action == action)
                out.push_back(r);
        return out;
    }

private:
    std::unique_ptr<SonaricTestServer> m_server;
};

// A loopback URL where nothing listens.
QString refusingUrl();
