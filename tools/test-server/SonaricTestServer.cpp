#include "SonaricTestServer.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>

#include "CompressionBomb.h"

#include <httplib.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

constexpr char XmlType[] = "application/xml; charset=utf-8";
constexpr char Prolog[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";
constexpr int ProtocolVersion = 350001;
constexpr std::int64_t TimestampWindow = 30 * 60;

std::string escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string element(const char* name, const std::string& text) {
    return std::string("<") + name + ">" + escaped(text) + "</" + name + ">";
}

std::string errorReply(const std::string& code, const std::string& message) {
    return std::string(Prolog) + "<root><error code=\"" + code + "\">" + escaped(message) +
           "</error></root>\n";
}

std::string parameter(const httplib::Request& request, const char* name) {
    return request.has_param(name) ? request.get_param_value(name) : std::string();
}

bool containsFolded(const std::string& haystack, const std::string& needle) {
    return QString::fromUtf8(haystack).contains(QString::fromUtf8(needle), Qt::CaseInsensitive);
}

void appendLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

SonaricTestServer::SonaricTestServer(Catalogue catalogue)
    : SonaricTestServer(std::move(catalogue), Options{}) {
}

SonaricTestServer::SonaricTestServer(Catalogue catalogue, Options options)
    : m_catalogue(std::move(catalogue)), m_options(std::move(options)) {
    // The two catalogue replies do not depend on the request: build them once.
    m_artistsReply = Prolog;
    m_artistsReply += "<root>\n";
    for (const Catalogue::Artist& a : m_catalogue.artists) {
        m_artistsReply += "<artist id=\"" + escaped(a.id) + "\">";
        if (a.nameAsCdata)
            m_artistsReply += "<name><![CDATA[" + a.name + "]]></name>";
        else
            m_artistsReply += element("name", a.name);
        m_artistsReply += element("albums", "1") + element("songs", a.songs) + "</artist>\n";
    }
    m_artistsReply += "</root>\n";
    m_albumsReply = Prolog;
    m_albumsReply += "<root>\n";
    for (const Catalogue::Album& a : m_catalogue.albums) {
        m_albumsReply += "<album id=\"" + escaped(a.id) + "\">" + element("name", a.name) +
                         "<artist id=\"" + escaped(a.artistId) + "\"></artist>" +
                         element("year", "2001") + element("tracks", a.tracks) + "</album>\n";
    }
    m_albumsReply += "</root>\n";
}

SonaricTestServer::~SonaricTestServer() {
    stop();
}

bool SonaricTestServer::start(const std::string& host, int port) {
    if (m_options.certificateFile.empty())
        m_server = std::make_unique<httplib::Server>();
    else
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
        m_server = std::make_unique<httplib::SSLServer>(m_options.certificateFile.c_str(),
                                                        m_options.keyFile.c_str());
#else
        return false; // built without TLS (Windows): https is not served
#endif
    if (!m_server->is_valid())
        return false;
    m_server->set_tcp_nodelay(true);
    m_server->set_keep_alive_timeout(2);
    // As a typical web server does; the library's default of 5 would reopen connections often.
    m_server->set_keep_alive_max_count(100);
    m_server->Get(R"((.*)/server/xml\.server\.php)",
                  [this](const httplib::Request& request, httplib::Response& response) {
                      handleXml(request, response, request.matches[1]);
                  });
    m_server->Get(R"((.*)/play/(-?\d+)\.wav)",
                  [this](const httplib::Request& request, httplib::Response& response) {
                      handleStream(request, response);
                  });
    m_host = host;
    m_port = port == 0 ? m_server->bind_to_any_port(host)
                       : (m_server->bind_to_port(host, port) ? port : -1);
    if (m_port <= 0)
        return false;
    {
        std::lock_guard lock(m_mutex);
        m_stopped = false;
    }
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop() that came before the thread had begun listening would be lost, and join() would
    // then wait forever: return only once the server runs.
    for (int waited = 0; !m_server->is_running() && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return m_server->is_running();
}

void SonaricTestServer::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_stopping.notify_all();
    if (m_server)
        m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

std::string SonaricTestServer::baseUrl() const {
    return (m_options.certificateFile.empty() ? "http://" : "https://") + m_host + ":" +
           std::to_string(m_port);
}

void SonaricTestServer::setRedirectTarget(std::string baseUrl, bool keepPath) {
    std::lock_guard lock(m_mutex);
    m_redirectTarget = std::move(baseUrl);
    m_redirectKeepsPath = keepPath;
}

void SonaricTestServer::setErrorReply(const std::string& action, const std::string& code,
                                      const std::string& text) {
    setReply(action, errorReply(code, text));
}

void SonaricTestServer::setSongFields(SongFields fields) {
    std::lock_guard lock(m_mutex);
    m_songFields = std::move(fields);
}

// Made here, as it takes a moment: the request that serves it answers at once.
void SonaricTestServer::setBombEncoding(std::string encoding) {
    std::string body =
        CompressionBomb::make(encoding, std::size_t{512} << 20).value_or(std::string());
    std::lock_guard lock(m_mutex);
    m_bombEncoding = std::move(encoding);
    m_bomb = std::move(body);
}

std::optional<SonaricTestServer::Fault> SonaricTestServer::faultNamed(const std::string& name) {
    static const std::map<std::string, Fault> names = {
        {"delay", Fault::Delay},
        {"endless", Fault::Endless},
        {"trickle", Fault::Trickle},
        {"document-type", Fault::DocumentType},
        {"many-fields", Fault::ManyFields},
        {"deep-nesting", Fault::DeepNesting},
        {"huge-error-text", Fault::HugeErrorText},
        {"huge-title", Fault::HugeTitle},
        {"many-records", Fault::ManyRecords},
    };
    const auto found = names.find(name);
    return found == names.end() ? std::nullopt : std::optional(found->second);
}

void SonaricTestServer::setShapeCount(std::size_t count) {
    std::lock_guard lock(m_mutex);
    m_shapeCount = count;
}

void SonaricTestServer::setReplyEncoding(std::string encoding) {
    std::lock_guard lock(m_mutex);
    m_replyEncoding = std::move(encoding);
}

void SonaricTestServer::setRate(std::size_t bytesPerSecond) {
    std::lock_guard lock(m_mutex);
    m_rate = bytesPerSecond;
}

void SonaricTestServer::holdSong(std::int64_t songId) {
    std::lock_guard lock(m_mutex);
    m_heldSongs.push_back(songId);
}

void SonaricTestServer::releaseSongs() {
    {
        std::lock_guard lock(m_mutex);
        m_heldSongs.clear();
    }
    m_stopping.notify_all();
}

void SonaricTestServer::setFault(Fault fault, const std::string& action, int delayMs, int times) {
    std::lock_guard lock(m_mutex);
    m_faults[action] = {fault, delayMs, times};
}

void SonaricTestServer::setReply(const std::string& action, std::string body) {
    std::lock_guard lock(m_mutex);
    m_replies[action] = std::move(body);
}

void SonaricTestServer::clearOverrides() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
    m_replies.clear();
    m_songFields = {};
}

std::vector<SonaricTestServer::LoggedRequest> SonaricTestServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

void SonaricTestServer::clearRequests() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

std::string SonaricTestServer::currentToken() const {
    std::lock_guard lock(m_mutex);
    return m_tokens.empty() ? std::string() : m_tokens.back();
}

void SonaricTestServer::expireSessions() {
    std::lock_guard lock(m_mutex);
    m_tokens.clear();
}

std::string SonaricTestServer::sha256Hex(const std::string& bytes) {
    return QCryptographicHash::hash(QByteArray::fromStdString(bytes), QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

SonaricTestServer::FaultSetting SonaricTestServer::faultFor(const std::string& action) {
    std::lock_guard lock(m_mutex);
    auto found = m_faults.find(action);
    if (found == m_faults.end() && action != "stream")
        found = m_faults.find("");
    if (found == m_faults.end() || found->second.remaining == 0)
        return {};
    if (found->second.remaining > 0)
        --found->second.remaining;
    return found->second;
}

bool SonaricTestServer::sleepFor(int ms) {
    return sleepUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
}

bool SonaricTestServer::sleepUntil(std::chrono::steady_clock::time_point when) {
    std::unique_lock lock(m_mutex);
    return !m_stopping.wait_until(lock, when, [this] { return m_stopped; });
}

namespace {

// When the bytes sent so far are due, at `rate` bytes a second from `start`.
std::chrono::steady_clock::time_point dueAt(std::chrono::steady_clock::time_point start,
                                            std::size_t bytes, std::size_t rate) {
    return start + std::chrono::microseconds(static_cast<std::int64_t>(
                       static_cast<double>(bytes) * 1e6 / static_cast<double>(rate)));
}

} // namespace

// Slices of about a hundredth of a second each, every one sent when the rate allows it.
void SonaricTestServer::sendPaced(httplib::Response& response, std::string body, std::size_t rate) {
    struct Pace {
        std::string body;
        std::optional<std::chrono::steady_clock::time_point> start;
    };
    auto pace = std::make_shared<Pace>(Pace{std::move(body), std::nullopt});
    const std::size_t size = pace->body.size();
    response.set_content_provider(
        size, XmlType,
        [this, pace, rate](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            if (!pace->start)
                pace->start = std::chrono::steady_clock::now();
            const std::size_t slice = std::min(length, std::max<std::size_t>(rate / 100, 1024));
            return sleepUntil(dueAt(*pace->start, offset + slice, rate)) &&
                   sink.write(pace->body.data() + offset, slice);
        });
}

namespace {

// A reply made of texts each repeated so many times, written as the client takes it (and as
// `pace` lets it, given what has been sent): a shape of any size without holding it.
void streamShape(httplib::Response& response, std::function<bool(std::size_t sent)> pace,
                 std::vector<std::pair<std::string, std::size_t>> segments) {
    struct Position {
        std::size_t segment = 0, repeat = 0, sent = 0;
    };
    auto at = std::make_shared<Position>();
    auto shared = std::make_shared<decltype(segments)>(std::move(segments));
    response.set_chunked_content_provider(
        XmlType, [at, shared, pace](std::size_t, httplib::DataSink& sink) {
            std::string batch;
            while (batch.size() < 65536 && at->segment < shared->size()) {
                const auto& [text, times] = (*shared)[at->segment];
                if (at->repeat < times) {
                    batch += text;
                    ++at->repeat;
                } else {
                    ++at->segment;
                    at->repeat = 0;
                }
            }
            if (batch.empty()) {
                sink.done();
                return true;
            }
            at->sent += batch.size();
            return pace(at->sent) && sink.write(batch.data(), batch.size());
        });
}

} // namespace

// Returns true when the fault has written the whole response.
bool SonaricTestServer::applyFault(const FaultSetting& setting, const std::string& body,
                                   httplib::Response& response, const httplib::Request& request) {
    switch (setting.fault) {
    case Fault::Redirect: {
        std::string target;
        bool keepPath = true;
        {
            std::lock_guard lock(m_mutex);
            target = m_redirectTarget;
            keepPath = m_redirectKeepsPath;
        }
        if (!keepPath) {
            response.set_redirect(target);
            return true;
        }
        std::string query;
        for (const auto& [name, value] : request.params)
            query += (query.empty() ? "?" : "&") + name + "=" +
                     httplib::detail::encode_query_param(value);
        response.set_redirect(target + request.path + query);
        return true;
    }
    case Fault::None:
        return false;
    case Fault::Delay:
        sleepFor(setting.delayMs);
        return false;
    case Fault::Http500:
        response.status = 500;
        response.set_content("<html><body><h1>500 Internal Server Error</h1></body></html>",
                             "text/plain");
        return true;
    case Fault::NotFound:
        response.status = 404;
        response.set_content("<html><body><h1>404 Not Found</h1></body></html>", "text/plain");
        return true;
    case Fault::HtmlBody:
        response.set_content("<!DOCTYPE html>\n<html><head><title>Maintenance</title></head>"
                             "<body><p>We'll be back soon<br></body></html>\n",
                             "text/plain");
        return true;
    case Fault::TruncatedBody:
        response.set_content(body.substr(0, body.size() / 2), XmlType);
        return true;
    case Fault::Endless: {
        auto next = std::make_shared<std::int64_t>(0);
        response.set_chunked_content_provider(
            XmlType, [next](std::size_t, httplib::DataSink& sink) {
                std::string batch = *next == 0 ? std::string(Prolog) + "<root>\n" : std::string();
                while (batch.size() < 65536)
                    batch += "<artist id=\"" + std::to_string(++*next) +
                             "\"><name>Endless</name><songs>1</songs></artist>\n";
                return sink.write(batch.data(), batch.size());
            });
        return true;
    }
    case Fault::Trickle: {
        auto shared = std::make_shared<std::string>(body);
        auto sent = std::make_shared<std::size_t>(0);
        response.set_chunked_content_provider(
            XmlType,
            [this, shared, sent, delay = setting.delayMs](std::size_t, httplib::DataSink& sink) {
                if (*sent == shared->size()) {
                    sink.done();
                    return true;
                }
                if (!sleepFor(delay))
                    return false;
                return sink.write(shared->data() + (*sent)++, 1);
            });
        return true;
    }
    case Fault::Drip: {
        auto shared = std::make_shared<std::string>(body);
        response.set_content_provider(
            shared->size(), XmlType,
            [this, shared, delay = setting.delayMs](std::size_t offset, std::size_t,
                                                    httplib::DataSink& sink) {
                return sleepFor(delay) && sink.write(shared->data() + offset, 1);
            });
        return true;
    }
    case Fault::OversizeLength: {
        auto shared = std::make_shared<std::string>(body);
        response.set_content_provider(
            std::size_t{300} << 20, XmlType,
            [this, shared](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset == 0 && !sink.write(shared->data(), shared->size() / 2))
                    return false;
                while (sink.is_writable() && sleepFor(50)) {
                }
                return false;
            });
        return true;
    }
    case Fault::CompressionBomb: {
        std::string encoding, bomb;
        {
            std::lock_guard lock(m_mutex);
            encoding = m_bombEncoding;
            bomb = m_bomb;
        }
        response.set_header("Content-Encoding", encoding);
        response.set_content(bomb, XmlType);
        return true;
    }
    case Fault::DamagedEncoding:
        // A gzip header, then a deflate block of the reserved type.
        response.set_header("Content-Encoding", "gzip");
        response.set_content(
            std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03\xff\xff\xff", 13), XmlType);
        return true;
    case Fault::DocumentType:
    case Fault::ManyFields:
    case Fault::DeepNesting:
    case Fault::HugeErrorText:
    case Fault::HugeTitle:
    case Fault::ManyRecords: {
        std::size_t count = 0;
        std::size_t rate = 0;
        {
            std::lock_guard lock(m_mutex);
            count = m_shapeCount;
            rate = m_rate;
        }
        const std::string prolog = Prolog;
        std::function<bool(std::size_t)> pace = [](std::size_t) { return true; };
        if (rate > 0)
            pace = [this, rate, start = std::chrono::steady_clock::now()](std::size_t sent) {
                return sleepUntil(dueAt(start, sent, rate));
            };
        switch (setting.fault) {
        case Fault::DocumentType:
            streamShape(response, pace,
                        {{prolog + "<!DOCTYPE root [<!ATTLIST a v CDATA \"", 1},
                         {std::string(1 << 20, 'A'), 1},
                         {"\">]>\n<root>", 1},
                         {"<a/>", count},
                         {"</root>\n", 1}});
            break;
        case Fault::ManyFields:
            streamShape(response, pace,
                        {{prolog + "<root><song id=\"1\"><title>t</title>", 1},
                         {"<a/>", count},
                         {"</song></root>\n", 1}});
            break;
        case Fault::DeepNesting:
            streamShape(
                response, pace,
                {{prolog + "<root>", 1}, {"<a>", count}, {"</a>", count}, {"</root>\n", 1}});
            break;
        case Fault::HugeErrorText:
            streamShape(response, pace,
                        {{prolog + "<root><error code=\"500\">", 1},
                         {std::string(1024, 'x'), count / 1024},
                         {"x", count % 1024},
                         {"</error></root>\n", 1}});
            break;
        case Fault::HugeTitle:
            streamShape(response, pace,
                        {{prolog + "<root><song id=\"1\"><title>", 1},
                         {std::string(1024, 'x'), count / 1024},
                         {"x", count % 1024},
                         {"</title><artist>a</artist></song></root>\n", 1}});
            break;
        default:
            streamShape(response, pace,
                        {{prolog + "<root>", 1}, {"<a/>", count}, {"</root>\n", 1}});
            break;
        }
        return true;
    }
    case Fault::CloseMidReply: {
        auto shared = std::make_shared<std::string>(body);
        response.set_content_provider(
            shared->size(), XmlType,
            [shared](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset == 0)
                    sink.write(shared->data(), shared->size() / 2);
                return false;
            });
        return true;
    }
    }
    return false;
}

void SonaricTestServer::handleXml(const httplib::Request& request, httplib::Response& response,
                                  const std::string& prefix) {
    const std::string action = parameter(request, "action");
    {
        LoggedRequest logged{request.path, action, {}, {}};
        for (const auto& [name, value] : request.params)
            logged.parameters[name] = value;
        for (const auto& [name, value] : request.headers)
            logged.headers[name] = value;
        std::lock_guard lock(m_mutex);
        m_log.push_back(std::move(logged));
    }
    std::string body;
    {
        std::lock_guard lock(m_mutex);
        if (auto found = m_replies.find(action); found != m_replies.end())
            body = found->second;
    }
    if (body.empty())
        body = answer(action, request, prefix);
    std::string encoding;
    std::size_t rate = 0;
    {
        std::unique_lock lock(m_mutex);
        encoding = m_replyEncoding;
        rate = m_rate;
        const std::int64_t song = std::atoll(parameter(request, "filter").c_str());
        if (action == "song")
            m_stopping.wait(lock, [&] {
                return m_stopped ||
                       std::find(m_heldSongs.begin(), m_heldSongs.end(), song) == m_heldSongs.end();
            });
    }
    if (applyFault(faultFor(action), body, response, request))
        return;
    if (std::optional<std::string> compressed = CompressionBomb::compress(encoding, body)) {
        response.set_header("Content-Encoding", encoding == "raw-deflate"    ? "deflate"
                                                : encoding == "gzip-members" ? "gzip"
                                                                             : encoding);
        body = std::move(*compressed);
    }
    if (rate > 0)
        return sendPaced(response, std::move(body), rate);
    response.set_content(body, XmlType);
}

std::string SonaricTestServer::handshake(const httplib::Request& request) {
    const std::string timestampText = parameter(request, "timestamp");
    if (parameter(request, "version") != std::to_string(ProtocolVersion))
        return errorReply("400", "Unsupported protocol version");
    if (parameter(request, "user") != m_options.username)
        return errorReply("401", "Error Authenticating");
    std::int64_t timestamp = 0;
    try {
        timestamp = std::stoll(timestampText);
    } catch (const std::exception&) {
        return errorReply("401", "Error Authenticating");
    }
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    if (std::llabs(now - timestamp) > TimestampWindow)
        return errorReply("401", "Timestamp out of range");
    const std::string expected = sha256Hex(timestampText + sha256Hex(m_options.password));
    if (parameter(request, "auth") != expected)
        return errorReply("401", "Error Authenticating");

    static thread_local std::mt19937_64 random{std::random_device{}()};
    char token[33];
    std::snprintf(token, sizeof token, "%016llx%016llx", static_cast<unsigned long long>(random()),
                  static_cast<unsigned long long>(random()));
    {
        std::lock_guard lock(m_mutex);
        m_tokens.emplace_back(token);
    }
    return std::string(Prolog) + "<root>" + element("auth", token) +
           element("api", std::to_string(ProtocolVersion)) +
           element("songs", std::to_string(m_catalogue.songs.size())) +
           element("albums", std::to_string(m_catalogue.albums.size())) +
           element("artists", std::to_string(m_catalogue.artists.size())) + "</root>\n";
}

std::string SonaricTestServer::songsReply(const std::vector<const Catalogue::Song*>& songs) const {
    std::string out = Prolog;
    out += "<root>\n";
    for (const Catalogue::Song* s : songs)
        out += "<song id=\"" + std::to_string(s->id) + "\">" + element("title", s->title) +
               element("artist", s->artist) + element("album", s->album) + "</song>\n";
    out += "</root>\n";
    return out;
}

std::string SonaricTestServer::answer(const std::string& action, const httplib::Request& request,
                                      const std::string& prefix) {
    if (action == "handshake")
        return handshake(request);
    {
        const std::string auth = parameter(request, "auth");
        std::lock_guard lock(m_mutex);
        if (auth.empty() || std::find(m_tokens.begin(), m_tokens.end(), auth) == m_tokens.end())
            return errorReply("401", "Session Expired");
    }
    const std::string filter = parameter(request, "filter");
    std::vector<const Catalogue::Song*> hits;
    if (action == "artists")
        return m_artistsReply;
    if (action == "albums")
        return m_albumsReply;
    if (action == "album_songs" || action == "artist_songs") {
        const bool byAlbum = action == "album_songs";
        for (const Catalogue::Song& s : m_catalogue.songs)
            if ((byAlbum ? s.albumId : s.artistId) == filter)
                hits.push_back(&s);
        return songsReply(hits);
    }
    if (action == "search_songs") {
        for (const Catalogue::Song& s : m_catalogue.songs)
            if (containsFolded(s.title, filter) || containsFolded(s.artist, filter) ||
                containsFolded(s.album, filter))
                hits.push_back(&s);
        return songsReply(hits);
    }
    if (action == "song") {
        for (const Catalogue::Song& s : m_catalogue.songs) {
            if (std::to_string(s.id) != filter)
                continue;
            const std::string scheme = m_options.certificateFile.empty() ? "http://" : "https://";
            SongFields given;
            {
                std::lock_guard lock(m_mutex);
                given = m_songFields;
            }
            const std::string url =
                given.url.value_or(scheme + request.get_header_value("Host") + prefix + "/play/" +
                                   std::to_string(s.id) + ".wav");
            return std::string(Prolog) + "<root><song id=\"" + std::to_string(s.id) + "\">" +
                   element("title", given.title.value_or(s.title)) +
                   element("artist", given.artist.value_or(s.artist)) +
                   element("album", given.album.value_or(s.album)) + element("url", url) +
                   "</song></root>\n";
        }
        return errorReply("404", "Song not found");
    }
    return errorReply("405", "Invalid Request");
}

std::string SonaricTestServer::toneWav(std::int64_t songId, int seconds, int sampleRate) {
    const std::uint32_t samples = static_cast<std::uint32_t>(seconds * sampleRate);
    const double frequency = 220.0 + 20.0 * static_cast<double>(std::llabs(songId) % 40);
    std::string wav = "RIFF";
    appendLittleEndian(wav, 36 + samples * 2, 4);
    wav += "WAVEfmt ";
    appendLittleEndian(wav, 16, 4);
    appendLittleEndian(wav, 1, 2); // PCM
    appendLittleEndian(wav, 1, 2); // mono
    appendLittleEndian(wav, static_cast<std::uint32_t>(sampleRate), 4);
    appendLittleEndian(wav, static_cast<std::uint32_t>(sampleRate * 2), 4);
    appendLittleEndian(wav, 2, 2);
    appendLittleEndian(wav, 16, 2);
    wav += "data";
    appendLittleEndian(wav, samples * 2, 4);
    constexpr double twoPi = 6.283185307179586;
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double sample = 0.3 * std::sin(twoPi * frequency * i / sampleRate);
        appendLittleEndian(
            wav, static_cast<std::uint16_t>(static_cast<std::int16_t>(sample * 32767)), 2);
    }
    return wav;
}

void SonaricTestServer::handleStream(const httplib::Request& request, httplib::Response& response) {
    const std::int64_t id = std::stoll(request.matches[2]);
    const bool known = std::any_of(m_catalogue.songs.begin(), m_catalogue.songs.end(),
                                   [id](const Catalogue::Song& s) { return s.id == id; });
    {
        LoggedRequest logged{request.path, "stream", {{"id", std::to_string(id)}}, {}};
        std::lock_guard lock(m_mutex);
        m_log.push_back(std::move(logged));
    }
    if (!known) {
        response.status = 404;
        return;
    }
    std::string replacement;
    {
        std::lock_guard lock(m_mutex);
        if (auto found = m_replies.find("stream"); found != m_replies.end())
            replacement = found->second;
    }
    const std::string wav = replacement.empty()
                                ? toneWav(id, m_options.toneSeconds, m_options.toneSampleRate)
                                : replacement;
    if (applyFault(faultFor("stream"), wav, response, request))
        return;
    response.set_content(wav, replacement.empty() ? "audio/wav" : "application/octet-stream");
}
