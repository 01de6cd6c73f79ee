#!/usr/bin/env bash
# Installs what is missing, builds everything in build/ and runs the whole test suite; then the
# same suite built with AddressSanitizer and UndefinedBehaviorSanitizer, and a one-minute fuzzing
# run of each reply and settings reader; then the Windows build under Wine, wherever its SDK is
# built or can be built from the prebuilt pieces. Any failure stops it with a non-zero exit.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build --parallel "$(nproc)"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 --parallel "$(nproc)")
bash scripts/sanitize.sh
bash scripts/fuzz.sh 60
# The Windows build under Wine, wherever it can be built: with an SDK already built, or with the
# prebuilt Qt and libmpv of ../shared/windows-sdk, from which scripts/windows/build.sh builds it.
if (source scripts/windows/common.sh && { sdk_complete || prebuilt_present; }); then
  bash scripts/windows/test.sh
else
  echo "Windows stage skipped: no complete Windows SDK in" \
    "${SONARIC_WINDOWS_SDK:-$HOME/.cache/sonaric-windows-sdk} and no prebuilt Qt and libmpv in" \
    "${SONARIC_PREBUILT_SDK:-../shared/windows-sdk} (bash scripts/windows/sdk.sh builds it all)"
fi
