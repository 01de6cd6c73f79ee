#!/usr/bin/env bash
# Installs what is missing, builds everything in build/ and runs the whole test suite; then the
# same suite built with AddressSanitizer and UndefinedBehaviorSanitizer, and a one-minute fuzzing
# run of each reply and settings reader. Any failure stops it with a non-zero exit.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build --parallel "$(nproc)"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 --parallel "$(nproc)")
bash scripts/sanitize.sh
bash scripts/fuzz.sh 60
