#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class ServerCall;

// Something the user asked for that waits for the server. start() returns at once; the command
// then says what it does, and ends exactly once: finished(), failed() or cancelled(). cancel() is
// its one way to end early: at once, leaving everything as it was before start() (or as restore()
// says), the call or step under way dropped with whatever it had read. A command is dropped only
// once it has ended.
class Command : public QObject {
    Q_OBJECT

public:
    enum class State { Ready, Running, Finished, Failed, Cancelled };

    using QObject::QObject;
    ~Command() override;

    bool isRunning() const { return m_state == State::Running; }

    void start();
    void cancel();

signals:
    void started();
    void statusTextChanged(const QString& text);
    // What went on meanwhile ("Signing in again...", "Cancelled"): over once the next add succeeds.
    void passingStatusTextChanged(const QString& text);
    void finished();
    // The report for the user, and the status text to show once it has been read.
    void failed(const QString& message, const QString& statusText);
    void cancelled();

protected:
    virtual void run() = 0;
    // Gives back what the command has changed so far.
    virtual void restore() {}

    // Says what the command does; nothing once it has ended, so that a text a reader posted
    // before a cancel never shows after it.
    void showStatus(const QString& text);
    // Runs an action on the GUI thread, unless the command has ended or gone by then: for readers
    // on a worker, which may outlive the command, so they hold a poster and not the command.
    class Poster {
    public:
        void operator()(std::function<void()> action) const;

    private:
        friend class Command;
        std::weak_ptr<Command* const> m_command;
    };
    Poster poster() const;
    // Starts the call as the command's current one, and `then` once it has finished.
    void await(std::unique_ptr<ServerCall> call, std::function<void(const ServerCall&)> then);
    // Starts a call beside those under way, and `then` once it has finished. Every call still
    // under way is dropped when the command ends.
    void awaitBeside(std::unique_ptr<ServerCall> call, std::function<void(const ServerCall&)> then);
    int callsBeside() const { return static_cast<int>(m_beside.size()); }
    // Runs another command as a step of this one: it says what it does through this one, its
    // failure or cancel is this one's, and `then` runs once it has finished.
    void await(std::unique_ptr<Command> step, std::function<void()> then);
    void finish();
    void fail(const QString& message, const QString& statusText = QString());

private:
    void dropCalls();

    std::unique_ptr<ServerCall> m_call;
    std::vector<std::unique_ptr<ServerCall>> m_beside;
    std::unique_ptr<Command> m_step;
    State m_state = State::Ready;
    std::shared_ptr<Command* const> m_self = std::make_shared<Command* const>(this);
};
