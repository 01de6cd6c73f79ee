#pragma once

#include <QTest>

// Runs the event loop until the condition holds, for at most the given time. GoogleTest checks
// the result; Qt's QTRY macros would report a failure only to QtTest, which is not running here.
template <typename Condition> bool eventually(Condition condition, int milliseconds = 5000) {
    return QTest::qWaitFor(condition, milliseconds);
}
