#include "CatalogueBuilder.h"
#include "AppFixture.h"
#include "CatalogueModel.h"
#include "ReplyReader.h"
#include "ReplyText.h"
#include "XmlRecord.h"
#include "XmlStream.h"

#include <QTextDocument>

#include <gtest/gtest.h>

namespace {

// Streams a reply through the reader in small pieces, as it would arrive.
void stream(const QByteArray& xml, const XmlStream::ElementReader& read) {
    XmlStream reply(read);
    for (qsizetype at = 0; at < xml.size(); at += 7)
        reply.feed(xml.mid(at, 7));
    EXPECT_TRUE(reply.finish());
}

// The elements of that name a reply holds, read until one is malformed.
ReplyReader::Outcome readEach(const QByteArray& xml, const char* name,
                              const std::function<ReplyReader::Outcome(const XmlRecord&)>& read) {
    ReplyReader::Outcome outcome = ReplyReader::Outcome::Complete;
    stream(xml, [&](const XmlRecord& element) {
        if (element.name() == name && outcome == ReplyReader::Outcome::Complete)
            outcome = read(element);
    });
    return outcome;
}

// The catalogue that an artists reply and an albums reply make.
void fill(CatalogueModel& model, const QByteArray& artists, const QByteArray& albums) {
    CatalogueBuilder builder;
    readEach(artists, "artist",
             [&](const XmlRecord& e) { return ReplyReader::addArtist(e, builder); });
    readEach(albums, "album",
             [&](const XmlRecord& e) { return ReplyReader::addAlbum(e, builder); });
    model.setContents(builder.take());
}

QStringList treeOf(const QByteArray& artists, const QByteArray& albums) {
    CatalogueModel model;
    fill(model, artists, albums);
    return catalogueLines(model);
}

// Tool tips are read for markup by Qt; a name that looks like markup still shows as it is.
TEST(CatalogueModel, ToolTipsShowTheServersTextAsItIs) {
    CatalogueModel model;
    fill(model,
         "<root><artist id=\"1\"><name>&lt;b&gt;Bold&lt;/b&gt;  &amp; co</name></artist></root>",
         "<root><album id=\"2\"><name>&lt;img src=x&gt;</name><artist id=\"1\"/></album></root>");
    QStringList shownTexts;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex artist = model.index(row, 0);
        for (const QModelIndex& node : {artist, model.index(0, 0, artist)}) {
            if (!node.isValid())
                continue;
            QTextDocument shown;
            shown.setHtml(node.data(Qt::ToolTipRole).toString());
            EXPECT_EQ(shown.toPlainText(), node.data().toString());
            shownTexts << shown.toPlainText();
        }
    }
    EXPECT_TRUE(shownTexts.contains("<b>Bold</b>  & co ()")) << shownTexts.join('|').toStdString();
    EXPECT_TRUE(shownTexts.contains("<img src=x> ()")) << shownTexts.join('|').toStdString();
}

TEST(CatalogueBuilder, IdsAreTextWhateverTheyLookLike) {
    // Small numbers, their other spellings, numbers too big for a table, and words are all ids
    // of their own; a second use of any of them is left out, and albums find their artist by
    // the exact text.
    const char* artists = "<root>"
                          "<artist id='7'><name>Seven</name><songs>1</songs></artist>"
                          "<artist id='07'><name>Oh Seven</name><songs>2</songs></artist>"
                          "<artist id='4294967303'><name>Huge</name><songs>3</songs></artist>"
                          "<artist id='x7'><name>Word</name><songs>4</songs></artist>"
                          "<artist id='07'><name>Oh Seven again</name></artist>"
                          "<artist id='4294967303'><name>Huge again</name></artist>"
                          "<artist id='0'><name>Not Various</name></artist>"
                          "</root>";
    const char* albums = "<root>"
                         "<album id='1'><name>A</name><artist id='07'/><tracks>9</tracks></album>"
                         "<album id='01'><name>B</name><artist id='7'/><tracks>8</tracks></album>"
                         "<album id='2'><name>C</name><artist id='4294967303'/></album>"
                         "<album id='3'><name>D</name><artist id='x7'/></album>"
                         "<album id='5'><name>F</name><artist id='7 '/></album>"
                         "</root>";
    EXPECT_EQ(
        treeOf(artists, albums),
        (QStringList{"artist0=Various", "  album5=F ()", "artist7=Seven (1)", "  album01=B (8)",
                     "artist07=Oh Seven (2)", "  album1=A (9)", "artist4294967303=Huge (3)",
                     "  album2=C ()", "artistx7=Word (4)", "  album3=D ()"}));
}

// Elements without an id or a name, second uses of an id, and elements of another name or
// elsewhere are left out; albums of no known artist go under Various. The artist count counts every
// artist element the server sent.
TEST(CatalogueBuilder, BrokenElementsAreLeftOutAndOrphansGoUnderVarious) {
    const char* artists = R"(<root>text<artists id="1"><name>Plural</name></artists>
        <artist id="5"><name>Five</name><songs>1</songs></artist><!-- artist -->
        <artist id="5"><name>Five again</name><songs>2</songs></artist>
        <artist id="0"><name>Zero</name><songs>3</songs></artist>
        <artist><name>No id</name><songs>4</songs></artist>
        <artist id="7"><songs>5</songs></artist><artis id="2"><name>Short</name></artis>
        <group><artist id="4"><name>Nested</name></artist></group>
        <artist id="8"><name>No count</name></artist></root>)";
    EXPECT_EQ(treeOf(artists, R"(<root>
        <album id="1"><names>No</names><name>Mine</name><tracksx>9</tracksx><tracks>1</tracks>
            <artist id="5"/></album>
        <album id="2"><name>Orphan</name><tracks>2</tracks><artist id="99"/></album>
        <album id="3"><name>No artist</name><tracks>3</tracks></album>
        <album id="1"><name>Same id</name><tracks>4</tracks><artist id="5"/></album>
        <album id="4"><tracks>5</tracks><artist id="5"/></album><albumx id="6"><name>x</name></albumx>
        <album id="5"><name>Various own</name><tracks>6</tracks><artist id="0"/></album></root>)"),
              (QStringList{"artist0=Various", "  album2=Orphan (2)", "  album3=No artist (3)",
                           "  album5=Various own (6)", "artist5=Five (1)", "  album1=Mine (1)",
                           "artist8=No count ()"}));
    int count = 0;
    stream(artists, [&](const XmlRecord& e) { count += e.name() == "artist" ? 1 : 0; });
    EXPECT_EQ(count, 6);
    EXPECT_EQ(treeOf("<list><artist id='1'><name>A</name></artist></list>", "<root/>"),
              QStringList{"artist0=Various"});
}

// A song without a title, or a search hit without an artist, ends the list: the lines before it
// stay, and the reply counts as unreadable. So does an overlong id, in any list; an overlong text
// is cut, never inside a character.
TEST(ReplyReader, AMalformedEntryKeepsTheLinesBeforeItAndLongTextsAreCut) {
    const auto read = [](const QByteArray& xml, bool withArtist) {
        SongListModel::Rows rows;
        const ReplyReader::Outcome outcome = readEach(xml, "song", [&](const XmlRecord& e) {
            return ReplyReader::addSong(e, withArtist, rows);
        });
        SongListModel model;
        model.setRows(std::move(rows));
        QStringList lines;
        for (int row = 0; row < model.count(); ++row)
            lines << model.entry(row).text;
        return std::pair(outcome, lines);
    };
    using enum ReplyReader::Outcome;
    EXPECT_EQ(read(R"(<root><song id="1"><title>ok</title></song><song id="2"/>
        <song id="3"><title>after</title></song></root>)",
                   false),
              std::pair(Malformed, QStringList{"ok"}));
    EXPECT_EQ(read(R"(<root><song id="1"><title>t</title><artist>a</artist></song>
        <song id="2"><title>no artist</title></song></root>)",
                   true),
              std::pair(Malformed, QStringList{"t - a"}));
    const QByteArray longId(2000, '7'), huge(5 << 20, 'n');
    EXPECT_EQ(read("<root><song id='1'><title>" + huge + "</title></song><song id='" + longId +
                       "'><title>x</title></song></root>",
                   false),
              std::pair(Malformed, QStringList{QString(4095, 'n') + QChar(0x2026)}));
    CatalogueBuilder builder;
    EXPECT_EQ(readEach("<root><artist id='" + longId + "'><name>n</name></artist></root>", "artist",
                       [&](const XmlRecord& e) { return ReplyReader::addArtist(e, builder); }),
              Malformed);
    EXPECT_EQ(treeOf("<root><artist id='1'><name>" + huge +
                         "</name><songs>2</songs></artist>"
                         "</root>",
                     "<root/>")
                  .value(1),
              "artist1=" + QString(4095, 'n') + QChar(0x2026) + " (2)");
    // Surrogate pairs count as one character.
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5");
    EXPECT_EQ(ReplyText::bounded(emoji.repeated(5000)), emoji.repeated(4095) + QChar(0x2026));
    EXPECT_EQ(ReplyText::bounded(emoji.repeated(4096)), emoji.repeated(4096));
}

TEST(CatalogueBuilder, ALongCatalogueInAnyOrderKeepsEveryNode) {
    // Ids far apart and out of order land partly in the table and partly in the hash set.
    QByteArray artists = "<root>", albums = "<root>";
    for (int i = 3000; i >= 1; --i) {
        const QByteArray id = QByteArray::number(i % 2 ? i : i * 100003);
        artists += "<artist id='" + id + "'><name>N" + id + "</name></artist>";
        albums +=
            "<album id='" + id + "'><name>M" + id + "</name><artist id='" + id + "'/></album>";
        if (i % 500 == 0)
            albums += "<album id='" + id + "'><name>Twice</name><artist id='" + id + "'/></album>";
    }
    artists += "</root>";
    albums += "</root>";
    const QStringList tree = treeOf(artists, albums);
    ASSERT_EQ(tree.size(), 1 + 2 * 3000);
    EXPECT_EQ(tree[1].toStdString(), "artist300009000=N300009000 ()");
    EXPECT_EQ(tree[2].toStdString(), "  album300009000=M300009000 ()");
    EXPECT_EQ(tree[3].toStdString(), "artist2999=N2999 ()");
    EXPECT_EQ(tree[4].toStdString(), "  album2999=M2999 ()");
    EXPECT_EQ(tree.last().toStdString(), "  album1=M1 ()");
    EXPECT_FALSE(tree.join('|').contains("Twice"));
}

} // namespace
