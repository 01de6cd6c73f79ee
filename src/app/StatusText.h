#pragma once

#include <QObject>
#include <QString>

// What panel 1 of the status bar says. A command's progress and result stay until the next
// command says something. A passing text ("Cancelled", "Signing in again...") only says what
// went on meanwhile: an add that then succeeds, and says nothing of its own, ends it and gives
// back what stood before the command that raised it (a cancelled command's own progress texts
// are void with it).
class StatusText : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    QString text() const { return m_text; }

    void show(const QString& text);
    void showPassing(const QString& text);
    void endPassing();
    // A command starts: what stands now is what a passing text it raises gives back.
    void commandStarted();

signals:
    void textChanged(const QString& text);

private:
    void set(const QString& text, bool passing);

    QString m_text;
    QString m_standing; // before the command under way, or before the passing text
    bool m_passing = false;
};
