#!/usr/bin/env bash
# Builds the Windows release: build-win/dist/VimoChess-VERSION-win32.zip (under $VIMOCHESS_WIN_BUILD
# when set), holding VimoChess.exe and vimochess-uci.exe (32-bit, from build-win/),
# vimochess-uci-x64.exe (the 64-bit engine, from build-win64/), README.txt (docs/windows-readme.txt
# with Windows line ends) and SHA256SUMS; the same files lie unzipped beside it. Installs what it
# needs first (scripts/setup.sh --win). Runs none of the programs, so it works on any host.
#
# Reproducible: the same sources give the same bytes in any folder, at any time. The files in the
# zip carry the time of the last commit (or $SOURCE_DATE_EPOCH), in a fixed order and with fixed
# permissions; the executables carry no time stamp (see CMakeLists.txt).
#
# Refuses to package executables of the wrong format, that need a DLL beyond Windows' own, that
# were built with assertions, or that hold no SSE2 code; and 32-bit ones that are not
# large-address-aware.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
build=$(win_build 32)
build64=$(win_build 64)
fail() { echo "package: $*" >&2; exit 1; }
[ $# -eq 0 ] || { echo "usage: scripts/package.sh (no arguments)" >&2; exit 2; }

version=$(sed -n 's/^const char\* const windowTitle = "VimoChess \(.*\)";$/\1/p' "$root/ui/main_window.cpp")
[ -n "$version" ] || fail "no version in the window title of ui/main_window.cpp"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null) ||
    fail "not a git clone: set SOURCE_DATE_EPOCH to the sources' time (seconds since 1970)"
fi
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] && [ "$SOURCE_DATE_EPOCH" -ge 315532800 ] ||
  fail "SOURCE_DATE_EPOCH '$SOURCE_DATE_EPOCH' is no time a zip can hold (seconds since 1970, from 1980 on)"

export SOURCE_DATE_EPOCH
"$root/scripts/setup.sh" --win
require_commands zip
"$root/scripts/build-win.sh" VimoChess vimochess-uci
"$root/scripts/build-win.sh" --64 vimochess-uci

name=VimoChess-$version-win32
dist=$build/dist
files=$dist/$name
rm -rf "$dist"
mkdir -p "$files"
cp "$build/ui/VimoChess.exe" "$build/vimochess-uci.exe" "$files/"
cp "$build64/vimochess-uci.exe" "$files/vimochess-uci-x64.exe"
sed 's/\r*$/\r/' "$root/docs/windows-readme.txt" >"$files/README.txt"

check_windows_exe "$files/VimoChess.exe" 32 || exit 1
check_windows_exe "$files/vimochess-uci.exe" 32 || exit 1
check_windows_exe "$files/vimochess-uci-x64.exe" 64 || exit 1

cd "$files"
programs=(VimoChess.exe vimochess-uci.exe vimochess-uci-x64.exe)
sha256sum "${programs[@]}" README.txt >SHA256SUMS
chmod 0755 "${programs[@]}"
chmod 0644 README.txt SHA256SUMS
touch -d "@$SOURCE_DATE_EPOCH" README.txt SHA256SUMS "${programs[@]}"
TZ=UTC zip -q -X -D "$dist/$name.zip" README.txt SHA256SUMS "${programs[@]}"
echo "package: $dist/$name.zip"
