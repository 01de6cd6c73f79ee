#include "Command.h"

#include "ServerCall.h"

#include <QCoreApplication>

#include <algorithm>

Command::~Command() = default;

void Command::start() {
    if (m_state != State::Ready)
        return;
    m_state = State::Running;
    emit started();
    run();
}

void Command::cancel() {
    if (m_state != State::Running)
        return;
    // Not from the call's own signal (that one lets go of its call first): it goes at once.
    m_call.reset();
    dropCalls();
    if (m_step) {
        m_step->disconnect(this);
        m_step->cancel();
        // It may be cancelling itself, from its own signal.
        m_step.release()->deleteLater();
    }
    restore();
    m_state = State::Cancelled;
    emit passingStatusTextChanged(tr("Cancelled"));
    emit cancelled();
}

void Command::showStatus(const QString& text) {
    if (isRunning())
        emit statusTextChanged(text);
}

Command::Poster Command::poster() const {
    Poster poster;
    poster.m_command = m_self;
    return poster;
}

// Queued on the application object, which outlives every command: whether the command is still
// there is told on the GUI thread, where it goes.
void Command::Poster::operator()(std::function<void()> action) const {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [command = m_command, action = std::move(action)] {
            const std::shared_ptr<Command* const> alive = command.lock();
            if (alive && (*alive)->isRunning())
                action();
        },
        Qt::QueuedConnection);
}

void Command::await(std::unique_ptr<ServerCall> call, std::function<void(const ServerCall&)> then) {
    if (m_call)
        m_call.release()->deleteLater();
    m_call = std::move(call);
    connect(m_call.get(), &ServerCall::renewing, this, &Command::passingStatusTextChanged);
    connect(m_call.get(), &ServerCall::finished, this, [this, then = std::move(then)] {
        // A call ended by someone else's cancel is the user's cancel all the same.
        if (m_call->wasCancelled()) {
            m_call.release()->deleteLater();
            return cancel();
        }
        then(*m_call);
    });
    m_call->start();
}

void Command::awaitBeside(std::unique_ptr<ServerCall> call,
                          std::function<void(const ServerCall&)> then) {
    ServerCall* running = call.get();
    m_beside.push_back(std::move(call));
    connect(running, &ServerCall::renewing, this, &Command::passingStatusTextChanged);
    connect(running, &ServerCall::finished, this, [this, running, then = std::move(then)] {
        const auto found =
            std::find_if(m_beside.begin(), m_beside.end(),
                         [running](const auto& call) { return call.get() == running; });
        // Let go of while its own signal runs: gone once that has returned.
        std::unique_ptr<ServerCall> ended = std::move(*found);
        m_beside.erase(found);
        ended->deleteLater();
        const ServerCall* finished = ended.release();
        if (finished->wasCancelled())
            return cancel();
        then(*finished);
    });
    running->start();
}

// A reading under way stops on its worker; what it writes to is its own. The current call may be
// the one whose signal ended the command: it goes once that has returned, cancelled first, so that
// it reads no further meanwhile.
void Command::dropCalls() {
    if (m_call) {
        m_call->disconnect(this);
        m_call->cancel();
        m_call.release()->deleteLater();
    }
    // Each goes with its reading, unwaited for.
    m_beside.clear();
}

void Command::await(std::unique_ptr<Command> step, std::function<void()> then) {
    if (m_step)
        m_step.release()->deleteLater();
    m_step = std::move(step);
    Command* running = m_step.get();
    connect(running, &Command::statusTextChanged, this, &Command::showStatus);
    connect(running, &Command::passingStatusTextChanged, this, &Command::passingStatusTextChanged);
    connect(running, &Command::failed, this, &Command::fail);
    connect(running, &Command::cancelled, this, &Command::cancel);
    connect(running, &Command::finished, this, [this, then = std::move(then)] { then(); });
    running->start();
}

void Command::finish() {
    if (!isRunning())
        return;
    m_state = State::Finished;
    dropCalls();
    emit finished();
}

void Command::fail(const QString& message, const QString& statusText) {
    if (!isRunning())
        return;
    m_state = State::Failed;
    dropCalls();
    emit failed(message, statusText);
}
