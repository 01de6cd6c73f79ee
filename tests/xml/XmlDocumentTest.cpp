#include "XmlDocument.h"
#include "Fetch.h"
#include "TestServer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

bool loads(const char* bytes) {
    return XmlDocument().loadBytes(QByteArray(bytes));
}

bool loadsAs(const char* codec, const QString& text) {
    QStringEncoder encoder(codec, QStringConverter::Flag::WriteBom);
    return XmlDocument().loadBytes(encoder(text));
}

TEST(XmlDocumentBytes, AcceptsExactlyOneWellFormedDocument) {
    for (const char* document : {"<root/>", "<?xml version=\"1.0\"?>\n<root><a>1</a></root>\n",
                                 "\xEF\xBB\xBF<root/>", "<!-- note --><root/><!-- end -->"})
        EXPECT_TRUE(loads(document)) << document;
    for (const char* other :
         {"", "   ", "<root/><root/>", "<root/>garbage", "<root/>x>", "<root><a></root>",
          "<root><a>1</a>", "<!DOCTYPE html><html><body><p>Error<br></body></html>", "plain text"})
        EXPECT_FALSE(loads(other)) << other;
    for (const char* codec : {"UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
        EXPECT_TRUE(loadsAs(codec, "<root><a>1</a></root>\r\n  ")) << codec;
        EXPECT_TRUE(loadsAs(codec, "<root/><!-- end -->")) << codec;
        EXPECT_FALSE(loadsAs(codec, "<root/>garbage")) << codec;
        EXPECT_FALSE(loadsAs(codec, "<root/>x>")) << codec;
    }
}

TEST(XmlDocumentBytes, AFailedLoadLeavesNoDocumentElement) {
    XmlDocument doc;
    ASSERT_TRUE(doc.loadBytes("<root><auth>x</auth></root>"));
    EXPECT_TRUE(doc.hasDocumentElement());
    EXPECT_FALSE(doc.loadBytes("<root><auth>x</auth>"));
    EXPECT_FALSE(doc.hasDocumentElement());
    EXPECT_FALSE(doc.selectSingleNode("/root/auth"));
    EXPECT_EQ(doc.selectNodes("/root/auth").size(), 0u);
    EXPECT_FALSE(doc.failureReason().isEmpty());
}

TEST(XmlDocumentBytes, NeverExpandsExternalOrDtdEntities) {
    QTemporaryDir dir;
    QFile secret(dir.filePath("secret.txt"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("SECRET");
    secret.close();
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE root [\n"
                           "<!ENTITY ext SYSTEM \"file://" +
                           secret.fileName().toUtf8() +
                           "\">\n<!ENTITY inner \"INNER\">]>\n<root><a>&ext;&inner;</a></root>";
    XmlDocument doc;
    doc.loadBytes(xml);
    const QString text = XmlDocument::text(doc.selectSingleNode("/root/a"));
    EXPECT_FALSE(text.contains("SECRET"));
    EXPECT_FALSE(text.contains("INNER"));
}

TEST(XmlDocumentBytes, TextIsTheWholeTextContent) {
    XmlDocument doc;
    ASSERT_TRUE(doc.loadBytes("<root><a>x &amp; y</a><b><![CDATA[<raw> & ]]></b>"
                              "<c>one<i>two</i><![CDATA[three]]><j><k>four</k></j></c>"
                              "<d/><e>caf\xC3\xA9</e><f>a<i>b</i>c<!--x-->d<?pi y?></f>"
                              "<g> </g><h> <i>x</i></h></root>"));
    auto text = [&](const char* path) { return XmlDocument::text(doc.selectSingleNode(path)); };
    EXPECT_EQ(text("/root/a"), "x & y");
    EXPECT_EQ(text("/root/b"), "<raw> & ");
    EXPECT_EQ(text("/root/c"), "onetwothreefour");
    EXPECT_EQ(text("/root/d"), "");
    EXPECT_EQ(text("/root/e"), QStringLiteral("café"));
    // Texts in order around child elements; comments and instructions are no text.
    EXPECT_EQ(text("/root/f"), "abcd");
    // A text of blanks is a text when it stands alone.
    EXPECT_EQ(text("/root/g"), " ");
    EXPECT_EQ(text("/root/h"), "x");
    EXPECT_EQ(text("/root/missing"), "");
    EXPECT_EQ(XmlDocument::attribute(doc.selectSingleNode("/root/a"), "id"), std::nullopt);
}

// Failures of the transfer itself are in the fault matrix, where the user sees them.
class XmlDocumentUrl : public ::testing::Test {
protected:
    TestServer server;
    HttpClient http;

    QUrl actionUrl(const char* action) const {
        return QUrl(server.url() + "/server/xml.server.php?action=" + action + "&auth=");
    }
};

TEST_F(XmlDocumentUrl, LoadsAReplyOverHttpPlainOrCompressed) {
    for (const char* encoding : {"", "gzip", "gzip-members", "deflate", "raw-deflate"}) {
        server->setReplyEncoding(encoding);
        XmlDocument doc;
        EXPECT_TRUE(doc.loadBytes(fetch(http, actionUrl("artists")).takeBody())) << encoding;
        EXPECT_EQ(XmlDocument::text(doc.selectSingleNode("/root/error")), "Session Expired");
        EXPECT_EQ(XmlDocument::attribute(doc.selectSingleNode("/root/error"), "code"), "401");
    }
    EXPECT_EQ(server->requests().back().headers.at("Accept-Encoding"), "gzip, deflate");
}

// The client is busy from a request's start until its end or its drop, however many overlap.
TEST_F(XmlDocumentUrl, TheClientIsBusyWhileARequestRuns) {
    QSignalSpy busy(&http, &HttpClient::busyChanged);
    server->setFault(SonaricTestServer::Fault::Trickle, "albums", 1000);
    const std::unique_ptr<HttpRequest> dropped = http.request(actionUrl("albums"));
    dropped->start();
    EXPECT_TRUE(fetch(http, actionUrl("artists")).ok());
    EXPECT_TRUE(http.isBusy());
    dropped->cancel();
    QSignalSpy ended(dropped.get(), &HttpRequest::finished);
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_FALSE(http.isBusy());
    std::unique_ptr<HttpRequest> unfinished = http.request(actionUrl("albums"));
    unfinished->start();
    EXPECT_TRUE(http.isBusy());
    unfinished.reset();
    EXPECT_FALSE(http.isBusy());
    EXPECT_EQ(busy.count(), 4);
}

} // namespace
