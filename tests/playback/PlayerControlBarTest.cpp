#include "PlayerControlBar.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(PlayerControlBar, ButtonsSayWhatTheUserAsksAndShowWhatTheyAreTold) {
    PlayerControlBar bar;
    bar.show();
    bar.setAvailable(true, true, true, true);
    QSignalSpy play(&bar, &PlayerControlBar::playPauseRequested);
    QSignalSpy next(&bar, &PlayerControlBar::nextRequested);
    QSignalSpy previous(&bar, &PlayerControlBar::previousRequested);
    QSignalSpy stop(&bar, &PlayerControlBar::stopRequested);
    QSignalSpy mute(&bar, &PlayerControlBar::muteRequested);
    for (const char* name :
         {"playerPlayPause", "playerNext", "playerPrevious", "playerStop", "playerMute"})
        QTest::mouseClick(bar.findChild<QToolButton*>(name), Qt::LeftButton);
    EXPECT_EQ(play.size(), 1);
    EXPECT_EQ(next.size(), 1);
    EXPECT_EQ(previous.size(), 1);
    EXPECT_EQ(stop.size(), 1);
    ASSERT_EQ(mute.size(), 1);
    EXPECT_TRUE(mute.first().at(0).toBool());

    // Mute is a toggle a screen reader hears as checked, but only once the player has muted.
    auto* muteButton = bar.findChild<QToolButton*>("playerMute");
    QAccessibleInterface* muteAccess = QAccessible::queryAccessibleInterface(muteButton);
    EXPECT_TRUE(muteAccess->state().checkable);
    EXPECT_FALSE(muteAccess->state().checked);
    bar.setMuted(true);
    EXPECT_TRUE(muteAccess->state().checked);
    EXPECT_EQ(muteAccess->text(QAccessible::Name), "Mute");
    QTest::mouseClick(muteButton, Qt::LeftButton);
    EXPECT_FALSE(mute.last().at(0).toBool());
    EXPECT_TRUE(muteButton->isChecked());

    // Commands that would do nothing are shown disabled.
    bar.setAvailable(true, false, false, false);
    QTest::mouseClick(bar.findChild<QToolButton*>("playerNext"), Qt::LeftButton);
    EXPECT_EQ(next.size(), 1);
    EXPECT_FALSE(bar.findChild<QSlider*>("playerSeek")->isEnabled());
    EXPECT_TRUE(bar.findChild<QToolButton*>("playerNext")->toolTip().contains("Alt+Right"));
}

TEST(PlayerControlBar, SeeksInSecondsFromWherePlaybackIs) {
    PlayerControlBar bar;
    bar.show();
    bar.setAvailable(true, true, true, true);
    bar.setDuration(185.4);
    bar.setPosition(61.9);
    EXPECT_EQ(bar.totalText(), "3:05");
    EXPECT_EQ(bar.elapsedText(), "1:01");
    auto* slider = bar.findChild<QSlider*>("playerSeek");
    QAccessibleInterface* access = QAccessible::queryAccessibleInterface(slider);
    ASSERT_NE(access->valueInterface(), nullptr);
    EXPECT_EQ(access->valueInterface()->currentValue().toInt(), 61);
    EXPECT_EQ(access->valueInterface()->maximumValue().toInt(), 185);
    EXPECT_EQ(access->text(QAccessible::Value), "1:01 of 3:05");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(bar.findChild<QLabel*>("playerElapsed"))
                  ->text(QAccessible::Name),
              "Elapsed time: 1:01");

    QSignalSpy by(&bar, &PlayerControlBar::seekByRequested);
    QSignalSpy to(&bar, &PlayerControlBar::seekRequested);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Left);
    QTest::keyClick(slider, Qt::Key_PageUp);
    EXPECT_EQ(by, (QList<QList<QVariant>>{{5.0}, {-5.0}, {30.0}}));
    QTest::keyClick(slider, Qt::Key_Home);
    ASSERT_EQ(to.size(), 1);
    EXPECT_EQ(to[0].at(0).toDouble(), 0);
    access->valueInterface()->setCurrentValue(90);
    ASSERT_EQ(to.size(), 2);
    EXPECT_EQ(to[1].at(0).toDouble(), 90);
    // State the bar is given is not echoed back as a request.
    bar.setPosition(100);
    EXPECT_EQ(by.size() + to.size(), 5);

    auto* volume = bar.findChild<QSlider*>("playerVolume");
    EXPECT_EQ(volume->value(), 50);
    QSignalSpy volumeAsked(&bar, &PlayerControlBar::volumeRequested);
    bar.setVolume(70);
    EXPECT_TRUE(volumeAsked.isEmpty());
    volume->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(volumeAsked.size(), 1);
    EXPECT_EQ(volumeAsked.first().at(0).toInt(), 75);
    EXPECT_EQ(PlayerControlBar::timeText(3600), "60:00");
    EXPECT_EQ(PlayerControlBar::timeText(-0.2), "0:00");
}

} // namespace
