# Shared by the Windows scripts: where the SDK lives, the compilers, and Debian source packages
# fetched through a private apt configuration (the machine's own sources stay as they are).
set -euo pipefail
shopt -s inherit_errexit
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export SONARIC_WINDOWS_SDK=${SONARIC_WINDOWS_SDK:-$HOME/.cache/sonaric-windows-sdk}
sdk=$SONARIC_WINDOWS_SDK
# Prebuilt Qt and libmpv, used instead of building them where they are there.
shared_sdk=${SONARIC_PREBUILT_SDK:-$repo/../shared/windows-sdk}
host=x86_64-w64-mingw32
jobs=$(nproc)

windows_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  ninja-build meson nasm pkg-config cmake dpkg-dev
  qt6-base-dev qt6-base-dev-tools
  wine wine64 xvfb xauth nsis icoutils librsvg2-bin imagemagick
)

install_windows_packages() {
  local missing=() p status
  for p in "${windows_packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
  done
  if ((${#missing[@]})); then
    local sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# Unpacks Debian's source package $1 into $sdk/src/$1 and prints that folder.
debian_source() {
  local package=$1 apt="$sdk/apt" dir="$sdk/src/$1"
  if [[ ! -f "$dir/.unpacked" ]]; then
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d" "$dir"
    if [[ ! -f "$apt/.updated" ]]; then
      # The machine's own Debian sources, as source repositories; the security archive keeps
      # no sources, so its entries are left out.
      awk -v RS= -v ORS='\n\n' '!/-security/' /etc/apt/sources.list.d/debian.sources |
        sed 's/^Types: deb$/Types: deb-src/' >"$apt/sources.list.d/debian-src.sources"
      : >"$apt/sources.list"
      apt-get "${apt_options[@]}" update -qq >/dev/null 2>&1
      touch "$apt/.updated"
    fi
    (cd "$dir" && apt-get "${apt_options[@]}" source -qq "$package" >"$dir/.log" 2>&1) ||
      { cat "$dir/.log" >&2; return 1; }
    touch "$dir/.unpacked"
  fi
  find "$dir" -mindepth 1 -maxdepth 1 -type d | head -n1
}
apt_options=(-o "Dir::Etc::SourceList=$sdk/apt/sources.list"
             -o "Dir::Etc::SourceParts=$sdk/apt/sources.list.d"
             -o "Dir::State::Lists=$sdk/apt/lists"
             -o "Dir::Cache=$sdk/apt/cache")

# Runs a command with its output in a log file, shown only when it fails.
quietly() {
  local log=$1
  shift
  mkdir -p "$(dirname "$log")"
  "$@" >"$log" 2>&1 || { tail -n 30 "$log" >&2; return 1; }
}

# Runs a step once, timing it; a marker file records that it is done.
piece() {
  local name=$1
  shift
  if [[ -f "$sdk/.done-$name" ]]; then
    echo "$name: already built"
    return
  fi
  local start=$SECONDS
  "$@"
  touch "$sdk/.done-$name"
  echo "$name: built in $((SECONDS - start)) s"
}

# Whether ../shared/windows-sdk holds the prebuilt Qt and libmpv, with which the rest of the SDK
# builds in a few minutes.
prebuilt_present() {
  [[ -f "$shared_sdk/qtbase-6.4.2-win64-mingw-posix.tar.xz" &&
     -f "$shared_sdk/libmpv-0.35.1-win64-mingw-posix.tar.xz" ]]
}

sdk_complete() {
  local name
  for name in qt mpv pugixml expat googletest zlib httplib brotli zstd; do
    [[ -f "$sdk/.done-$name" ]] || return 1
  done
}
