#!/usr/bin/env bash
# Cross-builds the Windows client, the test server and the test executables into build-windows/
# with the SDK of scripts/windows/sdk.sh (built first when it is not complete).
source "$(dirname "$0")/common.sh"
install_windows_packages
sdk_complete || bash "$repo/scripts/windows/sdk.sh"
cmake -G Ninja -S "$repo" -B "$repo/build-windows" \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-posix.cmake" \
  -DCMAKE_PREFIX_PATH="$sdk/qt6-win;$sdk/deps" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
cmake --build "$repo/build-windows" --parallel "$jobs"
