#!/usr/bin/env bash
# Starts the client against the test server in a desktop session of its own (D-Bus, the AT-SPI
# registry, an X server) and reads its window through AT-SPI. Usage: atspi-check.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

"$build/sonaric-test-server" >"$work/url" &
for _ in $(seq 50); do [[ -s "$work/url" ]] && break; sleep 0.1; done
url=$(head -n1 "$work/url")

export APPDATA="$work/appdata" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$APPDATA/Windows Sonaric Client" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
digest=$(printf '%s' demo | sha256sum | cut -d' ' -f1)
printf '<settings>\r\n<servername>%s</servername>\r\n<username>demo</username>\r\n<password>%s</password>\r\n<autorefresh>1</autorefresh>\r\n<autoplay>0</autoplay>\r\n</settings>\r\n' \
    "$url" "$digest" >"$APPDATA/Windows Sonaric Client/settings.xml"

dbus-run-session -- bash -c '
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$2/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 50); do [[ -s "$2/display" ]] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$2/display")"
    "$0/sonaric-client" &
    client=$!
    timeout 90 /usr/bin/python3 "$1/atspi-reader.py" "Windows Sonaric Client"
    status=$?
    kill $client $xvfb 2>/dev/null
    wait
    exit $status
' "$build" "$here" "$work"
