#!/usr/bin/env python3
"""Tunes the deep search's parameters (engine/deep/parameters.h) by SPSA through the match runner:
each iteration perturbs every parameter at once by +c or -c at random, plays games between the
engine with the parameters raised and the engine with them lowered, and moves each parameter
towards the side that scored more, by less as the iterations go on. The engine must be a tuning
build (cmake -DVIMOCHESS_TUNING=ON), which lists the parameters as UCI options.

  tools/spsa.py --engine build/tuning/vimochess-uci --match build/release/vimochess-match \\
      --openings build/strength/openings.fen --iterations 500 --tc 1+0.01 --log spsa.csv

Each iteration plays --pairs openings (default 2) with both colours, --concurrency games at once
(default 2), each opening drawn at random from the book. Progress goes to standard error after
every iteration (games played, rate, time left, the score of the raised side so far); each
iteration's parameters go to --log as a CSV line; at the end the parameters found are printed as
NAME=VALUE lines, ready for -o options of vimochess-match and for engine/deep/parameters.h.

--params A,B,... tunes only those (default: all the engine lists). The step c of a parameter is
a twentieth of its range unless --step NAME=C says otherwise; --rate (default 0.002) is how far,
in steps squared, a game point moves a parameter at the last iteration (as Fishtest reckons it).
The same seed gives the same perturbations and openings."""
import argparse
import random
import re
import subprocess
import sys
import tempfile
import time

PROGRAM = "spsa.py"
ALPHA, GAMMA = 0.602, 0.101  # the usual decay of the step and of the perturbation


def fail(message):
    print(f"{PROGRAM}: {message}", file=sys.stderr)
    sys.exit(2)


def parameters_of(engine):
    """The tuning parameters the engine lists: spin options whose names start in lower case."""
    try:
        out = subprocess.run([engine], input="uci\nquit\n", capture_output=True, text=True, timeout=30).stdout
    except (OSError, subprocess.TimeoutExpired) as e:
        fail(f"cannot run {engine}: {e}")
    found = {}
    for m in re.finditer(r"^option name (\S+) type spin default (-?\d+) min (-?\d+) max (-?\d+)$", out, re.M):
        if m.group(1)[0].islower():
            found[m.group(1)] = (int(m.group(2)), int(m.group(3)), int(m.group(4)))
    if not found:
        fail(f"{engine} lists no tuning parameters: build it with -DVIMOCHESS_TUNING=ON")
    return found


def play(args, openings, plus, minus, rng, games_file):
    """Plays --pairs openings with both colours, the raised engine first; its points."""
    with tempfile.NamedTemporaryFile("w", suffix=".fen", delete=False) as book:
        book.write("".join(rng.choice(openings) for _ in range(args.pairs)))
    command = [args.match, "-1", args.engine, "-2", args.engine, "-openings", book.name, "-games", str(2 * args.pairs),
               "-tc", args.tc, "-concurrency", str(args.concurrency), "-adjudicate"]
    for name, value in plus.items():
        command += ["-o1", f"{name}={value}"]
    for name, value in minus.items():
        command += ["-o2", f"{name}={value}"]
    if games_file:
        command += ["-out", games_file]
    result = subprocess.run(command, capture_output=True, text=True)
    found = re.findall(r"games, first engine ([0-9.]+) points", result.stdout)
    if result.returncode != 0 or not found:
        fail(f"the match runner failed ({result.returncode}): {(result.stderr or result.stdout).strip()[-300:]}")
    faults = re.search(r"(\d+) lost by an illegal move, a crash, a hang or the clock", result.stdout)
    if faults and int(faults.group(1)) > 0:
        print(f"{PROGRAM}: warning: {faults.group(1)} games lost by a fault", file=sys.stderr)
    return float(found[-1])


def main():
    ap = argparse.ArgumentParser(prog=PROGRAM, description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--engine", required=True)
    ap.add_argument("--match", required=True)
    ap.add_argument("--openings", required=True)
    ap.add_argument("--iterations", type=int, default=500)
    ap.add_argument("--tc", default="1+0.01")
    ap.add_argument("--pairs", type=int, default=2)
    ap.add_argument("--concurrency", type=int, default=2)
    ap.add_argument("--params", default="")
    ap.add_argument("--step", action="append", default=[])
    ap.add_argument("--rate", type=float, default=0.002)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--log", default="")
    ap.add_argument("--games", default="", help="keep the games in this file (vimochess-match -out)")
    args = ap.parse_args()
    if args.iterations < 1 or args.pairs < 1 or args.concurrency < 1:
        fail("--iterations, --pairs and --concurrency take numbers from 1")
    if not re.fullmatch(r"\d+(\.\d+)?(\+\d+(\.\d+)?)?", args.tc):
        fail(f"bad time control '{args.tc}' (as 1+0.01)")
    try:
        openings = [line for line in open(args.openings) if line.strip()]
    except OSError as e:
        fail(f"cannot read {args.openings}: {e.strerror}")
    if not openings:
        fail(f"{args.openings} holds no opening")

    listed = parameters_of(args.engine)
    names = [n for n in args.params.split(",") if n] or sorted(listed)
    for n in names:
        if n not in listed:
            fail(f"the engine has no parameter '{n}'")
    steps = {n: max(1.0, (listed[n][2] - listed[n][1]) / 20) for n in names}
    for s in args.step:
        name, _, value = s.partition("=")
        try:
            steps[name] = float(value)
        except ValueError:
            fail(f"bad --step '{s}' (as NAME=2.5)")
    theta = {n: float(listed[n][0]) for n in names}
    start = dict(theta)
    big_a = 0.1 * args.iterations
    # The step sizes at the last iteration, and from them the constants of the schedule.
    c0 = {n: steps[n] * args.iterations ** GAMMA for n in names}
    a0 = {n: args.rate * steps[n] ** 2 * (big_a + args.iterations) ** ALPHA for n in names}
    clamp = lambda n, v: min(max(v, listed[n][1]), listed[n][2])

    rng = random.Random(args.seed)
    log = open(args.log, "w") if args.log else None
    if log:
        log.write("iteration,games,score," + ",".join(names) + "\n")
    began, points, games = time.time(), 0.0, 0
    for k in range(1, args.iterations + 1):
        ck = {n: c0[n] / k ** GAMMA for n in names}
        ak = {n: a0[n] / (big_a + k) ** ALPHA for n in names}
        delta = {n: rng.choice((-1, 1)) for n in names}
        plus = {n: round(clamp(n, theta[n] + ck[n] * delta[n])) for n in names}
        minus = {n: round(clamp(n, theta[n] - ck[n] * delta[n])) for n in names}
        scored = play(args, openings, plus, minus, rng, args.games)
        result = 2 * scored - 2 * args.pairs  # the raised side's points less the lowered side's
        for n in names:
            theta[n] = clamp(n, theta[n] + ak[n] * result / (ck[n] * delta[n]))
        points, games = points + scored, games + 2 * args.pairs
        if log:
            log.write(f"{k},{games},{scored}," + ",".join(f"{theta[n]:.2f}" for n in names) + "\n")
            log.flush()
        elapsed = time.time() - began
        print(f"{PROGRAM}: iteration {k}/{args.iterations}, {games} games ({games / elapsed * 60:.1f} a minute), "
              f"{elapsed / k * (args.iterations - k) / 60:.0f} minutes left; the raised side {points / games * 100:.1f} %",
              file=sys.stderr, flush=True)
    for n in names:
        print(f"{n}={round(theta[n])}  # from {start[n]:.0f}")


if __name__ == "__main__":
    main()
