// Runs the Sonaric test server until it is interrupted or its standard input closes.
#include "SonaricTestServer.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

void usage() {
    std::puts("usage: sonaric-test-server [--host H] [--port N] [--user U] [--password P]\n"
              "                           [--artists N --albums N --songs N] [--delay-ms N]\n"
              "                           [--rate BYTES_PER_S]\n"
              "                           [--fault ACTION=NAME]... [--shape-count N]\n"
              "                           [--reply ACTION=FILE]... [--reply-encoding gzip]");
}

} // namespace

int main(int argc, char* argv[]) {
    std::string host = "127.0.0.1";
    int port = 0;
    int artists = -1, albums = 0, songs = 0, delayMs = 0;
    SonaricTestServer::Options options;
    std::vector<std::pair<std::string, std::string>> faults, replies;
    std::size_t shapeCount = 0, rate = 0;
    std::string replyEncoding;
    // "ACTION=VALUE"
    auto pair = [](const std::string& value) {
        const std::size_t at = value.find('=');
        return at == std::string::npos ? std::pair<std::string, std::string>()
                                       : std::pair(value.substr(0, at), value.substr(at + 1));
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto number = [&] { return value ? std::atoi(value) : 0; };
        if (arg == "--help") {
            usage();
            return 0;
        }
        if (!value) {
            usage();
            return 2;
        }
        if (arg == "--host")
            host = value;
        else if (arg == "--port")
            port = number();
        else if (arg == "--user")
            options.username = value;
        else if (arg == "--password")
            options.password = value;
        else if (arg == "--artists")
            artists = number();
        else if (arg == "--albums")
            albums = number();
        else if (arg == "--songs")
            songs = number();
        else if (arg == "--delay-ms")
            delayMs = number();
        else if (arg == "--rate")
            rate = std::strtoull(value, nullptr, 10);
        else if (arg == "--fault")
            faults.push_back(pair(value));
        else if (arg == "--reply")
            replies.push_back(pair(value));
        else if (arg == "--shape-count")
            shapeCount = std::strtoull(value, nullptr, 10);
        else if (arg == "--reply-encoding")
            replyEncoding = value;
        else {
            usage();
            return 2;
        }
        ++i;
    }
    SonaricTestServer server(
        artists >= 0 ? Catalogue::generated(artists, albums, songs) : Catalogue::demo(), options);
    if (delayMs > 0)
        server.setFault(SonaricTestServer::Fault::Delay, "", delayMs);
    if (shapeCount > 0)
        server.setShapeCount(shapeCount);
    for (const auto& [action, name] : faults) {
        const std::optional<SonaricTestServer::Fault> fault = SonaricTestServer::faultNamed(name);
        if (!fault) {
            std::fprintf(stderr, "sonaric-test-server: no fault named \"%s\"\n", name.c_str());
            return 2;
        }
        server.setFault(*fault, action, delayMs);
    }
    for (const auto& [action, path] : replies) {
        std::ifstream file(path, std::ios::binary);
        server.setReply(action, std::string(std::istreambuf_iterator<char>(file), {}));
    }
    server.setReplyEncoding(replyEncoding);
    server.setRate(rate);
    if (!server.start(host, port)) {
        std::fprintf(stderr, "sonaric-test-server: cannot listen on %s:%d\n", host.c_str(), port);
        return 1;
    }
    std::printf("%s\n", server.baseUrl().c_str());
    std::fflush(stdout);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    // Polled, not waited for with pause(), which Windows does not have.
    while (!g_stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    server.stop();
    return 0;
}
