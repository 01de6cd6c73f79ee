// A server's texts are shown as plain text, never as markup, and promptly however long they are.
#include "ClientFixture.h"
#include "FileWatch.h"
#include "QtUserDialogs.h"

#include <QImage>
#include <QMessageBox>
#include <QTemporaryDir>

namespace {

using Fault = SonaricTestServer::Fault;

const QString Ellipsis = QString(QChar(0x2026));

// What the real message box showed, and when.
struct ShownBox {
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    qint64 afterMs = -1;
};

class Rendering : public ClientFixture {
protected:
    QTemporaryDir local;
    QtUserDialogs realDialogs;

    // A window whose message boxes are real ones, closed as soon as they appear.
    void openWithRealDialogs() {
        makeWindow({}, &realDialogs);
        pointAt(server.url());
        window->show();
        refresh();
    }

    ShownBox addAndCatchTheBox() {
        ShownBox shown;
        QElapsedTimer clock;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, window.get(), [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            shown = {box->text(), box->textFormat(), clock.elapsed()};
            box->done(QMessageBox::Ok);
        });
        poll.start();
        clock.start();
        addSong(1);
        return shown;
    }
};

TEST_F(Rendering, ErrorTextsAreShownLiterallyAndPromptly) {
    const QString image = local.filePath("logo.png");
    QFile(image).open(QIODevice::WriteOnly);
    const std::string markup =
        "<h1 style=\"font-size:72px\">YOUR ACCOUNT IS LOCKED</h1><img src=\"" +
        image.toStdString() + "\"><a href=\"http://127.0.0.1:1/\">unlock</a>";
    // Nearly all a reply of one song may hold.
    const std::string huge(900 << 10, 'x');
    const struct {
        const char* name;
        std::string text;
        QString shown;
    } cases[] = {
        {"markup", markup, QString::fromStdString(markup) + "[Sonaric Error: 403]"},
        {"900 KB", huge, QString(4095, 'x') + Ellipsis + "[Sonaric Error: 403]"},
    };
    FileWatch imageWatch(image);
    openWithRealDialogs();
    for (const auto& c : cases) {
        server->setErrorReply("song", "403", c.text);
        const ShownBox box = addAndCatchTheBox();
        std::printf("[ measure  ] %s error text: box after %lld ms\n", c.name,
                    static_cast<long long>(box.afterMs));
        EXPECT_TRUE(box.text == c.shown) << c.name << ": " << box.text.left(200).toStdString();
        EXPECT_EQ(box.format, Qt::PlainText) << c.name;
        EXPECT_GE(box.afterMs, 0) << c.name;
        EXPECT_LT(box.afterMs, 3000) << c.name;
    }
    EXPECT_FALSE(imageWatch.wasOpened());
}

TEST_F(Rendering, SongTextsAreShownLiterallyInEveryPlace) {
    const QString markup = "<b style=\"font-size:72px\">Loud</b> & <i>proud</i>";
    openLibrary(true);
    server->setSongFields({{}, markup.toStdString(), markup.toStdString(), {}});
    addSong(1);
    ASSERT_TRUE(dialogs.shown.empty());
    // The stream fails, so the title also reaches the status bar.
    server->setFault(Fault::NotFound, "stream");
    QSignalSpy ended(&app->player(), &MediaPlayer::itemFailed);
    app->player().jumpTo(0);
    ASSERT_TRUE(ended.wait(5000));
    QCoreApplication::processEvents();

    EXPECT_EQ(app->player().playlist().titles(), QStringList{markup});
    auto* label = control<QLabel>("lblNowPlaying");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(label->text().contains(markup));
    auto* status = control<QLabel>("StatusBarPanel1");
    EXPECT_EQ(status->textFormat(), Qt::PlainText);
    EXPECT_EQ(status->text(), "Could not play \"" + markup + "\"");
    EXPECT_EQ(control<QLabel>("StatusBarPanel2")->textFormat(), Qt::PlainText);
}

// A right-to-left override in the title must not reverse the artist and album lines below it.
TEST_F(Rendering, OneFieldCannotReorderAnother) {
    openLibrary(true);
    auto* label = control<QLabel>("lblNowPlaying");
    auto linesBelowTheTitle = [&](const QString& title) {
        app->player().clear();
        server->setSongFields({{}, title.toStdString(), "Artist Name", "Album Name"});
        addSong(1);
        app->player().jumpTo(0);
        QCoreApplication::processEvents();
        const int line = label->fontMetrics().lineSpacing();
        return label->grab().toImage().copy(0, line, label->width(), 2 * line);
    };
    const QImage plain = linesBelowTheTitle("Title");
    const QImage overridden = linesBelowTheTitle(QString(QChar(0x202E)) + "Title");
    EXPECT_EQ(overridden, plain);
}

} // namespace
