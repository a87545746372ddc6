#!/usr/bin/env bash
# Builds the Windows release: build-win/dist/VimoChess-VERSION-win32.zip (under $VIMOCHESS_WIN_BUILD
# when set), holding VimoChess.exe, vimochess-uci.exe, README.txt (docs/windows-readme.txt with
# Windows line ends) and SHA256SUMS; the same files lie unzipped beside it. Installs what it
# needs first (scripts/setup.sh --win).
#
# Reproducible: the same sources give the same bytes in any folder, at any time. The files in the
# zip carry the time of the last commit (or $SOURCE_DATE_EPOCH), in a fixed order and with fixed
# permissions; the executables carry no time stamp (see CMakeLists.txt).
#
# Refuses to package executables that need a DLL beyond Windows' own, that were built with
# assertions, or that hold no SSE2 code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
build=${VIMOCHESS_WIN_BUILD:-$root/build-win}
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
require_commands zip i686-w64-mingw32-objdump
VIMOCHESS_WIN_BUILD=$build "$root/scripts/build-win.sh" VimoChess vimochess-uci

name=VimoChess-$version-win32
dist=$build/dist
files=$dist/$name
rm -rf "$dist"
mkdir -p "$files"
cp "$build/ui/VimoChess.exe" "$build/vimochess-uci.exe" "$files/"
sed 's/\r*$/\r/' "$root/docs/windows-readme.txt" >"$files/README.txt"

# Windows' own DLLs, which every version since 7 has.
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll "
system_dlls+="oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll winmm.dll ws2_32.dll "
for exe in VimoChess.exe vimochess-uci.exe; do
  headers=$(i686-w64-mingw32-objdump -p "$files/$exe")
  for dll in $(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z'); do
    [[ $system_dlls == *" $dll "* ]] || fail "$exe needs $dll, which is not part of Windows"
  done
  if grep -qE '\s_w?assert$' <<<"$headers"; then fail "$exe was built with assertions (it calls _assert)"; fi
  [ "$(i686-w64-mingw32-objdump -d "$files/$exe" | grep -c '%xmm')" -gt 0 ] || fail "$exe holds no SSE2 code"
done

cd "$files"
sha256sum VimoChess.exe vimochess-uci.exe README.txt >SHA256SUMS
chmod 0755 VimoChess.exe vimochess-uci.exe
chmod 0644 README.txt SHA256SUMS
touch -d "@$SOURCE_DATE_EPOCH" README.txt SHA256SUMS VimoChess.exe vimochess-uci.exe
TZ=UTC zip -q -X -D "$dist/$name.zip" README.txt SHA256SUMS VimoChess.exe vimochess-uci.exe
echo "package: $dist/$name.zip"
