#include "RequestUrl.h"
#include "Handshake.h"
#include "XmlDocument.h"

#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

// The base URL is taken as typed, a trailing slash and all; the other actions' parameters are seen
// arriving at the test server.
TEST(RequestUrl, BuildsEachActionAfterTheBaseUrlAsTyped) {
    EXPECT_EQ(RequestUrl::artists("http://host:8080/sonaric/", "tok").toString(),
              "http://host:8080/sonaric//server/xml.server.php?action=artists&auth=tok");
    EXPECT_EQ(RequestUrl::albumSongs("http://h", "", "7").toString(),
              "http://h/server/xml.server.php?action=album_songs&auth=&filter=7");
    EXPECT_EQ(RequestUrl::song("http://h", "t", -12).toString(),
              "http://h/server/xml.server.php?action=song&auth=t&filter=-12");
}

TEST(RequestUrl, ParameterValuesSurviveDelimitersAndNonAscii) {
    for (const QString& text :
         {QStringLiteral("Rock & Roll"), QStringLiteral("#1 hit?"), QStringLiteral("a+b=c"),
          QStringLiteral("Žluťoučký 夜"), QStringLiteral("100%"), QStringLiteral(" ")}) {
        const QUrl url = RequestUrl::searchSongs("http://h", "t", text);
        const QUrlQuery query(url);
        EXPECT_EQ(query.queryItemValue("filter", QUrl::FullyDecoded), text);
        EXPECT_EQ(query.queryItems().size(), 3) << url.toString().toStdString();
        EXPECT_TRUE(url.fragment().isEmpty());
    }
}

TEST(Handshake, PassphraseIsTheDigestOfTimestampAndKey) {
    const Handshake h = Handshake::at(3600, "key");
    EXPECT_EQ(h.timestamp, 3600);
    EXPECT_EQ(h.passphrase, "aa9d3a80aa187c6aba5cc23c22d6e0167dc53f3e985736f7b061d084f26f2c2e");
    // Timestamps past 2038 stay exact.
    EXPECT_EQ(Handshake::at(4102444800, "k").url("http://h", "u").toString(),
              "http://h/server/xml.server.php?action=handshake&auth=" +
                  Handshake::at(4102444800, "k").passphrase +
                  "&timestamp=4102444800&version=350001&user=u");
}

// The token of a handshake reply: its text, when there is one of a usable length.
TEST(Handshake, OnlyAUsableTokenSignsIn) {
    const struct {
        const char* reply;
        std::optional<QString> token;
    } cases[] = {
        {"<root><auth>abc123</auth></root>", QString("abc123")},
        {"<root><auth>  spaced  </auth></root>", QString("  spaced  ")},
        {"<root><auth></auth></root>", std::nullopt},
        {"<root><auth/></root>", std::nullopt},
        {"<root><error code=\"401\">no</error></root>", std::nullopt},
    };
    for (const auto& c : cases) {
        XmlDocument reply;
        ASSERT_TRUE(reply.loadBytes(c.reply)) << c.reply;
        EXPECT_EQ(Handshake::token(reply), c.token) << c.reply;
    }
    XmlDocument overlong;
    ASSERT_TRUE(overlong.loadBytes("<root><auth>" + QByteArray(2000, 'x') + "</auth></root>"));
    EXPECT_EQ(Handshake::token(overlong), std::nullopt);
}

} // namespace
