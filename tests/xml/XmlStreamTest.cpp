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

// Whatever a reply's shape, what the reader holds stays small: a document type declaration of
// any kind, nesting past the limit, a record with too many fields and an element with too many
// attributes are refused, each for its own reason, and texts are kept only up to the limit.
TEST(XmlStream, RefusesShapesThatWouldCostMoreThanTheyCarry) {
    using Refusal = XmlStream::Refusal;
    const auto refusalOf = [](const QByteArray& bytes) {
        XmlStream reader;
        reader.feed(bytes);
        reader.finish();
        return reader.refusal();
    };
    const QByteArray deep = "<root>" + QByteArray("<a>").repeated(XmlStream::MaxDepth - 1) +
                            QByteArray("</a>").repeated(XmlStream::MaxDepth - 1) + "</root>";
    EXPECT_EQ(refusalOf(deep), Refusal::None);
    EXPECT_EQ(refusalOf("<root><a>" + deep + "</a></root>"), Refusal::TooDeep);
    const auto song = [](std::size_t fields) {
        return "<root><song id='1'>" + QByteArray("<f/>").repeated(qsizetype(fields)) +
               "</song></root>";
    };
    EXPECT_EQ(refusalOf(song(XmlStream::MaxFields)), Refusal::None);
    EXPECT_EQ(refusalOf(song(XmlStream::MaxFields + 1)), Refusal::TooManyFields);
    const auto attributes = [](std::size_t count) {
        QByteArray element = "<root><song";
        for (std::size_t i = 0; i < count; ++i)
            element += " a" + QByteArray::number(qulonglong(i)) + "=''";
        return element + "/></root>";
    };
    EXPECT_EQ(refusalOf(attributes(XmlStream::MaxAttributes)), Refusal::None);
    EXPECT_EQ(refusalOf(attributes(XmlStream::MaxAttributes + 1)), Refusal::TooManyAttributes);
    for (const QByteArray& declared :
         {QByteArray("<!DOCTYPE root>"), QByteArray("<!DOCTYPE root SYSTEM 'x.dtd'>"),
          QByteArray("<!DOCTYPE root [<!ATTLIST a v CDATA 'AAAA'>]>")})
        EXPECT_EQ(refusalOf(declared + "<root><a/></root>"), Refusal::DocumentType)
            << declared.toStdString();
    // A web page instead of a reply is just not XML to the user.
    EXPECT_EQ(refusalOf("<!DOCTYPE html><html></html>"), Refusal::NotXml);

    std::size_t title = 0, error = 0;
    XmlStream texts([&](const XmlRecord& e) {
        if (const XmlRecord::Child* t = e.child("title"))
            title = t->text.size();
        else
            error = e.text().size();
    });
    texts.feed("<root><song id='1'><title>");
    for (int i = 0; i < 1000; ++i)
        texts.feed(QByteArray(1000, 'x'));
    texts.feed("</title></song><error code='1'>");
    for (int i = 0; i < 1000; ++i)
        texts.feed(QByteArray(1000, 'y'));
    texts.feed("</error></root>");
    EXPECT_TRUE(texts.finish());
    EXPECT_EQ(title, XmlRecord::MaxTextBytes);
    EXPECT_EQ(error, XmlRecord::MaxTextBytes);
}

// A character no Unicode encoding form allows makes a reply broken, in UTF-32 as in the rest; an
// encoding the reader does not know is named.
TEST(XmlStream, RefusesWhatNoEncodingAllowsAndNamesAnUnknownEncoding) {
    const auto utf32 = [](const QByteArray& unit) {
        QByteArray bytes = QStringEncoder(QStringConverter::Utf32BE)(QString("<root>"));
        return bytes + unit + QStringEncoder(QStringConverter::Utf32BE)(QString("</root>"));
    };
    for (const QByteArray& unit :
         {QByteArray("\x00\x11\x00\x00", 4), QByteArray("\x00\x00\xD8\x00", 4),
          QByteArray("\x00\x00\x00", 3)}) {
        XmlStream reader;
        reader.feed(utf32(unit));
        EXPECT_FALSE(reader.finish());
        EXPECT_EQ(reader.refusalMessage(), "The reply is not XML.");
    }
    EXPECT_TRUE(stream(utf32(QByteArray("\x00\x01\xF3\xB5", 4)), 3).wellFormed);
    for (const QByteArray& broken :
         {QByteArray("<root>\xED\xA0\x80</root>"), QByteArray("<root>\xF4\x90\x80\x80</root>")})
        EXPECT_FALSE(stream(broken, 2).wellFormed);

    XmlStream reader;
    reader.feed("<?xml version='1.0' encoding='windows-1252'?><root>Caf\xe9</root>");
    EXPECT_FALSE(reader.finish());
    EXPECT_EQ(reader.refusalMessage(), "The reply's encoding windows-1252 is not supported.");
    EXPECT_TRUE(
        stream("<?xml version='1.0' encoding='ISO-8859-1'?><root>\xe9</root>", 5).wellFormed);
}

} // namespace
