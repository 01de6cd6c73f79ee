#!/usr/bin/env bash
# The GUI thread never waits for a worker: no condition variable, no join, no wait on a thread,
# a future or a pool anywhere in the program's sources. Readers stop on their own workers.
set -u
src="$(dirname "$0")/../../src"
found=$(grep -rnE 'condition_variable|\.wait\(|->wait\(|waitForDone|\.join\(\)|QFuture|QSemaphore|QWaitCondition' "$src")
if [ -n "$found" ]; then
  echo "A wait on a worker in the program's sources:"
  echo "$found"
  exit 1
fi
echo "no wait on a worker in $src"
