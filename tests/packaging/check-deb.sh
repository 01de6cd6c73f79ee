#!/usr/bin/env bash
# Builds the .deb from a build folder, unpacks it into a temporary root as dpkg would install it,
# and checks its files, its dependencies and its desktop file.
set -euo pipefail
build=$1
root=$(mktemp -d)
out=$(mktemp -d)
trap 'rm -rf "$root" "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/sonaric-client_*.deb)
dpkg-deb -x "$deb" "$root"
for file in usr/bin/sonaric-client usr/share/applications/sonaric-client.desktop \
            usr/share/icons/hicolor/scalable/apps/sonaric-client.svg; do
    [[ -e "$root/$file" ]] || { echo "missing from the package: $file"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libmpv2 libpugixml1v5; do
    [[ "$depends" == *"$library"* ]] || { echo "no dependency on $library"; exit 1; }
done
desktop-file-validate "$root/usr/share/applications/sonaric-client.desktop"
grep -qx 'Name=Windows Sonaric Client' "$root/usr/share/applications/sonaric-client.desktop"
echo "1 passed, 0 failed"
