#!/usr/bin/env python3
"""Writes a book of balanced openings for engine matches, one FEN a line: positions after a few
random legal moves from the start, kept when Debian's Stockfish, searching to a fixed depth, scores
them within a margin for either side. The same seed gives the same book.

  scripts/make-openings.py [--count N] [--plies P] [--margin CP] [--seed S] OUTPUT
  scripts/make-openings.py --chess960 OUTPUT

Defaults: 2000 openings of 8 half-moves, within 50 centipawns, seed 1. Needs stockfish
(scripts/setup.sh installs it). With --chess960, the 960 starting positions of Chess960 instead,
in the usual numbering, their castling fields in Shredder-FEN."""
import argparse, random, re, shutil, subprocess, sys


def chess960(n):
    """Starting position n: the bishops, the queen, the knights, then rook, king, rook."""
    files = [None] * 8
    files[2 * (n % 4) + 1] = "b"; n //= 4
    files[2 * (n % 4)] = "b"; n //= 4
    def place(piece, k):
        empty = [i for i in range(8) if files[i] is None]
        files[empty[k]] = piece
    place("q", n % 6); n //= 6
    knights = [(0, 0), (0, 1), (0, 2), (0, 3), (1, 1), (1, 2), (1, 3), (2, 2), (2, 3), (3, 3)][n]
    place("n", knights[0]); place("n", knights[1])
    place("r", 0); place("k", 0); place("r", 0)
    rank = "".join(files)
    rooks = "".join(chr(ord("A") + i) for i in range(7, -1, -1) if files[i] == "r")
    return f"{rank}/pppppppp/8/8/8/8/PPPPPPPP/{rank.upper()} w {rooks}{rooks.lower()} - 0 1"


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("output")
    ap.add_argument("--count", type=int, default=2000)
    ap.add_argument("--plies", type=int, default=8)
    ap.add_argument("--margin", type=int, default=50)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--chess960", action="store_true")
    a = ap.parse_args()
    if a.chess960:
        with open(a.output, "w") as out:
            out.write("\n".join(chess960(n) for n in range(960)) + "\n")
        return
    if a.count < 1 or a.plies < 1 or a.margin < 0:
        sys.exit("make-openings: the count and the plies must be positive, the margin not negative")
    stockfish = shutil.which("stockfish") or shutil.which("/usr/games/stockfish")
    if not stockfish:
        sys.exit("make-openings: stockfish is missing; run scripts/setup.sh")
    sf = subprocess.Popen([stockfish], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)

    def ask(commands, until):
        sf.stdin.write("".join(c + "\n" for c in commands))
        sf.stdin.flush()
        lines = []
        while True:
            line = sf.stdout.readline()
            if not line:
                sys.exit("make-openings: stockfish ended")
            lines.append(line.rstrip("\n"))
            if line.startswith(until):
                return lines

    ask(["uci", "setoption name Threads value 1", "setoption name Hash value 16"], "uciok")
    rng = random.Random(a.seed)
    book, seen = [], set()
    while len(book) < a.count:
        moves = []
        for _ in range(a.plies):
            position = "position startpos moves " + " ".join(moves) if moves else "position startpos"
            legal = [l.split(":")[0] for l in ask([position, "go perft 1"], "Nodes searched")
                     if re.fullmatch(r"[a-h][1-8][a-h][1-8][qrbn]?: 1", l)]
            if not legal:
                break
            moves.append(rng.choice(sorted(legal)))
        if len(moves) < a.plies:
            continue
        position = "position startpos moves " + " ".join(moves)
        fen = [l[5:] for l in ask([position, "d"], "Checkers") if l.startswith("Fen: ")][0]
        scores = [l for l in ask(["ucinewgame", position, "go depth 10"], "bestmove") if " score " in l]
        if not scores or " score cp " not in scores[-1]:
            continue
        cp = int(scores[-1].split(" score cp ")[1].split()[0])
        if abs(cp) <= a.margin and fen not in seen:
            seen.add(fen)
            book.append(fen)
    sf.stdin.write("quit\n")
    sf.stdin.flush()
    with open(a.output, "w") as out:
        out.write("\n".join(book) + "\n")


if __name__ == "__main__":
    main()
