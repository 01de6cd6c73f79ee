#!/usr/bin/env bash
# Tests the Windows build under Wine: the cross-built test executables (net, xml, server,
# settings, library, app, shell, dialogs, playback and the Windows platform suite) against test servers
# on 127.0.0.1, then the real client on an X server, signed in to the Windows test server, with a
# pixel check that its tree fills. Builds the SDK and the program first where needed. Prints the counts.
source "$(dirname "$0")/common.sh"
bash "$repo/scripts/windows/build.sh" >/dev/null

out="$repo/build-windows"
export WINEPREFIX="$out/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
gcc_dlls=$(dirname "$($host-gcc-posix -print-libgcc-file-name)")
export WINEPATH="$(windows_path "$sdk/qt6-win/bin");$(windows_path "$sdk/mpv-win/bin");$(windows_path "$sdk/deps/bin");$(windows_path "$gcc_dlls");$(windows_path /usr/$host/lib)"
export QT_PLUGIN_PATH="$(windows_path "$sdk/qt6-win/plugins")"
# Qt's messages on the console, not the debugger's channel, so tests can read them.
export QT_FORCE_STDERR_LOGGING=1
if [[ ! -f "$WINEPREFIX/.ready" ]]; then
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
  touch "$WINEPREFIX/.ready"
fi

work=$(mktemp -d)
cleanup() {
  wineserver -k 2>/dev/null || true
  kill $(jobs -p) 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# Wine's desktop process lives as long as its server and keeps the display it started with, so
# the X server comes first, for the tests and the window alike.
wineserver -k 2>/dev/null || true
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
for _ in $(seq 50); do [[ -s "$work/display" ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

ran=0 passed=0 failed=()
for suite in net xml server settings library commands app shell dialogs playback windows; do
  log="$work/$suite.log"
  status=0
  # The platform suite needs Windows' own windows, for the taskbar's messages to reach them (Wine
  # does not pass QT_QPA_PLATFORM on; the others start offscreen by default).
  platform=()
  [[ $suite == windows ]] && platform=(-platform windows)
  timeout 900 wine "$out/tests/${suite}_tests.exe" "${platform[@]}" >"$log" 2>&1 || status=$?
  n=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran.*/\1/p' "$log" | tr -d '\r')
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tr -d '\r')
  ran=$((ran + ${n:-0})) passed=$((passed + ${p:-0}))
  echo "windows: ${suite}_tests: ${p:-0} of ${n:-0} passed"
  if ((status != 0)) || [[ -z "$n" ]]; then
    grep -E '^\[  FAILED  \]|Failure' "$log" | head -20 || tail -20 "$log"
    failed+=("$suite")
  fi
done

# The program carries its icon and its version record.
ran=$((ran + 1))
resources=$(wrestool -l "$out/sonaric-client.exe" 2>/dev/null)
if grep -q "type=14" <<<"$resources" && grep -q "type=16" <<<"$resources"; then
  passed=$((passed + 1))
  echo "windows: sonaric-client.exe has its icon and version resources"
else
  echo "windows: sonaric-client.exe lacks its icon or version resource"
  failed+=("resources")
fi

# The setup program installs for the user alone, with a Start-menu shortcut.
bash "$repo/scripts/windows/package.sh" >/dev/null
setup=$(ls "$out"/Sonaric-Client-*-setup.exe)
wine "$setup" /S
local_appdata=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
installed="$local_appdata/Programs/Windows Sonaric Client"
shortcut="$appdata/Microsoft/Windows/Start Menu/Programs/Windows Sonaric Client.lnk"
ran=$((ran + 1))
if [[ -f "$installed/sonaric-client.exe" && -f "$installed/uninstall.exe" && -f "$shortcut" ]]; then
  passed=$((passed + 1))
  echo "windows: installed into $installed, with its Start-menu shortcut"
else
  echo "windows: the setup program did not install the client and its shortcut"
  failed+=("setup")
fi

# The installed program under Wine, with nothing but what the setup program put beside it: the
# settings file in Wine's %APPDATA%, the test server built for Windows, and the window on the X
# server.
wine "$out/sonaric-test-server.exe" >"$work/url" 2>/dev/null &
for _ in $(seq 100); do [[ -s "$work/url" ]] && break; sleep 0.2; done
url=$(head -n1 "$work/url" | tr -d '\r')
settings="$appdata/Windows Sonaric Client/settings.xml"
mkdir -p "$(dirname "$settings")"
[[ -f "$settings" ]] && cp "$settings" "$work/settings.saved"
digest=$(printf '%s' demo | sha256sum | cut -d' ' -f1)
printf '<settings>\r\n<servername>%s</servername>\r\n<username>demo</username>\r\n<password>%s</password>\r\n<autorefresh>1</autorefresh>\r\n<autoplay>0</autoplay>\r\n</settings>\r\n' \
  "$url" "$digest" >"$settings"
env -u WINEPATH -u QT_PLUGIN_PATH wine "$installed/sonaric-client.exe" >/dev/null 2>&1 &
client=$!
disown "$client"

# Dark pixels (text) in a part of the window, given as fractions of its width and height.
ink() {
  local shot=$1 w h x y
  read -r w h x y < <(convert "$shot" -fuzz 5% -trim -format "%w %h %X %Y\n" info: 2>/dev/null)
  x=${x#+} y=${y#+}
  ((w > 1 && h > 1)) || { echo 0; return; }
  convert "$shot" -crop "$(awk -v w="$w" -v h="$h" -v x="$x" -v y="$y" -v l="$2" -v t="$3" \
    -v r="$4" -v b="$5" 'BEGIN { printf "%dx%d+%d+%d", w*(r-l), h*(b-t), x+w*l, y+h*t }')" \
    -colorspace Gray -threshold 50% -format "%[fx:round(w*h*(1-mean))]" info: | cut -d. -f1
}
shot="$out/windows-client.png"
tree=0 list=0
for _ in $(seq 60); do
  sleep 1
  import -window root "$shot" 2>/dev/null || continue
  tree=$(ink "$shot" 0.05 0.45 0.45 0.85) list=$(ink "$shot" 0.53 0.45 0.93 0.85)
  ((tree > 5 * list + 200)) && break
done
echo "windows: client window: $tree dark pixels in the tree, $list in the empty song list ($shot)"
if ((tree > 5 * list + 200)); then
  passed=$((passed + 1))
else
  failed+=("client")
fi
ran=$((ran + 1))
# A running program keeps its DLLs from being deleted, as on Windows.
wine taskkill /F /IM sonaric-client.exe >/dev/null 2>&1 || true
for _ in $(seq 50); do kill -0 "$client" 2>/dev/null || break; sleep 0.2; done

# The uninstaller takes the program and its shortcut, and leaves the user's settings.
wine "$installed/uninstall.exe" /S "_?=$(winepath -w "$installed")" || true
for _ in $(seq 100); do [[ -e "$installed/sonaric-client.exe" ]] || break; sleep 0.2; done
ran=$((ran + 1))
if [[ ! -e "$installed/sonaric-client.exe" && ! -e "$shortcut" && -f "$settings" ]]; then
  passed=$((passed + 1))
  echo "windows: uninstalled; the settings file stays"
else
  echo "windows: the uninstaller left the program or its shortcut, or took the settings:"
  ls -d "$installed/sonaric-client.exe" "$shortcut" "$settings" 2>&1 | sed 's/^/  /'
  failed+=("uninstall")
fi
if [[ -f "$work/settings.saved" ]]; then cp "$work/settings.saved" "$settings"; else rm -f "$settings"; fi

echo "windows: $passed passed, $((ran - passed)) failed${failed[*]:+ (${failed[*]})}"
((${#failed[@]} == 0))
