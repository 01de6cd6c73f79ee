#pragma once

#include "Command.h"

#include <QObject>
#include <QString>

#include <memory>

// Runs one command at a time, as the user would expect of a program that waits for its server:
// a command asked for while another runs is dropped. While one runs the program is busy: the
// pointer says so and the user's input is held back, apart from the way out, cancel(). A failed
// command's report comes once the program is no longer busy, so a box never waits under the busy
// pointer, and its status text after the report.
class CommandRunner : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~CommandRunner() override;

    bool isRunning() const { return m_command != nullptr; }
    // False, and the command dropped, while another runs.
    bool run(std::unique_ptr<Command> command);
    void cancel();

signals:
    void busyChanged(bool busy);
    void statusTextChanged(const QString& text);
    void passingStatusTextChanged(const QString& text);
    void failureReported(const QString& message);
    // The command is over, its report read.
    void ended();

private:
    void end();
    void onFailed(const QString& message, const QString& statusText);

    std::unique_ptr<Command> m_command;
    bool m_busy = false;
};
