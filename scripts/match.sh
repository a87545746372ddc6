#!/usr/bin/env bash
# Plays vimochess-uci against other engines from Debian's packages, refereed by XBoard (in its
# -noGUI match mode, on a virtual X display) with PolyGlot as the UCI adapter. Saves every game
# as PGN, prints the score with the Elo difference it implies, and every anomaly: an illegal
# move, a crash, a hang or a time forfeit.
#
#   scripts/match.sh [-n GAMES] [-t SECONDS] [-i INCREMENT] [-e ELO] [-o DIR] [OPPONENT...]
#
#   OPPONENT   fairymax (Fairy-Max), gnuchess (GNU Chess), toga2 (Toga II), stockfish (Stockfish
#              at Skill Level 0) or stockfish-elo-N (Stockfish playing at UCI_Elo N, 1350 to
#              2850); fairymax and stockfish when none is named
#   -n GAMES   games per opponent (default 100): each opening twice, with the colours reversed
#   -t, -i     time control: seconds per game and per move added (default 10 and 0.1)
#   -e ELO     VimoChess plays at that level (UCI_LimitStrength, UCI_Elo); at full strength if not
#   -o DIR     where the PGN files and logs go (default build/match)
#
# Exit status: 0 when every match was played without an anomaly on VimoChess's side, 1 otherwise.
# VIMOCHESS_UCI names another engine binary to play instead of the freshly built one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/lib.sh
arguments=("$@")

games=100 seconds=10 increment=0.1 out=build/match level=""
while getopts "n:t:i:e:o:" opt; do
  case $opt in
    n) games=$OPTARG ;;
    t) seconds=$OPTARG ;;
    i) increment=$OPTARG ;;
    e) level=$OPTARG ;;
    o) out=$OPTARG ;;
    *) sed -n '2,19p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
opponents=("$@")
[ ${#opponents[@]} -gt 0 ] || opponents=(fairymax stockfish)
for o in "${opponents[@]}"; do
  case $o in
    fairymax|gnuchess|toga2|stockfish) ;;
    stockfish-elo-*) [[ ${o#stockfish-elo-} =~ ^[0-9]{4}$ ]] && ((${o#stockfish-elo-} >= 1350 && ${o#stockfish-elo-} <= 2850)) ||
                       { echo "match: Stockfish's UCI_Elo is 1350 to 2850, not '${o#stockfish-elo-}'" >&2; exit 2; } ;;
    *) echo "match: unknown opponent '$o' (fairymax, gnuchess, toga2, stockfish or stockfish-elo-N)" >&2; exit 2 ;;
  esac
done
[ -z "$level" ] || [[ $level =~ ^[0-9]{3,4}$ ]] || { echo "match: bad level '$level' (an Elo rating)" >&2; exit 2; }
[[ $games =~ ^[1-9][0-9]{0,3}$ ]] || { echo "match: bad number of games '$games' (1 to 9999)" >&2; exit 2; }
for t in "$seconds" "$increment"; do
  [[ $t =~ ^[0-9]{1,4}(\.[0-9]+)?$ ]] || { echo "match: bad time '$t' (seconds, as 10 or 0.1)" >&2; exit 2; }
done
[[ $seconds =~ [1-9] ]] || { echo "match: a game needs more than 0 seconds" >&2; exit 2; }
export PATH="$PATH:/usr/games"

# What the matches need, then the rest of the script in a virtual X display: XBoard needs one
# even without its board.
install_packages xboard polyglot fairymax gnuchess toga2 stockfish xvfb xauth cmake g++ make
in_virtual_display "$root/scripts/match.sh" "${arguments[@]}"

engine=${VIMOCHESS_UCI:-}
if [ -z "$engine" ]; then
  cmake -S . -B build/match-build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build/match-build --target vimochess-uci -j"$(nproc 2>/dev/null || echo 2)" >/dev/null
  engine=$root/build/match-build/vimochess-uci
fi
mkdir -p "$out"
out=$(cd "$out" && pwd)

# The openings: VimoChess always answers the same position with the same move, so the games
# start from fifty well-known openings, six plies deep; Stockfish writes their FENs.
openings=(
  "e2e4 e7e5 g1f3 b8c6 f1b5 a7a6" "e2e4 e7e5 g1f3 b8c6 f1c4 f8c5" "e2e4 e7e5 g1f3 b8c6 d2d4 e5d4"
  "e2e4 e7e5 g1f3 g8f6 f3e5 d7d6" "e2e4 e7e5 f2f4 e5f4 g1f3 g7g5" "e2e4 e7e5 b1c3 g8f6 f2f4 d7d5"
  "e2e4 c7c5 g1f3 d7d6 d2d4 c5d4" "e2e4 c7c5 g1f3 b8c6 d2d4 c5d4" "e2e4 c7c5 g1f3 e7e6 d2d4 c5d4"
  "e2e4 c7c5 b1c3 b8c6 g2g3 g7g6" "e2e4 c7c5 c2c3 g8f6 e4e5 f6d5" "e2e4 e7e6 d2d4 d7d5 b1c3 f8b4"
  "e2e4 e7e6 d2d4 d7d5 e4e5 c7c5" "e2e4 e7e6 d2d4 d7d5 b1d2 g8f6" "e2e4 c7c6 d2d4 d7d5 e4e5 c8f5"
  "e2e4 c7c6 d2d4 d7d5 b1c3 d5e4" "e2e4 d7d5 e4d5 d8d5 b1c3 d5a5" "e2e4 g8f6 e4e5 f6d5 d2d4 d7d6"
  "e2e4 d7d6 d2d4 g8f6 b1c3 g7g6" "e2e4 g7g6 d2d4 f8g7 b1c3 d7d6" "d2d4 d7d5 c2c4 e7e6 b1c3 g8f6"
  "d2d4 d7d5 c2c4 d5c4 g1f3 g8f6" "d2d4 d7d5 c2c4 c7c6 g1f3 g8f6" "d2d4 g8f6 c2c4 g7g6 b1c3 f8g7"
  "d2d4 g8f6 c2c4 e7e6 b1c3 f8b4" "d2d4 g8f6 c2c4 e7e6 g1f3 b7b6" "d2d4 g8f6 c2c4 g7g6 b1c3 d7d5"
  "d2d4 g8f6 c2c4 c7c5 d4d5 e7e6" "d2d4 g8f6 c2c4 c7c5 d4d5 b7b5" "d2d4 f7f5 g2g3 g8f6 f1g2 g7g6"
  "d2d4 d7d5 c1f4 g8f6 e2e3 c7c5" "d2d4 g8f6 c1g5 e7e6 e2e4 h7h6" "c2c4 e7e5 b1c3 g8f6 g1f3 b8c6"
  "c2c4 c7c5 b1c3 b8c6 g2g3 g7g6" "c2c4 g8f6 b1c3 e7e6 e2e4 d7d5" "g1f3 d7d5 g2g3 g8f6 f1g2 c7c6"
  "g1f3 g8f6 c2c4 b7b6 g2g3 c8b7" "f2f4 d7d5 g1f3 g8f6 e2e3 g7g6" "b2b3 e7e5 c1b2 b8c6 e2e3 g8f6"
  "g2g3 d7d5 f1g2 e7e5 d2d3 g8f6" "e2e4 e7e5 g1f3 d7d6 d2d4 e5d4" "e2e4 e7e5 d2d4 e5d4 d1d4 b8c6"
  "e2e4 c7c5 d2d4 c5d4 c2c3 d4c3" "e2e4 e7e5 g1f3 b8c6 b1c3 g8f6" "d2d4 e7e6 c2c4 f8b4 c1d2 d8e7"
  "d2d4 d7d5 e2e4 d5e4 b1c3 g8f6" "e2e4 b7b6 d2d4 c8b7 f1d3 e7e6" "d2d4 g8f6 g1f3 e7e6 c1g5 c7c5"
  "e2e4 e7e5 g1f3 b8c6 f1c4 g8f6" "c2c4 e7e6 g1f3 d7d5 g2g3 g8f6"
)
{
  for line in "${openings[@]}"; do printf 'position startpos moves %s\nd\n' "$line"; done
  echo quit
} | stockfish 2>/dev/null | sed -n 's/^Fen: //p' > "$out/openings.fen"
# Six plies played: White to move at move 4. A line with an impossible move would stop short.
if [ "$(grep -c ' w [^ ]* [^ ]* [0-9]* 4$' "$out/openings.fen")" -ne ${#openings[@]} ]; then
  echo "match: an opening line did not play out; see $out/openings.fen" >&2
  exit 2
fi

xboard_pid=""
trap '[ -z "$xboard_pid" ] || kill -9 -- "-$xboard_pid" 2>/dev/null || true' EXIT

# The kind of anomaly a game-end text tells of, or nothing for a regular end.
anomaly_kinds='
  function kind(text) {
    if (text ~ /[Ii]llegal|invalid move/) return "illegal move"
    if (text ~ /on time/) return "time forfeit"
    if (text ~ /exited|died|crash|Error writing|Error reading/) return "crash"
    if (text ~ /False .*claim/) return "false claim"
    return ""
  }'

# Prints the score and every anomaly of one match; false when one may be VimoChess's.
summarise() {  # summarise OPPONENT PGN XBOARD-OUTPUT XBOARD-DEBUG-LOG
  local opponent=$1 pgn=$2 output=$3 debug=$4 bad=0 counts logged
  # Every saved game: its result and how it ended, blamed on the side that lost it.
  counts=$(awk -v opponent="$opponent" "$anomaly_kinds"'
    function finish() {
      if (white == "") return
      n++
      vimo = index(white, "VimoChess") ? "1-0" : "0-1"
      what = result == "*" ? "unfinished game" : kind(comment)
      if (what != "") {
        side = result == "*" || result == "1/2-1/2" ? "either side" : (result == vimo ? opponent : "VimoChess")
        printf "  anomaly in game %d (%s vs %s, %s): %s by %s: %s\n", n, white, black, result, what, side, comment > "/dev/stderr"
        if (side != opponent) bad = 1
        count[what]++
      }
      white = black = result = comment = ""
    }
    /^\[White "/  { finish(); white = $0; sub(/^\[White "/, "", white); sub(/"\]$/, "", white) }
    /^\[Black "/  { black = $0; sub(/^\[Black "/, "", black); sub(/"\]$/, "", black) }
    /^\[Result "/ { result = $0; sub(/^\[Result "/, "", result); sub(/"\]$/, "", result) }
    match($0, /\{[^{}]*\} *(1-0|0-1|1\/2-1\/2|\*) *$/) { comment = substr($0, RSTART); sub(/\} *[-\/*0-9]+ *$/, "}", comment) }
    END {
      finish()
      printf "games=%d bad=%d", n, bad
      for (k in count) printf ",%s=%d", k, count[k]
      printf "\n"
    }' "$pgn")
  [[ $counts == *bad=1* ]] && bad=1
  # XBoard's log has the end of every game, the ones without a move included, which are not
  # saved: an anomaly there that the saved games do not show counts against VimoChess too.
  logged=$(awk "$anomaly_kinds"'
    /^Load Position/ { ended = 0 }
    /^GameEnds\([0-9]+, / && !ended {
      reason = $0; sub(/^GameEnds\([0-9]+, /, "", reason); sub(/, [0-9]+\)$/, "", reason)
      if (reason != "(null)") { ended = 1; if (kind(reason) != "") print kind(reason) ": " reason }
    }' "$debug" 2>/dev/null || true)
  if [ -n "$logged" ]; then
    while IFS= read -r kind; do
      local seen in_pgn
      seen=$(grep -c "^$kind: " <<<"$logged")
      in_pgn=$(grep -o ",$kind=[0-9]*" <<<"$counts" | cut -d= -f2)
      if [ "$seen" -gt "${in_pgn:-0}" ]; then
        echo "  anomaly: $((seen - ${in_pgn:-0})) more $kind in games XBoard did not save:"
        grep "^$kind: " <<<"$logged" | sed 's/^[^:]*: /    /'
        bad=1
      fi
    done < <(cut -d: -f1 <<<"$logged" | sort -u)
  fi
  # A program that dies is also reported outside the game record: by PolyGlot for the UCI engine
  # it runs, by XBoard for the program it talks to.
  local deaths
  deaths=$(grep -h -o "[a-z]* chess program ([^)]*) exited unexpectedly\|POLYGLOT: pipex_exit().*\|Error writing to [a-z]* chess program" \
    "$output" "$debug" 2>/dev/null | sort -u || true)
  if [ -n "$deaths" ]; then
    sed 's/^/  anomaly: crash: /' <<<"$deaths"
    if grep -q "$(basename "$engine")\|first chess program" <<<"$deaths"; then bad=1; fi
  fi
  # The score as XBoard counts it (wins-losses-draws of the first program, VimoChess), all games.
  local score w l d n
  score=$(grep -o "final score [0-9]*-[0-9]*-[0-9]*" "$output" | tail -1 | cut -d' ' -f3)
  if [ -z "$score" ]; then
    echo "VimoChess vs $opponent: the match did not finish"
    return 1
  fi
  IFS=- read -r w l d <<<"$score"
  n=$((w + l + d))
  awk -v me="VimoChess${level:+ at Elo $level}" -v o="$opponent" -v w="$w" -v l="$l" -v d="$d" -v n="$n" -v saved="${counts%% *}" 'BEGIN {
    p = n ? (w + d / 2) / n : 0
    if (n == 0) elo = "none"
    else if (p <= 0) elo = "below -" int(400 * log(2 * n) / log(10))
    else if (p >= 1) elo = "above +" int(400 * log(2 * n) / log(10))
    else elo = sprintf("%+d", -400 * log(1 / p - 1) / log(10))
    sub(/games=/, "", saved)
    printf "%s vs %s: %d games (%d saved), +%d =%d -%d, score %.1f%%, Elo difference %s\n", me, o, n, saved, w, d, l, 100 * p, elo
  }'
  return $bad
}

status=0
for opponent in "${opponents[@]}"; do
  name=vimochess${level:+-elo-$level}-vs-$opponent
  pgn=$out/$name.pgn
  log=$out/$name.log
  rm -f "$pgn" "$log" "$out/xboard-$name.debug"
  case $opponent in
    fairymax) second=(-scp fairymax) ;;
    gnuchess) second=(-scp "gnuchess -x") ;;
    toga2) second=(-scp toga2 -sUCI) ;;
    stockfish) second=(-scp stockfish -sUCI -secondOptions "Skill Level=0") ;;
    stockfish-elo-*) second=(-scp stockfish -sUCI -secondOptions "UCI_LimitStrength=1,UCI_Elo=${opponent#stockfish-elo-}") ;;
  esac
  # XBoard hands the options to PolyGlot, which passes a check option on only as 1 or 0, and an
  # option only when it differs from the engine's default.
  first=()
  [ -z "$level" ] || first=(-firstOptions "UCI_LimitStrength=1,UCI_Elo=$level")
  echo "match: VimoChess${level:+ at Elo $level} vs $opponent, $games games at $seconds s + $increment s a move; games go to $pgn"
  # In a process group of its own, so that the engines go with it even when it hangs.
  setsid xboard -noGUI -mg "$games" -lpf "$out/openings.fen" -lpi -2 \
    -fcp "$engine" -fUCI -fd "$out" "${first[@]}" "${second[@]}" -sd "$out" \
    -tc "0:$seconds" -inc "$increment" -xponder -autoCallFlag true \
    -ruleMoves 50 -repeatsToDraw 3 -adjudicateDrawMoves 300 \
    -sgf "$pgn" -saveSettingsOnExit false -debug -nameOfDebugFile "$out/xboard-$name.debug" \
    >"$log" 2>&1 &
  xboard_pid=$!
  # XBoard prints the final score and then stays up: end it once the last game is saved. A
  # match that stops producing games is a hang.
  last_size=-1 last_change=$SECONDS limit=$((60 + 20 * ${seconds%.*})) done_at=""
  while kill -0 "$xboard_pid" 2>/dev/null; do
    sleep 5
    if [ -z "$done_at" ] && grep -q "final score" "$log" 2>/dev/null; then done_at=$SECONDS; fi
    if [ -n "$done_at" ]; then
      [ "$(grep -c '^\[Result ' "$pgn" 2>/dev/null || true)" -lt "$games" ] && [ $((SECONDS - done_at)) -lt 30 ] || break
      continue
    fi
    size=$(stat -c %s "$pgn" 2>/dev/null || echo 0)
    if [ "$size" != "$last_size" ]; then last_size=$size last_change=$SECONDS; fi
    if [ $((SECONDS - last_change)) -gt "$limit" ]; then
      echo "  anomaly: hang: no game finished for $limit s; stopping the match. The last game ended so:"
      grep -o "^GameEnds([0-9]*, [^,]*" "$out/xboard-$name.debug" 2>/dev/null | grep -v "(null)" | tail -1 |
        sed 's/^GameEnds([0-9]*, /    /'
      status=1
      break
    fi
  done
  # XBoard asks the engines to quit when told to end; one that does not answer keeps it waiting.
  kill "$xboard_pid" 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$xboard_pid" 2>/dev/null && sleep 1; done
  kill -9 -- "-$xboard_pid" 2>/dev/null || true
  wait "$xboard_pid" 2>/dev/null || true
  xboard_pid=""
  [ -f "$pgn" ] || : >"$pgn"
  summarise "$opponent" "$pgn" "$log" "$out/xboard-$name.debug" 2>&1 || status=1
done
exit $status
