#include "CommandRunner.h"

// A command still running when the program ends is cancelled, and goes with the runner.
CommandRunner::~CommandRunner() {
    if (!m_command)
        return;
    m_command->disconnect(this);
    m_command->cancel();
}

bool CommandRunner::run(std::unique_ptr<Command> command) {
    if (m_command)
        return false;
    m_command = std::move(command);
    Command* running = m_command.get();
    connect(running, &Command::statusTextChanged, this, &CommandRunner::statusTextChanged);
    connect(running, &Command::passingStatusTextChanged, this,
            &CommandRunner::passingStatusTextChanged);
    connect(running, &Command::finished, this, &CommandRunner::end);
    connect(running, &Command::cancelled, this, &CommandRunner::end);
    connect(running, &Command::failed, this, &CommandRunner::onFailed);
    m_busy = true;
    emit busyChanged(true);
    running->start();
    return true;
}

void CommandRunner::cancel() {
    if (m_command)
        m_command->cancel();
}

void CommandRunner::onFailed(const QString& message, const QString& statusText) {
    m_busy = false;
    emit busyChanged(false);
    emit failureReported(message);
    emit statusTextChanged(statusText);
    end();
}

// The command is let go once its own signal has returned.
void CommandRunner::end() {
    m_command.release()->deleteLater();
    if (m_busy) {
        m_busy = false;
        emit busyChanged(false);
    }
    emit ended();
}
