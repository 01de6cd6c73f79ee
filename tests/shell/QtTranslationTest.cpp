#include "QtTranslation.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Debian installs Qt's translations beside Qt (the Windows build ships none yet): a German
// desktop gets German buttons.
#ifndef _WIN32
TEST(QtTranslation, StandardButtonsFollowTheUsersLanguage) {
    std::unique_ptr<QTranslator> german(QtTranslation::install(*qApp, QLocale("de_DE")));
    ASSERT_NE(german, nullptr);
    QMessageBox box(QMessageBox::NoIcon, "t", "x", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "&Ja");
    EXPECT_EQ(box.button(QMessageBox::No)->text(), "&Nein");
    QCoreApplication::removeTranslator(german.get());
    EXPECT_EQ(QtTranslation::install(*qApp, QLocale(QLocale::Yoruba)), nullptr);
}
#endif

} // namespace
