#pragma once

#include <QSlider>

// The seek slider, in whole seconds. A screen reader reads its value in seconds, with a text
// such as "0:32 of 2:00".
class PositionSlider : public QSlider {
    Q_OBJECT

public:
    explicit PositionSlider(QWidget* parent = nullptr);

    QString valueText() const;

signals:
    // Asked for by assistive technology setting the value.
    void valueRequested(int seconds);
};
