#!/usr/bin/env bash
# Builds the client, starts the bundled test server with its demo catalogue, and opens the client
# signed in to it (user "demo", password "demo"). Closing the client stops the server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target sonaric-client sonaric-test-server

work=$(mktemp -d)
server_pid=""
cleanup() {
    [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

build/sonaric-test-server --user demo --password demo >"$work/url" &
server_pid=$!
for _ in $(seq 50); do
    [[ -s "$work/url" ]] && break
    sleep 0.1
done
url=$(head -n1 "$work/url")
[[ -n "$url" ]] || { echo "the test server did not start" >&2; exit 1; }
echo "Demo server: $url (user demo, password demo)"

# The settings file the client reads at start-up, with the digest of the password.
export APPDATA="$work/appdata"
mkdir -p "$APPDATA/Windows Sonaric Client"
digest=$(printf '%s' demo | sha256sum | cut -d' ' -f1)
printf '<settings>\r\n<servername>%s</servername>\r\n<username>demo</username>\r\n<password>%s</password>\r\n<autorefresh>1</autorefresh>\r\n<autoplay>1</autoplay>\r\n</settings>\r\n' \
    "$url" "$digest" >"$APPDATA/Windows Sonaric Client/settings.xml"

if [[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: running under xvfb-run." >&2
    xvfb-run -a -s "-screen 0 1280x800x24" build/sonaric-client
else
    build/sonaric-client
fi
