#pragma once

#include "Catalogue.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

// A Sonaric server for tests and the demo: the XML interface under "/server/xml.server.php"
// (below any path prefix), a real handshake check, tokens, tone streams with HTTP ranges, and
// faults that tests switch on per action.
class SonaricTestServer {
public:
    enum class Fault {
        None,
        Delay,         // answer after the delay
        Http500,       // status 500 with an HTML page
        HtmlBody,      // status 200 with an HTML page that is not XML
        TruncatedBody, // status 200 with the first half of the reply
        CloseMidReply, // announce the whole reply, send half, close the connection
        NotFound,      // status 404 (meant for streams)
        Redirect,      // status 302 to the redirect target, same path and query
        // Hostile servers:
        Endless,         // an XML reply that never ends, as fast as the client takes it
        Trickle,         // the reply one byte at a time, one byte every delay
        Drip,            // as Trickle, with the reply's length announced
        OversizeLength,  // announces a reply of 300 MB, sends a little, then waits
        CompressionBomb, // a small body whose content encoding expands it past any limit
        DamagedEncoding, // a gzip body whose compressed data cannot be expanded
        // Hostile shapes, streamed, each of the shape count's size (setShapeCount):
        DocumentType,  // a DTD giving <a> a 1 MB default attribute, then that many <a/>
        ManyFields,    // one song with that many children
        DeepNesting,   // elements nested that deep
        HugeErrorText, // an error element with that many bytes of text
        HugeTitle,     // one song whose title has that many bytes
        ManyRecords,   // that many empty records under root
    };

    // A song reply whose fields are exactly these texts where given (escaped as XML text).
    struct SongFields {
        std::optional<std::string> url;
        std::optional<std::string> title;
        std::optional<std::string> artist;
        std::optional<std::string> album;
    };

    struct LoggedRequest {
        std::string path;
        std::string action;
        std::map<std::string, std::string> parameters; // decoded
        std::map<std::string, std::string> headers;
    };

    struct Options {
        std::string username = "demo";
        std::string password = "demo";
        int toneSeconds = 4;
        int toneSampleRate = 22050;
        // Serve https with this certificate and key (PEM files) instead of http.
        std::string certificateFile;
        std::string keyFile;
    };

    explicit SonaricTestServer(Catalogue catalogue);
    SonaricTestServer(Catalogue catalogue, Options options);
    ~SonaricTestServer();

    SonaricTestServer(const SonaricTestServer&) = delete;
    SonaricTestServer& operator=(const SonaricTestServer&) = delete;

    // Listens on host:port (0 picks a free port) in a thread of its own.
    bool start(const std::string& host = "127.0.0.1", int port = 0);
    void stop();
    int port() const { return m_port; }
    std::string baseUrl() const;

    // "" as action means every action; "stream" means the tone streams. With times > 0 the
    // fault hits that many requests, then the action answers normally again.
    void setFault(Fault fault, const std::string& action = "", int delayMs = 0, int times = -1);
    // Answers an action with exactly these bytes (status 200), whatever the request; "stream"
    // serves them as every tone stream.
    void setReply(const std::string& action, std::string body);
    // An error reply with this code and text, the text escaped as XML.
    void setErrorReply(const std::string& action, const std::string& code, const std::string& text);
    void setSongFields(SongFields fields);
    // The content encoding Fault::CompressionBomb uses ("gzip", "deflate", "br", "zstd"); its
    // body expands to 512 MB.
    void setBombEncoding(std::string encoding);
    // A fault by its name on the command line ("many-fields"), if there is one of that name.
    static std::optional<Fault> faultNamed(const std::string& name);
    // The size of the hostile shapes; a million by default.
    void setShapeCount(std::size_t count);
    // Every XML reply compressed this way (see CompressionBomb::compress), or "" for none.
    void setReplyEncoding(std::string encoding);
    void clearOverrides();
    // Every XML reply sent at this many bytes a second, as over a long path where each
    // connection's throughput is bounded by its round trip; 0 for as fast as the client reads.
    void setRate(std::size_t bytesPerSecond);
    // The `song` replies of this song held back until releaseSongs() (or stop()).
    void holdSong(std::int64_t songId);
    void releaseSongs();
    // Where Fault::Redirect sends requests: a base URL such as "http://127.0.0.1:8080", to which
    // the request's path and query are added, or with keepPath false this very address.
    void setRedirectTarget(std::string baseUrl, bool keepPath = true);

    std::vector<LoggedRequest> requests() const;
    void clearRequests();
    std::string currentToken() const;
    // Ends every session: each token handed out so far is refused from now on.
    void expireSessions();

    static std::string sha256Hex(const std::string& bytes);
    static std::string toneWav(std::int64_t songId, int seconds, int sampleRate);

private:
    struct FaultSetting {
        Fault fault = Fault::None;
        int delayMs = 0;
        int remaining = -1;
    };

    void handleXml(const httplib::Request& request, httplib::Response& response,
                   const std::string& prefix);
    void handleStream(const httplib::Request& request, httplib::Response& response);
    std::string answer(const std::string& action, const httplib::Request& request,
                       const std::string& prefix);
    std::string handshake(const httplib::Request& request);
    std::string songsReply(const std::vector<const Catalogue::Song*>& songs) const;
    FaultSetting faultFor(const std::string& action);
    bool applyFault(const FaultSetting& setting, const std::string& body,
                    httplib::Response& response, const httplib::Request& request);
    bool sleepFor(int ms);
    bool sleepUntil(std::chrono::steady_clock::time_point when);
    void sendPaced(httplib::Response& response, std::string body, std::size_t rate);

    Catalogue m_catalogue;
    Options m_options;
    std::string m_artistsReply;
    std::string m_albumsReply;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    std::string m_host;
    std::string m_redirectTarget;
    bool m_redirectKeepsPath = true;
    SongFields m_songFields;
    std::string m_bombEncoding;
    std::string m_bomb;
    std::string m_replyEncoding;
    std::size_t m_shapeCount = 1000000;
    std::size_t m_rate = 0;
    std::vector<std::int64_t> m_heldSongs;

    mutable std::mutex m_mutex;
    std::condition_variable m_stopping;
    bool m_stopped = false;
    std::vector<std::string> m_tokens;
    std::map<std::string, FaultSetting> m_faults;
    std::map<std::string, std::string> m_replies;
    std::vector<LoggedRequest> m_log;
};
