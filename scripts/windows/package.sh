#!/usr/bin/env bash
# Gathers the Windows client with every DLL it imports (found from the import tables, with the
# Qt plugins it loads and theirs) into build-windows/stage, and builds the setup program
# build-windows/Sonaric-Client-<version>-setup.exe with NSIS.
source "$(dirname "$0")/common.sh"
bash "$repo/scripts/windows/build.sh" >/dev/null
out="$repo/build-windows"
stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage"

gcc_dlls=$(dirname "$($host-gcc-posix -print-libgcc-file-name)")
search=("$sdk/qt6-win/bin" "$sdk/mpv-win/bin" "$sdk/deps/bin" "$gcc_dlls" "/usr/$host/lib")

# Copies the DLLs a file imports, and theirs, into the stage; DLLs found in none of the
# search folders are Windows' own.
copy_imports() {
  local dll found dir
  while read -r dll; do
    [[ -f "$stage/$dll" ]] && continue
    found=""
    for dir in "${search[@]}"; do
      if [[ -f "$dir/$dll" ]]; then
        found="$dir/$dll"
        break
      fi
    done
    [[ -n "$found" ]] || continue
    cp "$found" "$stage/"
    copy_imports "$stage/$dll"
  done < <($host-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p')
}

cp "$out/sonaric-client.exe" "$stage/"
copy_imports "$stage/sonaric-client.exe"
# What Qt loads at run time rather than imports: the window system, the native style, TLS for
# https, and the icon reader.
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll tls/qschannelbackend.dll \
  tls/qcertonlybackend.dll imageformats/qico.dll; do
  mkdir -p "$stage/$(dirname "$plugin")"
  cp "$sdk/qt6-win/plugins/$plugin" "$stage/$plugin"
  copy_imports "$stage/$plugin"
done
$host-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll

version=$(sed -n 's/^project(SonaricClient VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
setup="$out/Sonaric-Client-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  "$repo/packaging/windows/installer.nsi"
echo "$setup: $(du -h "$setup" | cut -f1), $(find "$stage" -type f | wc -l) files ($(du -sh "$stage" | cut -f1) installed)"
