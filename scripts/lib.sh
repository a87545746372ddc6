# shellcheck shell=bash
# What the scripts share: installing Debian packages, and the Wine, virtual X display and window
# manager that the Windows programs run in. Sourced, not run:
#
#   . "$root/scripts/lib.sh"
#
#   install_packages PACKAGE...   installs those that are missing
#   require_commands COMMAND...   stops the script when one is missing
#   use_wine PREFIX               Wine's environment, with its prefix in PREFIX, prepared when new
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

# Wine for the Windows programs: quiet unless WINEDEBUG says otherwise, without the Mono and Gecko
# installers (the programs need neither, and they would ask), its prefix in PREFIX. A new prefix
# is prepared here, once, so that no program's first run pays for it.
use_wine() {
  require_commands wine wineboot wineserver
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  if [ -f "$WINEPREFIX/system.reg" ]; then return 0; fi
  echo "$script_name: preparing the Wine prefix $WINEPREFIX" >&2
  if ! timeout 300 wineboot -i >/dev/null 2>&1 || ! timeout 60 wineserver -w; then
    echo "$script_name: wineboot could not prepare the Wine prefix $WINEPREFIX" >&2
    exit 1
  fi
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
