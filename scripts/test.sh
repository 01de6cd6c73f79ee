#!/usr/bin/env bash
# Installs what is missing, builds everything in build/ and runs the whole test suite; then the
# same suite built with AddressSanitizer and UndefinedBehaviorSanitizer, and a one-minute fuzzing
# run of each reply and settings reader; then, where the Windows SDK is there, the Windows build
# under Wine. Any failure stops it with a non-zero exit.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build --parallel "$(nproc)"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 --parallel "$(nproc)")
bash scripts/sanitize.sh
bash scripts/fuzz.sh 60
# The Windows build under Wine, where the Windows SDK has been built (scripts/windows/sdk.sh).
if (source scripts/windows/common.sh && sdk_complete); then
  bash scripts/windows/test.sh
else
  echo "Windows stage skipped: no complete Windows SDK in" \
    "${SONARIC_WINDOWS_SDK:-$HOME/.cache/sonaric-windows-sdk} (bash scripts/windows/sdk.sh builds it)"
fi
