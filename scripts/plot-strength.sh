#!/usr/bin/env bash
# Draws the plots of docs/strength.md with gnuplot (Debian's gnuplot-nox, installed when missing):
#   docs/nets/loss.png   the training and held-out loss of each net, by epoch, from the trainer's
#                        logs docs/nets/netN-loss.csv (tools/train.py --log)
#   docs/changes.png     the Elo of each change that landed, with its 95 % error, in the order of
#                        the table of docs/strength.md
#
#   scripts/plot-strength.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
[ $# -eq 0 ] || { echo "usage: scripts/plot-strength.sh (no arguments)" >&2; exit 2; }
command -v gnuplot >/dev/null || install_packages gnuplot-nox
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The losses: one line a net and kind, the held-out loss solid, the training loss dashed.
logs=("$root"/docs/nets/net*-loss.csv)
[ -e "${logs[0]}" ] || { echo "plot-strength: no docs/nets/net*-loss.csv" >&2; exit 1; }
plots=()
for log in "${logs[@]}"; do
  net=$(basename "$log" -loss.csv)
  plots+=("'$log' using 1:3 with linespoints title '$net, held out'"
          "'$log' using 1:2 with lines dashtype 2 title '$net, training'")
done
gnuplot <<EOF
set terminal pngcairo size 800,450 font ",10"
set output '$root/docs/nets/loss.png'
set datafile separator ','
set key autotitle columnhead top right
set xlabel 'epoch'
set ylabel 'loss (mean squared error, logarithmic scale)'
set logscale y
set grid
set title 'The evaluation networks: loss by epoch'
plot $(IFS=,; echo "${plots[*]}")
EOF

# The changes kept: a row of the table whose last cell starts with "yes", its Elo and error.
awk -F'|' '/^\| / && $9 ~ /^ *yes/ {
  elo = $6; gsub(/[^0-9.±+−-]/, "", elo); gsub(/−/, "-", elo); split(elo, part, "±")
  n++; printf "%d %s %s\n", n, part[1], part[2]
}' "$root/docs/strength.md" >"$work/changes.dat"
[ -s "$work/changes.dat" ] || { echo "plot-strength: no kept change in docs/strength.md" >&2; exit 1; }
gnuplot <<EOF
set terminal pngcairo size 800,450 font ",10"
set output '$root/docs/changes.png'
set xlabel 'change kept, in the order of the table'
set ylabel 'Elo (95 %)'
set grid
set xzeroaxis
set boxwidth 0.6
set style fill solid 0.4
set title 'The changes to the deep search that landed, as measured'
plot '$work/changes.dat' using 1:2 with boxes notitle, '' using 1:2:3 with yerrorbars notitle pointtype 7
EOF
echo "plot-strength: docs/nets/loss.png and docs/changes.png"
