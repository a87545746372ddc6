# shellcheck shell=bash
# What the scripts share: installing Debian packages, and the Wine, virtual X display and window
# manager that the Windows programs run in. Sourced, not run:
#
#   . "$root/scripts/lib.sh"
#
#   install_packages PACKAGE...   installs those that are missing
#   require_commands COMMAND...   stops the script when one is missing
#   host_runs_32bit               true when this host starts 32-bit x86 programs; probed once, by
#                                 starting one; when not, `no_32bit_why` says why
#   choose_wine_build             which Windows build the Wine steps run here, in `wine_bits`: 32
#                                 where the host runs 32-bit programs, otherwise (or when
#                                 VIMOCHESS_WINE64 is set) 64, with the reason in `wine_why`
#   win_build BITS                the folder of the Windows build for BITS (32 or 64)
#   use_wine PREFIX [BITS]        Wine's environment for the 32-bit (default) or 64-bit programs,
#                                 with its prefix in PREFIX, prepared when new
#   wine_run PROGRAM ARG...       runs a Windows program under the Wine of use_wine
#   check_windows_exe FILE BITS   checks a Windows program without running it: its header (PE32
#                                 or PE32+), large-address-aware when 32-bit, no DLL beyond
#                                 Windows' own, no assertions, SSE2 code
#   in_virtual_display "$0" ARG...  runs the script again in a virtual X display of its own;
#                                 VIMOCHESS_IN_XVFB is set in that second run until this returns
#   start_window_manager          openbox on $DISPLAY
#   start_stockfish PATH          Debian's stockfish as a coprocess, stopped when the script ends
#   ask LINE...                   sends it the lines and reads up to its "Nodes searched: N": the
#                                 lines before in `reply`, N in `nodes`
#   read_position COMMAND         asks it where COMMAND leads: the FEN in `fen`, the legal moves
#                                 in `moves`, their number in `nodes`
#   play_random_move              `command` becomes that position with one of `moves` played,
#                                 chosen by `seed`, which it advances; fails when there is none
#
# Messages start with the script's name: "setup: installing ...".

script_name=$(basename "$0" .sh)

# Installs the Debian packages that are not installed yet with apt-get, as root or through sudo.
# A package of the i386 architecture (wine32:i386) first adds that architecture to dpkg.
install_packages() {
  local missing=() package sudo_cmd=()
  for package; do dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package"); done
  [ ${#missing[@]} -gt 0 ] || return 0
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null ||
      { echo "$script_name: ${missing[*]} must be installed, which needs root or sudo" >&2; exit 1; }
    sudo_cmd=(sudo)
  fi
  if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  echo "$script_name: installing ${missing[*]}"
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

require_commands() {
  local command
  for command; do
    if ! command -v "$command" >/dev/null; then
      echo "$script_name: $command is missing; run scripts/setup.sh --win" >&2
      exit 1
    fi
  done
}

lib_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# A 32-bit x86 Linux program of 96 bytes that exits with status 42: the ELF header, one segment,
# and `mov eax, 1; mov ebx, 42; int 0x80`. Where the kernel (or a sandbox) runs no 32-bit program,
# starting it fails ("Exec format error") or kills it, and so would 32-bit Wine.
host_runs_32bit() {
  if [ -z "${VIMOCHESS_HOST_RUNS_32BIT:-}" ]; then
    local probe status=0
    mkdir -p "$lib_root/build"
    probe=$(mktemp "$lib_root/build/probe-i386.XXXXXX")
    printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0' >"$probe"
    printf '\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08' >>"$probe"
    printf '\x60\0\0\0\x60\0\0\0\x05\0\0\0\0\x10\0\0\xb8\x01\0\0\0\xbb\x2a\0\0\0\xcd\x80' >>"$probe"
    chmod +x "$probe"
    no_32bit_why=$( ("$probe") 2>&1) || status=$?
    rm -f "$probe"
    if [ "$status" -eq 42 ]; then
      no_32bit_why=
    elif [ "$status" -gt 128 ]; then
      no_32bit_why="a 32-bit program was killed by signal $((status - 128))"
    else
      no_32bit_why="a 32-bit program could not start: ${no_32bit_why##*: }"
    fi
    export VIMOCHESS_HOST_RUNS_32BIT=${no_32bit_why:-yes} # children need not probe again
  fi
  [ "$VIMOCHESS_HOST_RUNS_32BIT" = yes ] || { no_32bit_why=$VIMOCHESS_HOST_RUNS_32BIT; return 1; }
}

choose_wine_build() {
  wine_bits=32 wine_why=
  if [ -n "${VIMOCHESS_WINE64:-}" ]; then
    wine_bits=64 wine_why="VIMOCHESS_WINE64 is set"
  elif ! host_runs_32bit; then
    wine_bits=64 wine_why="this host runs no 32-bit x86 program ($no_32bit_why)"
  fi
}

win_build() {
  local build=${VIMOCHESS_WIN_BUILD:-$lib_root/build-win}
  [ "$1" = 32 ] && echo "$build" || echo "${build}64"
}

# Wine for the Windows programs: Debian's 32-bit loader with a 32-bit prefix, or its 64-bit loader
# (package wine64) with a 64-bit one; quiet unless WINEDEBUG says otherwise, without the Mono and
# Gecko installers (the programs need neither, and they would ask), its prefix in PREFIX. A new
# prefix is prepared here, once, so that no program's first run pays for it.
use_wine() {
  require_commands wineserver
  export WINEPREFIX=$1
  if [ "${2:-32}" = 64 ]; then
    wine_loader=/usr/lib/wine/wine64 WINEARCH=win64
  else
    wine_loader=/usr/lib/wine/wine WINEARCH=win32
  fi
  [ -x "$wine_loader" ] || { echo "$script_name: $wine_loader is missing; run scripts/setup.sh --win" >&2; exit 1; }
  export WINEARCH WINELOADER=$wine_loader
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  if [ -f "$WINEPREFIX/system.reg" ]; then return 0; fi
  echo "$script_name: preparing the Wine prefix $WINEPREFIX" >&2
  if ! timeout 300 "$wine_loader" wineboot -i >/dev/null 2>&1 || ! timeout 60 wineserver -w; then
    echo "$script_name: wineboot could not prepare the Wine prefix $WINEPREFIX" >&2
    exit 1
  fi
}

wine_run() { "$wine_loader" "$@"; }

# Windows' own DLLs, which every version since 7 has.
system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll "
system_dlls+="oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll winmm.dll ws2_32.dll "

check_windows_exe() {
  local exe=$1 objdump format headers dll
  if [ "$2" = 32 ]; then objdump=i686-w64-mingw32-objdump format=pei-i386; else objdump=x86_64-w64-mingw32-objdump format=pei-x86-64; fi
  require_commands "$objdump"
  headers=$("$objdump" -p "$exe") || { echo "$script_name: $exe is no Windows program" >&2; return 1; }
  grep -q "file format $format\$" <<<"$headers" ||
    { echo "$script_name: $exe is not in the $format format" >&2; return 1; }
  if [ "$2" = 32 ] && ! grep -q 'large address aware' <<<"$headers"; then
    echo "$script_name: $exe is not large-address-aware" >&2; return 1
  fi
  for dll in $(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z'); do
    [[ $system_dlls == *" $dll "* ]] || { echo "$script_name: $exe needs $dll, which is not part of Windows" >&2; return 1; }
  done
  if grep -qE '\s_w?assert$' <<<"$headers"; then echo "$script_name: $exe was built with assertions (it calls _assert)" >&2; return 1; fi
  [ "$("$objdump" -d "$exe" | grep -c '%xmm')" -gt 0 ] || { echo "$script_name: $exe holds no SSE2 code" >&2; return 1; }
}

# Runs the script again, with its arguments, in a virtual X display of its own (Xvfb on the first
# free display number, by xvfb-run, 800 x 600 in true colour), and ends with its exit status;
# inside that display it returns at once.
in_virtual_display() {
  if [ -n "${VIMOCHESS_IN_XVFB:-}" ]; then
    unset VIMOCHESS_IN_XVFB  # the display is this script's, not its children's
    return 0
  fi
  require_commands xvfb-run xauth
  VIMOCHESS_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash "$@"
}

# Starts openbox, the window manager, in the background on $DISPLAY and waits until it is up.
start_window_manager() {
  require_commands openbox
  local flag
  flag=$(mktemp -d)
  openbox --sm-disable --startup "touch $flag/ready" >/dev/null 2>&1 &
  for _ in $(seq 100); do [ -e "$flag/ready" ] && break; sleep 0.1; done
  [ -e "$flag/ready" ] || { echo "$script_name: openbox did not start" >&2; exit 1; }
  rm -rf "$flag"
}

start_stockfish() {
  coproc SF { exec "$1" 2>&1; }
  trap 'kill "$SF_PID" 2>/dev/null' EXIT
}

ask() {
  printf '%s\n' "$@" >&"${SF[1]}"
  reply=()
  while IFS= read -r -t 60 line <&"${SF[0]}"; do
    [[ $line == "Nodes searched: "* ]] && nodes=${line#Nodes searched: } && return 0
    reply+=("$line")
  done
  echo "$script_name: stockfish did not answer '$*'" >&2
  exit 2
}

read_position() {
  ask "$1" d "go perft 1"
  moves=()
  for line in "${reply[@]}"; do
    case $line in
      "Fen: "*) fen=${line#Fen: } ;;
      [a-h][1-8][a-h][1-8]*:*) moves+=("${line%%:*}") ;;
    esac
  done
}

play_random_move() {
  ((${#moves[@]})) || return 1
  seed=$(((seed * 1103515245 + 12345) % 2147483648))
  command="position fen $fen moves ${moves[(seed >> 8) % ${#moves[@]}]}"
}
