#!/usr/bin/env bash
# Builds what the Windows client needs into $SONARIC_WINDOWS_SDK (default
# ~/.cache/sonaric-windows-sdk), each piece once, printing how long each took: Qt, libmpv with
# ffmpeg, libass, freetype, fribidi and harfbuzz, pugixml, expat, GoogleTest, and zlib, brotli and zstd
# for the test server. All from Debian's source packages with mingw-w64 (posix threads); the
# prebuilt Qt and libmpv in ../shared/windows-sdk are used instead where they are there.
source "$(dirname "$0")/common.sh"
install_windows_packages
mkdir -p "$sdk/deps"

toolchain="$sdk/toolchain.cmake"
cat >"$toolchain" <<TOOLCHAIN
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host $sdk/qt6-win $sdk/deps)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

cross_file="$sdk/meson-cross.ini"
cat >"$cross_file" <<CROSS
[binaries]
c = '$host-gcc-posix'
cpp = '$host-g++-posix'
ar = '$host-ar'
strip = '$host-strip'
windres = '$host-windres'
pkgconfig = 'pkg-config'
exe_wrapper = 'wine'

[properties]
pkg_config_libdir = '$sdk/mpv-win/lib/pkgconfig'

[host_machine]
system = 'windows'
cpu_family = 'x86_64'
cpu = 'x86_64'
endian = 'little'
CROSS

# A CMake project from a Debian source package ("package" or "package:subfolder"), cross-built
# into deps/.
cmake_piece() {
  local source
  source=$(debian_source "${1%%:*}")
  [[ "$1" == *:* ]] && source="$source/${1#*:}"
  shift
  local build="$sdk/build/$(basename "$source")"
  quietly "$build.log" cmake -G Ninja -S "$source" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$sdk/deps" "$@"
  quietly "$build.log" cmake --build "$build" --parallel "$jobs"
  quietly "$build.log" cmake --install "$build"
}

# Unpacks the prebuilt archive of a piece into the SDK when ../shared/windows-sdk has it; false
# when it does not, so that the piece is built from source.
unpack_prebuilt() {
  local name=$1 archive
  archive=$(ls "$shared_sdk"/$2 2>/dev/null || true)
  [[ -n "$archive" ]] || return 1
  echo "$name: unpacking the prebuilt copy $archive"
  tar -xJf "$archive" -C "$sdk"
}

# Without OpenGL, dynamic GL has to be switched off too: the windows platform plugin of 6.4.2
# otherwise refers to OpenGL classes that are not built.
build_qt() {
  unpack_prebuilt qt qtbase-6.4.2-win64-mingw-posix.tar.xz && return
  local source
  source=$(debian_source qt6-base)
  quietly "$sdk/build/qtbase.log" cmake -G Ninja -S "$source" -B "$sdk/build/qtbase" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$sdk/qt6-win" -DCMAKE_BUILD_TYPE=Release \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF \
    -DFEATURE_sql=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_openssl=OFF -DFEATURE_schannel=ON -DFEATURE_printsupport=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF
  quietly "$sdk/build/qtbase.log" cmake --build "$sdk/build/qtbase" --parallel "$jobs"
  quietly "$sdk/build/qtbase.log" cmake --install "$sdk/build/qtbase"
}

# One engine on every system: libmpv with an ffmpeg that knows the audio formats and the
# http(s) protocols a stream needs (TLS through Schannel), no devices and nothing else.
meson_piece() {
  local source
  source=$(debian_source "$1")
  shift
  rm -rf "$sdk/build/$(basename "$source")"
  local build="$sdk/build/$(basename "$source")"
  (cd "$source" && quietly "$build.log" env PKG_CONFIG_LIBDIR="$sdk/mpv-win/lib/pkgconfig" \
    meson setup "$build" --cross-file "$cross_file" --prefix "$sdk/mpv-win" \
    --buildtype=release --default-library=shared "$@")
  quietly "$build.log" ninja -C "$build" install
}

build_mpv() {
  if unpack_prebuilt mpv libmpv-0.35.1-win64-mingw-posix.tar.xz; then
    # Its .pc files name the folder it was built in.
    sed -i "s|/opt/mpv-win|$sdk/mpv-win|g" "$sdk"/mpv-win/lib/pkgconfig/*.pc
    return
  fi
  local step=$SECONDS source
  meson_piece fribidi -Ddocs=false
  echo "  fribidi $((SECONDS - step)) s"; step=$SECONDS
  meson_piece freetype -Dzlib=disabled -Dpng=disabled -Dbrotli=disabled -Dbzip2=disabled \
    -Dharfbuzz=disabled
  echo "  freetype $((SECONDS - step)) s"; step=$SECONDS
  meson_piece harfbuzz -Dglib=disabled -Dgobject=disabled -Dcairo=disabled -Dicu=disabled \
    -Dgraphite=disabled -Dfreetype=enabled -Dtests=disabled -Ddocs=disabled \
    -Dintrospection=disabled -Dbenchmark=disabled -Dchafa=disabled
  echo "  harfbuzz $((SECONDS - step)) s"; step=$SECONDS
  source=$(debian_source libass)
  [[ -x "$source/configure" ]] || (cd "$source" && quietly "$sdk/build/libass.log" autoreconf -fi)
  (cd "$source" && quietly "$sdk/build/libass.log" env PKG_CONFIG_LIBDIR="$sdk/mpv-win/lib/pkgconfig" \
    ./configure --host=$host --prefix="$sdk/mpv-win" CC=$host-gcc-posix --disable-static \
    --enable-shared --disable-fontconfig --disable-require-system-font-provider --disable-asm &&
    quietly "$sdk/build/libass.log" make -j"$jobs" install)
  echo "  libass $((SECONDS - step)) s"; step=$SECONDS
  source=$(debian_source ffmpeg)
  (cd "$source" && quietly "$sdk/build/ffmpeg.log" ./configure --prefix="$sdk/mpv-win" --target-os=mingw32 --arch=x86_64 \
    --cross-prefix=$host- --cc=$host-gcc-posix --cxx=$host-g++-posix --enable-shared \
    --disable-static --disable-programs --disable-doc --disable-debug --disable-autodetect \
    --enable-schannel --disable-everything --enable-avcodec --enable-avformat --enable-avutil \
    --enable-swresample --enable-swscale --enable-avfilter \
    --enable-decoder=mp3,mp3float,mp2,aac,aac_latm,flac,vorbis,opus,alac,wavpack,pcm_s16le,pcm_s24le,pcm_s32le,pcm_f32le,pcm_u8,pcm_s16be,pcm_mulaw,pcm_alaw \
    --enable-demuxer=mp3,aac,flac,ogg,wav,mov,matroska,wv,asf,au,aiff \
    --enable-parser=mpegaudio,aac,flac,vorbis,opus \
    --enable-protocol=http,https,tcp,tls,httpproxy \
    --enable-filter=aresample,aformat,anull,volume,scaletempo,atempo,format,null,scale,abuffer,abuffersink,buffer,buffersink,lavfi \
    --enable-bsf=aac_adtstoasc && quietly "$sdk/build/ffmpeg.log" make -j"$jobs" install)
  echo "  ffmpeg $((SECONDS - step)) s"; step=$SECONDS
  meson_piece mpv -Dauto_features=disabled -Dlibmpv=true -Dcplayer=false -Dbuild-date=false \
    -Dgl=disabled -Dwasapi=enabled -Dwin32-internal-pthreads=enabled -Diconv=disabled
  echo "  mpv $((SECONDS - step)) s"
}

piece qt build_qt
piece mpv build_mpv
piece pugixml cmake_piece pugixml -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF
# Debian's security fixes to expat test XML_DTD by value, which its CMake build defines empty; the
# client refuses every entity a reply declares, so it needs no DTD processing.
piece expat cmake_piece expat:expat -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
  -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_DTD=OFF
piece googletest cmake_piece googletest -DBUILD_SHARED_LIBS=OFF -DBUILD_GMOCK=OFF \
  -Dgtest_force_shared_crt=ON
# Debian's zlib source leaves out the Windows resource file its CMake build wants.
build_zlib() {
  local source
  source=$(debian_source zlib)
  (cd "$source" && quietly "$sdk/build/zlib.log" env CC=$host-gcc-posix AR=$host-ar \
    RANLIB=$host-ranlib CHOST=$host ./configure --prefix="$sdk/deps" --static &&
    quietly "$sdk/build/zlib.log" make -j"$jobs" libz.a &&
    quietly "$sdk/build/zlib.log" make install)
}

# The test server's HTTP library is a single header.
build_httplib() {
  local source
  source=$(debian_source cpp-httplib)
  mkdir -p "$sdk/deps/include"
  cp "$source/httplib.h" "$sdk/deps/include/"
}

piece zlib build_zlib
piece httplib build_httplib
piece brotli cmake_piece brotli -DBUILD_SHARED_LIBS=ON -DBROTLI_DISABLE_TESTS=ON
piece zstd cmake_piece libzstd:build/cmake -DZSTD_BUILD_STATIC=ON -DZSTD_BUILD_SHARED=OFF \
  -DZSTD_BUILD_PROGRAMS=OFF -DZSTD_BUILD_TESTS=OFF -DZSTD_MULTITHREAD_SUPPORT=OFF
echo "SDK ready in $sdk ($(du -sh "$sdk" | cut -f1) with sources and build folders)"
