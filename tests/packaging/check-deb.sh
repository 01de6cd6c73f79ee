#!/usr/bin/env bash
# Builds the .deb from a build folder and checks it as a distribution would: lintian (pedantic,
# no error or warning), the AppStream metadata, the desktop file, the files a desktop and a user
# expect, its dependencies, and a stripped binary with the usual hardening.
set -euo pipefail
build=$1
for tool in lintian appstreamcli desktop-file-validate readelf; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"
        exit 77
    fi
done
root=$(mktemp -d)
out=$(mktemp -d)
trap 'rm -rf "$root" "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/sonaric-client_*.deb)
dpkg-deb -x "$deb" "$root"
failed=0
fail() { echo "FAILED: $*"; failed=1; }

report=$(lintian -I -E --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[[ -n "$report" ]] && echo "$report"
grep -qE '^[EW]: ' <<<"$report" && fail "lintian reports errors or warnings"

share=usr/share
for file in usr/bin/sonaric-client $share/applications/sonaric-client.desktop \
            $share/metainfo/org.sonaric.client.metainfo.xml \
            $share/icons/hicolor/scalable/apps/sonaric-client.svg \
            $share/man/man1/sonaric-client.1.gz \
            $share/doc/sonaric-client/copyright $share/doc/sonaric-client/changelog.gz; do
    [[ -e "$root/$file" ]] || fail "missing from the package: $file"
done
for size in 16 24 32 48 64 128 256; do
    icon=$root/$share/icons/hicolor/${size}x${size}/apps/sonaric-client.png
    [[ -e "$icon" ]] || { fail "no ${size}x${size} icon"; continue; }
    # The PNG header holds the width and height as big-endian words at bytes 16 and 20.
    word="0 0 $((size / 256)) $((size % 256))"
    [[ "$(od -An -tu1 -j16 -N8 "$icon" | xargs)" == "$word $word" ]] ||
        fail "the ${size}x${size} icon has another size"
done

appstreamcli validate --pedantic --no-net "$root/$share/metainfo/org.sonaric.client.metainfo.xml" ||
    fail "AppStream metadata"
desktop-file-validate "$root/$share/applications/sonaric-client.desktop" || fail "desktop file"
grep -qx 'Name=Windows Sonaric Client' "$root/$share/applications/sonaric-client.desktop" ||
    fail "desktop file name"

# Lintian's hardening checks cover the fortified functions, which only some calls need.
binary=$root/usr/bin/sonaric-client
sections=$(readelf -S "$binary")
dynamic=$(readelf -d "$binary")
symbols=$(readelf -sW --dyn-syms "$binary")
grep -qE '\.(debug_|symtab)' <<<"$sections" && fail "the binary is not stripped"
grep -qE 'BIND_NOW|FLAGS_1.*NOW' <<<"$dynamic" || fail "the binary lacks BIND_NOW"
grep -q 'FLAGS_1.*PIE' <<<"$dynamic" || fail "the binary is not position-independent"
grep -q '__stack_chk_fail' <<<"$symbols" || fail "no stack protector"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libmpv2 libpugixml1v5; do
    [[ "$depends" == *"$library"* ]] || fail "no dependency on $library"
done
[[ "$(dpkg-deb -f "$deb" Section)" == sound && "$(dpkg-deb -f "$deb" Priority)" == optional ]] ||
    fail "section or priority"

if ((failed)); then
    echo "0 passed, 1 failed"
    exit 1
fi
echo "1 passed, 0 failed"
