#include "XmlStream.h"

#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Every element the stream hands over, as "name id=..|child=text|..", with the stream's verdict.
struct Streamed {
    QStringList elements;
    bool wellFormed = false;
    std::string documentElement;
    std::optional<XmlRecord> error;
};

Streamed stream(const QByteArray& bytes, qsizetype piece) {
    Streamed out;
    XmlStream reader([&](const XmlRecord& e) {
        QString line = QString::fromStdString(e.name());
        if (const std::string* id = e.attribute("id"))
            line += " id=" + QString::fromStdString(*id);
        for (const char* child : {"name", "title", "artist"})
            if (const XmlRecord::Child* c = e.child(child))
                line += QString("|%1=%2").arg(child, QString::fromStdString(c->text));
        out.elements << line;
    });
    bool fed = true;
    for (qsizetype at = 0; at < bytes.size(); at += piece)
        fed = reader.feed(bytes.mid(at, piece)) && fed;
    out.wellFormed = reader.finish() && fed;
    out.documentElement = reader.documentElement();
    out.error = reader.errorElement();
    return out;
}

// Whatever the pieces, the same elements: children of "root" only, the first child of a name,
// texts whole across pieces, CDATA and XML's own entities, in UTF-8, UTF-16 and UTF-32.
TEST(XmlStream, ReadsTheSameElementsInPiecesOfAnySize) {
    const QString text = QStringLiteral(
        "<?xml version=\"1.0\"?>\n<root>blank<song id=\"1\"><title>Caf\u00e9 &amp; "
        "<![CDATA[<b>]]></title><artist id=\"9\">A<i>b</i>c</artist><title>second</title></song>"
        "<group><song id=\"2\"><title>nested</title></song></group>"
        "<song id=\"3\"><title/></song></root><!-- end -->\n");
    const QStringList expected = {"song id=1|title=Caf\u00e9 & <b>|artist=Abc", "group",
                                  "song id=3|title="};
    for (qsizetype piece : {1, 2, 3, 5, 64, 100000}) {
        const Streamed s = stream(text.toUtf8(), piece);
        EXPECT_TRUE(s.wellFormed) << piece;
        EXPECT_EQ(s.elements, expected) << piece;
    }
    for (const char* codec : {"UTF-16LE", "UTF-16BE", "UTF-32LE", "UTF-32BE"}) {
        QStringEncoder encoder(codec, QStringConverter::Flag::WriteBom);
        QString declared = text;
        declared.replace("version=\"1.0\"", QString("version=\"1.0\" encoding=\"%1\"").arg(codec));
        for (qsizetype piece : {1, 7, 100000}) {
            const Streamed s = stream(encoder(declared), piece);
            EXPECT_TRUE(s.wellFormed) << codec << piece;
            EXPECT_EQ(s.elements, expected) << codec << piece;
        }
    }
}

// One document and nothing after it; no entity beyond XML's own, declared or used, and nothing
// fetched. Another document element gives no elements; the server's error element is kept.
TEST(XmlStream, HoldsTheRulesOfAWholeDocument) {
    QTemporaryDir dir;
    for (const QByteArray& broken : QList<QByteArray>{
             "", "   ", "<root/><root/>", "<root/>garbage", "<root><a></root>",
             "<root><song id='1'>", "<!DOCTYPE html><html><body><p>Error<br></body></html>",
             "plain text", "<root>&nbsp;</root>",
             "<!DOCTYPE root [<!ENTITY inner \"INNER\">]><root><a>&inner;</a></root>",
             "<!DOCTYPE root [<!ENTITY ext SYSTEM \"file://" + dir.path().toUtf8() +
                 "/x\">]><root>&ext;</root>",
             "<!DOCTYPE root [<!ENTITY a \"aa\"><!ENTITY b \"&a;&a;\">]><root>&b;</root>"})
        for (qsizetype piece : {1, 100000})
            EXPECT_FALSE(stream(broken, piece).wellFormed) << broken.toStdString() << piece;
    const Streamed other = stream("<list><song id='1'><title>t</title></song></list>", 3);
    EXPECT_TRUE(other.wellFormed);
    EXPECT_EQ(other.documentElement, "list");
    EXPECT_TRUE(other.elements.isEmpty());
    const Streamed refusal = stream(
        "<root><error code=\"401\">Session <b>Ex</b>pired</error><error code=\"2\"/></root>", 4);
    ASSERT_TRUE(refusal.error);
    EXPECT_EQ(*refusal.error->attribute("code"), "401");
    EXPECT_EQ(refusal.error->text(), "Session Expired");
}

} // namespace
