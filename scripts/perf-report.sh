#!/usr/bin/env bash
# Builds the benchmarks and prints the performance table (null audio, offscreen): the server's
# figures on loopback, then again on a link of 200 Mbit/s with 20 ms a request (the test server
# paces its replies), each beside its floor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" \
    --target library-bench playback-bench startup-bench hostile-bench sonaric-test-server >/dev/null
export QT_QPA_PLATFORM=offscreen
echo "| measure                                      |     figure     | target           |"
echo "|----------------------------------------------|----------------|------------------|"
build/library-bench 2>/dev/null
build/library-bench --link 25000000 20 2>/dev/null
build/playback-bench 2>/dev/null
# Start-up with a session bus of its own, then with none at all.
bus=$(mktemp)
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$bus"
DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p "$bus") build/startup-bench 2>/dev/null
kill "$(sed -n 2p "$bus")" 2>/dev/null || true
rm -f "$bus"
env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR build/startup-bench 2>/dev/null
# Hostile replies, each alone after a sign-in: memory, time to the refusal, what the user is told.
echo
build/hostile-bench 2>/dev/null
