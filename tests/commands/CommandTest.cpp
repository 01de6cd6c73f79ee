#include "CommandRunner.h"
#include "Eventually.h"
#include "ScriptedSession.h"
#include "SessionState.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

constexpr char Answer[] = "<root/>";

// A command made of the steps a test gives it.
class ScriptedCommand : public Command {
public:
    using Command::await;
    using Command::awaitBeside;
    using Command::callsBeside;
    using Command::fail;
    using Command::finish;
    using Command::Poster;
    using Command::poster;
    using Command::showStatus;

    std::function<void(ScriptedCommand&)> onRun;
    int restored = 0;

protected:
    void run() override {
        if (onRun)
            onRun(*this);
    }
    void restore() override { ++restored; }
};

// Every signal of a runner and its command, in the order they came.
class Log : public QObject {
public:
    QStringList entries;

    void watch(CommandRunner& runner) {
        connect(&runner, &CommandRunner::busyChanged, this,
                [this](bool busy) { entries << (busy ? "busy" : "idle"); });
        connect(&runner, &CommandRunner::statusTextChanged, this,
                [this](const QString& text) { entries << "status " + text; });
        connect(&runner, &CommandRunner::passingStatusTextChanged, this,
                [this](const QString& text) { entries << "passing " + text; });
        connect(&runner, &CommandRunner::failureReported, this,
                [this](const QString& message) { entries << "report " + message; });
        connect(&runner, &CommandRunner::ended, this, [this] { entries << "ended"; });
    }
};

class Commands : public ::testing::Test {
protected:
    SessionState state;
    ScriptedSession session{state};
    CommandRunner runner;
    Log log;

    Commands() { log.watch(runner); }

    std::unique_ptr<ServerCall> request() {
        return session.request([](const SessionState&) { return QUrl("http://server/"); }, {},
                               ServerCall::OnLapse::SignInAgain);
    }
    // Runs a command that asks one call, then a second call and two beside it, and finishes once
    // all have answered.
    ScriptedCommand* runSteps() {
        auto command = std::make_unique<ScriptedCommand>();
        ScriptedCommand* steps = command.get();
        steps->onRun = [this](ScriptedCommand& c) {
            c.showStatus("first");
            c.await(request(), [this, &c](const ServerCall&) {
                c.showStatus("second");
                for (int i = 0; i < 2; ++i)
                    c.awaitBeside(request(), [&c](const ServerCall&) {
                        if (c.callsBeside() == 0)
                            c.finish();
                    });
                c.await(request(), [](const ServerCall&) {});
            });
        };
        EXPECT_TRUE(runner.run(std::move(command)));
        return steps;
    }
    void answerAll() {
        while (!session.fetching().empty())
            session.fetching().front()->answer(Answer);
    }
};

// Busy first; a report comes once the program is idle, its status text after it, and the end
// last, once; the command goes once its own signal has returned.
TEST_F(Commands, TheRunnerSaysWhatGoesOnInOrder) {
    QPointer<ScriptedCommand> steps = runSteps();
    EXPECT_FALSE(runner.run(std::make_unique<ScriptedCommand>()));
    answerAll();
    EXPECT_EQ(log.entries, (QStringList{"busy", "status first", "status second", "idle", "ended"}));
    EXPECT_FALSE(runner.isRunning());
    EXPECT_TRUE(eventually([&] { return steps.isNull(); }));

    log.entries.clear();
    auto failing = std::make_unique<ScriptedCommand>();
    failing->onRun = [](ScriptedCommand& c) {
        c.fail("It broke.", "Failed");
        c.fail("Again.");
        c.showStatus("after the end");
        c.finish();
    };
    runner.run(std::move(failing));
    EXPECT_EQ(log.entries,
              (QStringList{"busy", "idle", "report It broke.", "status Failed", "ended"}));
}

// A cancel at any step ends the command at once and once, gives back what it changed, drops
// every call under way, and lets nothing that was under way, or posted, through afterwards.
TEST_F(Commands, ACancelAtAnyStepLetsNothingThroughAfterIt) {
    for (int answered = 0; answered <= 2; ++answered) {
        log.entries.clear();
        QPointer<ScriptedCommand> steps = runSteps();
        for (int i = 0; i < answered; ++i)
            session.fetching().front()->answer(Answer);
        bool lateActionRan = false;
        steps->poster()([&] { lateActionRan = true; });
        runner.cancel();
        runner.cancel();
        EXPECT_TRUE(session.fetching().empty()) << answered;
        EXPECT_EQ(steps->restored, 1);
        steps->fail("Too late.");
        steps->finish();
        steps->showStatus("too late");
        QCoreApplication::processEvents();
        EXPECT_FALSE(lateActionRan);
        const QStringList before = answered == 0
                                       ? QStringList{"busy", "status first"}
                                       : QStringList{"busy", "status first", "status second"};
        EXPECT_EQ(log.entries, before + QStringList({"passing Cancelled", "idle", "ended"}))
            << answered;
        EXPECT_TRUE(eventually([&] { return steps.isNull(); }));
    }
}

// A call ended by another's cancel is the user's cancel; a step's failure is the command's, and
// a step's cancel too; the runner's end cancels what still runs.
TEST_F(Commands, StepsAndCallsEndTheirCommand) {
    QPointer<ScriptedCommand> steps = runSteps();
    session.fetching().front()->cancel();
    EXPECT_TRUE(log.entries.endsWith("ended"));
    EXPECT_EQ(steps->restored, 1);

    for (bool stepFails : {true, false}) {
        log.entries.clear();
        auto outer = std::make_unique<ScriptedCommand>();
        ScriptedCommand* inner = nullptr;
        outer->onRun = [&](ScriptedCommand& c) {
            auto step = std::make_unique<ScriptedCommand>();
            inner = step.get();
            step->onRun = [this](ScriptedCommand& s) {
                s.showStatus("inner");
                s.await(request(), [](const ServerCall&) {});
            };
            c.await(std::move(step), [&c] { c.finish(); });
        };
        runner.run(std::move(outer));
        if (stepFails)
            inner->fail("Inner broke.", "Failed");
        else
            inner->cancel();
        const QStringList end = stepFails
                                    ? QStringList{"idle", "report Inner broke.", "status Failed"}
                                    : QStringList{"passing Cancelled", "passing Cancelled", "idle"};
        EXPECT_EQ(log.entries, QStringList({"busy", "status inner"}) + end + QStringList("ended"));
        EXPECT_TRUE(session.fetching().empty());
    }

    {
        CommandRunner closing;
        auto command = std::make_unique<ScriptedCommand>();
        command->onRun = [this](ScriptedCommand& c) { c.await(request(), {}); };
        closing.run(std::move(command));
        ASSERT_EQ(session.fetching().size(), 1u);
    }
    EXPECT_TRUE(session.fetching().empty());
}

} // namespace
