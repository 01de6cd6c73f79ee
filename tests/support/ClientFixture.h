#pragma once

// Everything a test of the whole window needs, in one place.
#include "AppFixture.h"
#include "MainWindow.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

// A main window over the application object, its boxes answered by a script. The window goes
// before the application object.
class ClientFixture : public AppFixture {
protected:
    using AppFixture::AppFixture;

    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;

    void TearDown() override {
        window.reset();
        AppFixture::TearDown();
    }

    // A fresh main window that plays to no sound device, its boxes answered by the script unless
    // other dialogs are given.
    MainWindow& makeWindow(App::Options options = App::Options(), UserDialogs* boxes = nullptr) {
        window.reset();
        makeApp(std::move(options));
        window = std::make_unique<MainWindow>(*app, boxes ? *boxes : dialogs);
        return *window;
    }

    // A window whose session points at the server, signed in or not.
    MainWindow& openWindow(const QString& password = "demo") {
        makeWindow();
        pointAt(server.url(), password);
        app->http().setStallTimeout(std::chrono::milliseconds(2000));
        return *window;
    }

    // A window whose library has been refreshed, shown first when asked.
    MainWindow& openLibrary(bool shown = false) {
        openWindow();
        if (shown)
            window->show();
        refresh();
        return *window;
    }

    // As the program starts: the form loads, the window is shown, and then what start-up queued
    // (the library refresh) runs to its end.
    void startUp() {
        EXPECT_TRUE(window->start());
        QCoreApplication::sendPostedEvents(app.get(), QEvent::MetaCall);
        settle();
    }

    QString status() { return control<QLabel>("StatusBarPanel1")->text(); }

    // Nothing is waited on: no request, no busy pointer.
    void expectIdle() {
        AppFixture::expectIdle();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    // The list view shows the playlist, which libmpv's own list follows.
    void expectInStep() {
        EXPECT_EQ(control<QListView>("lstPlaylist")->model(), &player().playlist());
        AppFixture::expectInStep();
    }

    // Shows the window and waits until it has the keyboard.
    bool activate() {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    // The now-playing label's lines, without the marks that isolate each field.
    QStringList nowPlaying() {
        return control<QLabel>("lblNowPlaying")
            ->text()
            .remove(QChar(0x2068))
            .remove(QChar(0x2069))
            .split('\n', Qt::SkipEmptyParts);
    }

    template <typename T> T* control(const char* name) {
        T* found = window->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};
