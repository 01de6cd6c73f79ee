// Runs the Sonaric test server until it is interrupted or its standard input closes.
#include "SonaricTestServer.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) {
    g_stop = 1;
}

void usage() {
    std::puts("usage: sonaric-test-server [--host H] [--port N] [--user U] [--password P]\n"
              "                           [--artists N --albums N --songs N] [--delay-ms N]");
}

} // namespace

int main(int argc, char* argv[]) {
    std::string host = "127.0.0.1";
    int port = 0;
    int artists = -1, albums = 0, songs = 0, delayMs = 0;
    SonaricTestServer::Options options;
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
