#!/usr/bin/env python3
"""Fits the win/draw/loss model of the UCI engine (engine/deep/wdl.h) to games: for every move of
every game, the score its engine told and the phase of the position (as vimochess-match -out
writes them), and the game's result. The model: a side with score s wins with odds
1 / (1 + exp((a - s) / b)) and loses with the same odds for -s, with a and b linear in the phase
(0 with kings and pawns only, 24 with all the pieces). Prints a0, a1, b0 and b1 for
a = a0 + a1 * phase / 24 and b = b0 + b1 * phase / 24, fitted by maximum likelihood.

  scripts/fit-wdl.py [--skip PLIES] GAMES...

Positions of the first PLIES half-moves of each game (default 8) and mate scores are left out."""
import argparse, math, sys


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("games", nargs="+")
    ap.add_argument("--skip", type=int, default=8)
    a = ap.parse_args()
    samples = []  # (score for White, phase / 24, result for White: 1, 0.5 or 0)
    for path in a.games:
        try:
            lines = open(path).read().splitlines()
        except OSError as e:
            sys.exit(f"fit-wdl: {e}")
        for line in lines:
            fields = line.split("|")
            if len(fields) < 4 or fields[0] not in ("1-0", "0-1", "1/2-1/2"):
                continue
            result = {"1-0": 1.0, "0-1": 0.0, "1/2-1/2": 0.5}[fields[0]]
            for ply, item in enumerate(fields[3].split()):
                score, _, phase = item.partition("/")
                if ply < a.skip or not phase or abs(int(score)) >= 20000:
                    continue
                samples.append((int(score), min(int(phase), 24) / 24, result))
    if len(samples) < 1000:
        sys.exit("fit-wdl: too few positions with scores")
    # Scaled for the descent: scores in pawns.
    data = [(s / 100, t, r) for s, t, r in samples]
    p = [2.0, 1.0, 0.8, 0.3]  # a0, a1, b0, b1 in pawns

    def odds(s, t, p):
        a, b = p[0] + p[1] * t, max(p[2] + p[3] * t, 0.05)
        win = 1 / (1 + math.exp(min(50, (a - s) / b)))
        loss = 1 / (1 + math.exp(min(50, (a + s) / b)))
        return win, max(1e-9, 1 - win - loss), loss

    def loglike(p):
        total = 0.0
        for s, t, r in data:
            w, d, l = odds(s, t, p)
            total += math.log(max(w if r == 1 else d if r == 0.5 else l, 1e-12))
        return total / len(data)

    # Coordinate ascent with shrinking steps: a few parameters, many positions.
    step, best = 0.2, loglike(p)
    while step > 1e-3:
        moved = False
        for i in range(4):
            for direction in (1, -1):
                q = list(p)
                q[i] += direction * step
                value = loglike(q)
                if value > best:
                    p, best, moved = q, value, True
        if not moved:
            step /= 2
    print(f"positions {len(data)}, mean log-likelihood {best:.5f}")
    print("a0 %.1f a1 %.1f b0 %.1f b1 %.1f" % tuple(100 * x for x in p))


if __name__ == "__main__":
    main()
