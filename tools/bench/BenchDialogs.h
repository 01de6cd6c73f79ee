#pragma once

#include "UserDialogs.h"

#include <cstdio>

// Benchmarks run unattended: messages go to stderr and every question is answered No.
class BenchDialogs : public UserDialogs {
public:
    void critical(QWidget*, const QString&, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void inform(QWidget*, const QString&, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    void askYesNo(QWidget*, const QString&, const QString&, Icon, std::function<void()>) override {}
    void showSettings(QWidget*, SessionSettings&) override {}
    void askFirstSettings(QWidget*, SessionSettings&) override {}
    void showAbout(QWidget*) override {}
    void choosePlaylistFile(QWidget*, FileAction, std::function<void(const QString&)>) override {}
    void quit() override {}
};
