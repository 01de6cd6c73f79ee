#!/usr/bin/env bash
# Builds the benchmarks and prints the performance table (loopback, null audio, offscreen).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" \
    --target library-bench playback-bench startup-bench sonaric-test-server >/dev/null
export QT_QPA_PLATFORM=offscreen
echo "| measure                                      |     figure     | target           |"
echo "|----------------------------------------------|----------------|------------------|"
build/library-bench 2>/dev/null
build/playback-bench 2>/dev/null
build/startup-bench 2>/dev/null
