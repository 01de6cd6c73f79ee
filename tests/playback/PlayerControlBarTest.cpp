#include "PlayerControlBar.h"

#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(PlayerControlBar, ButtonsSayWhatTheUserAsks) {
    PlayerControlBar bar;
    bar.show();
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
    bar.setMuted(true);
    QTest::mouseClick(bar.findChild<QToolButton*>("playerMute"), Qt::LeftButton);
    EXPECT_FALSE(mute.last().at(0).toBool());
}

TEST(PlayerControlBar, ShowsTimesAndReportsSeeksAndVolume) {
    PlayerControlBar bar;
    bar.show();
    bar.setDuration(185.4);
    bar.setPosition(61.9);
    EXPECT_EQ(bar.totalText(), "3:05");
    EXPECT_EQ(bar.elapsedText(), "1:01");
    QSignalSpy seek(&bar, &PlayerControlBar::seekRequested);
    auto* slider = bar.findChild<QSlider*>("playerSeek");
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_EQ(seek.size(), 1);
    EXPECT_NEAR(seek.first().at(0).toDouble(), 61.9 + slider->pageStep() / 10.0, 0.11);
    // State the bar is given is not echoed back as a request.
    bar.setPosition(100);
    EXPECT_EQ(seek.size(), 1);

    auto* volume = bar.findChild<QSlider*>("playerVolume");
    EXPECT_EQ(volume->value(), 50);
    QSignalSpy volumeAsked(&bar, &PlayerControlBar::volumeRequested);
    bar.setVolume(70);
    EXPECT_TRUE(volumeAsked.isEmpty());
    volume->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(volumeAsked.size(), 1);
    EXPECT_EQ(volumeAsked.first().at(0).toInt(), 71);
    EXPECT_EQ(PlayerControlBar::timeText(3600), "60:00");
}

} // namespace
