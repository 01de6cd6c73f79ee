# Cross-builds for 64-bit Windows with Debian's mingw-w64 compilers (posix threads). The SDK
# folder (scripts/windows/sdk.sh) comes from the environment's SONARIC_WINDOWS_SDK, which CMake
# also hands to the checks it compiles.
set(SONARIC_WINDOWS_SDK $ENV{SONARIC_WINDOWS_SDK})
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${SONARIC_WINDOWS_SDK}/qt6-win
    ${SONARIC_WINDOWS_SDK}/mpv-win ${SONARIC_WINDOWS_SDK}/deps)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config looks only at the SDK's own .pc files.
set(ENV{PKG_CONFIG_LIBDIR}
    "${SONARIC_WINDOWS_SDK}/mpv-win/lib/pkgconfig:${SONARIC_WINDOWS_SDK}/deps/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
