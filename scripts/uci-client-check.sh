#!/usr/bin/env bash
# scripts/uci-client-check.sh [PATH/TO/vimochess-uci] [GAMES]: the UCI engine through clients
# nobody here wrote, from the npm registry: node-uci drives it and parses every line, chessops
# judges every move by its own rules (tests/client/check.mjs): analysis with MultiPV 3, searchmoves,
# go mate 2, and GAMES Chess960 games against Stockfish at UCI_Elo 1350 (default 10). Installs
# Node.js, npm and Stockfish when missing, and the two packages into build/uci-client.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
engine=${1:-$root/build/release/vimochess-uci}
games=${2:-10}
[ -x "$engine" ] || { echo "uci-client-check: no engine at '$engine'" >&2; exit 2; }
install_packages stockfish
command -v node >/dev/null && command -v npm >/dev/null || install_packages nodejs npm
dir=$root/build/uci-client
mkdir -p "$dir"
cp "$root/tests/client/package.json" "$root/tests/client/check.mjs" "$root/tests/client/replay.mjs" "$dir/"
(cd "$dir" && npm install --no-audit --no-fund --silent >/dev/null)
node "$dir/check.mjs" "$(cd "$(dirname "$engine")" && pwd)/$(basename "$engine")" "$(PATH=$PATH:/usr/games command -v stockfish)" "$games"
