#pragma once

#include "ServerCall.h"

#include <memory>

class HttpClient;
class HttpRequest;

// A server call over HTTP. The reply is parsed, and read, on the worker its request reads the
// body on.
class HttpServerCall : public ServerCall {
    Q_OBJECT

public:
    HttpServerCall(ServerSession& session, HttpClient& http, const Handshake& signIn);
    HttpServerCall(ServerSession& session, HttpClient& http, Request request, Reader read,
                   OnLapse onLapse);
    ~HttpServerCall() override;

    void cancel() override;

protected:
    void fetch(const QUrl& url, const Reader& read) override;

private:
    HttpClient& m_http;
    std::unique_ptr<HttpRequest> m_request;
};
