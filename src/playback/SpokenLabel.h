#pragma once

#include <QLabel>

// A label whose text changes while the program runs (a time, a status, the current song). A
// screen reader hears its role and its current text, and is told each time the text changes.
class SpokenLabel : public QLabel {
    Q_OBJECT

public:
    SpokenLabel(const QString& role, QWidget* parent = nullptr);

    // Shown as plain text; spoken as "role: text", lines joined by commas.
    void showText(const QString& text);

private:
    QString m_role;
};
