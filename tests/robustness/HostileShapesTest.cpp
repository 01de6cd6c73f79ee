// Replies shaped to make a reader work or hold far more than it read: a document type with a
// default attribute, a record with a million fields, deep nesting, a huge error text, a reply of
// one song with a million siblings, characters no encoding allows, an encoding the client does
// not know. Each is refused with a message of its own, or cut, before it costs much; nothing the
// user had changes, and the memory the reading took goes back.
#include "AppFixture.h"
#include "MemoryUse.h"

#include <QStringEncoder>
#include <QThreadPool>

namespace {

using Fault = SonaricTestServer::Fault;

struct Shape {
    const char* name;
    const char* action; // "album_songs" for a track list, "song" for an add
    std::function<void(SonaricTestServer&)> arrange;
    QString message;
};

std::function<void(SonaricTestServer&)> shape(Fault fault, const char* action, std::size_t count) {
    return [fault, action, count](SonaricTestServer& server) {
        server.setShapeCount(count);
        server.setFault(fault, action);
    };
}

QByteArray utf32(const QString& text) {
    return QStringEncoder(QStringConverter::Utf32LE, QStringConverter::Flag::WriteBom)(text);
}

const Shape Shapes[] = {
    {"DocumentTypeInAList", "album_songs", shape(Fault::DocumentType, "album_songs", 700000),
     "The reply declares a document type, which is not accepted."},
    {"DocumentTypeInASong", "song",
     [](SonaricTestServer& server) {
         server.setReply("song", "<!DOCTYPE root [<!ATTLIST url v CDATA \"x\">]>\n<root><song "
                                 "id=\"1\"><url>http://a/</url><title>t</title><artist>a</artist>"
                                 "<album>b</album></song></root>");
     },
     "The reply declares a document type, which is not accepted."},
    {"AMillionFields", "album_songs", shape(Fault::ManyFields, "album_songs", 1000000),
     "The reply holds a record with too many fields."},
    {"DeepNesting", "album_songs", shape(Fault::DeepNesting, "album_songs", 1000000),
     "The reply nests its elements too deeply."},
    {"ManyAttributes", "album_songs",
     [](SonaricTestServer& server) {
         std::string song = "<root><song id=\"1\"";
         for (int i = 0; i < 1000; ++i)
             song += " a" + std::to_string(i) + "=\"\"";
         server.setReply("album_songs", song + "><title>t</title></song></root>");
     },
     "The reply holds an element with too many attributes."},
    // That the reader keeps only the first 16 KB of a text is the stream's own test.
    {"HugeErrorText", "album_songs", shape(Fault::HugeErrorText, "album_songs", 4 << 20),
     QString(4095, 'x') + QChar(0x2026) + "[Sonaric Error: 500]"},
    {"ASongAmongAMillionSiblings", "song", shape(Fault::ManyRecords, "song", 10000000),
     "The reply is larger than 1 MB."},
    {"CodePointBeyondUnicode", "album_songs",
     [](SonaricTestServer& server) {
         QByteArray bytes = utf32("<root><song id=\"1\"><title>");
         bytes += QByteArray("\x00\x00\x11\x00", 4);
         bytes += utf32("</title></song></root>").mid(4);
         server.setReply("album_songs", bytes.toStdString());
     },
     "The reply is not XML."},
    {"LoneSurrogate", "song",
     [](SonaricTestServer& server) {
         QByteArray bytes = utf32("<root><song id=\"1\"><title>");
         bytes += QByteArray("\x00\xD8\x00\x00", 4);
         bytes += utf32("</title></song></root>").mid(4);
         server.setReply("song", bytes.toStdString());
     },
     "The reply is not XML."},
    {"UnknownEncoding", "album_songs",
     [](SonaricTestServer& server) {
         server.setReply("album_songs",
                         "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<root><song "
                         "id=\"1\"><title>Caf\xe9</title></song></root>");
     },
     "The reply's encoding windows-1252 is not supported."},
};

void PrintTo(const Shape& s, std::ostream* os) {
    *os << s.name;
}

class HostileShapes : public AppFixture, public ::testing::WithParamInterface<Shape> {};

TEST_P(HostileShapes, AreRefusedOrCutAndChangeNothing) {
    const Shape& s = GetParam();
    openLibrary();
    showTracks("album10");
    addSong(1);
    ASSERT_TRUE(reports.isEmpty());
    const QString token = app->session().authToken;
    const QStringList tree = treeTexts();
    const QStringList playlist = app->player().playlist().titles();
    s.arrange(*server.operator->());
    // A fast link's pace: on loopback, how much arrives before the refusal takes effect would be
    // the scheduler's to say on a busy machine, not the client's.
    server->setRate(16 << 20);

    MemoryUse::resetPeak();
    const double before = MemoryUse::currentMiB();
    QElapsedTimer clock;
    clock.start();
    if (std::string(s.action) == "song")
        addSong(3);
    else
        showTracks("album10");
    const double grown = MemoryUse::peakMiB() - before;
    std::printf("[ measure  ] %s: %lld ms, peak +%.0f MiB\n", s.name,
                static_cast<long long>(clock.elapsed()), grown);

    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].endsWith(s.message)) << reports[0].left(300).toStdString();
    EXPECT_EQ(app->session().authToken, token);
    EXPECT_EQ(treeTexts(), tree);
    EXPECT_EQ(app->player().playlist().titles(), playlist);
    if (MemoryUse::Bounded) {
        EXPECT_LT(grown, 64);
        // What the reading held is given back once it is over.
        EXPECT_TRUE(eventually([&] { return MemoryUse::currentMiB() - before < 60; }));
    }
    expectIdle();

    server->clearOverrides();
    reports.clear();
    showTracks("album10");
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_EQ(library().songs(0)->count(), 3);
}

INSTANTIATE_TEST_SUITE_P(Replies, HostileShapes, ::testing::ValuesIn(Shapes),
                         [](const auto& info) { return std::string(info.param.name); });

// Escape while a long reply is being read gives the window back before it returns: the reading
// stops on its worker, and nothing waits for it there.
TEST_F(AppFixture, ACancelDuringAReadingReturnsAtOnce) {
    openLibrary();
    server->setShapeCount(50000000);
    server->setFault(Fault::ManyRecords, "search_songs");
    qint64 received = 0;
    QObject::connect(&app->http(), &HttpClient::transferProgress, app.get(),
                     [&](qint64 bytes, qint64) { received = bytes; });
    app->search("o");
    // Well into the reading.
    ASSERT_TRUE(eventually([&] { return received > (16 << 20); }, 20000));
    const int workers = QThreadPool::globalInstance()->activeThreadCount();
    QElapsedTimer clock;
    clock.start();
    app->cancel();
    const qint64 elapsed = clock.elapsed();
    std::printf("[ measure  ] cancel returned after %lld ms, %d reader(s) active\n",
                static_cast<long long>(elapsed), workers);
    EXPECT_FALSE(app->isBusy());
    EXPECT_FALSE(app->http().isBusy());
    EXPECT_EQ(status(), "Cancelled");
    EXPECT_TRUE(reports.isEmpty());
}

} // namespace
