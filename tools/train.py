#!/usr/bin/python3
"""Trains the small efficiently-updatable evaluation network (NNUE) of VimoChess on positions that
vimochess-generate wrote (32-byte records, tools/training_data.h), and writes it in the engine's
quantised form.

  /usr/bin/python3 tools/train.py --out NET [options] FILE...
  /usr/bin/python3 tools/train.py --check NET FILE [N]

The network: 768 piece-square inputs a side (the pieces as that side sees them, Black's board
mirrored), one feature transformer of H neurons shared by both sides, clipped ReLU, and one output
neuron over the side to move's H activations followed by the other side's. Beside the hidden
layer, a linear piece-square term: one weight v for each of the 768 inputs, also shared by both
sides; p_S is the sum of v over side S's active inputs, and the output is
  y = w2 . (crelu(side to move's sums), crelu(other side's sums)) + b2 + (p_to_move - p_other) / 2.
The linear term learns material from few positions, which the hidden layer learns slowly; its
weights start from the pawn's, knight's, bishop's, rook's and queen's values that best fit the
training positions (kings 0), the other side's pieces negative. The weights v stay within +-30,
the others within +-1.98. The evaluation for the side to move is 400 y, in centipawns. It
learns, for the side to move,
  wdl x result + (1 - wdl) x sigmoid(score / K)
through sigmoid(evaluation / K), by mean squared error; K is fitted to the data when --scale is not
given. It computes with its parameters rounded as the net file holds them (the gradient passing
over the rounding), so that what it learns is what the engine's integer evaluation computes. A
fraction of whole games is held out; the weights of the epoch with the best loss on them are the
ones written.

With --mirror, each time a training position is used it is, with probability one half (seeded),
mirrored left to right (each piece's square s becomes s ^ 7, file a to h, for both sides): the same
chess but for castling, which the network does not see, and so more positions to learn from.
Held-out positions are never mirrored.

The net file, little-endian: "VMNN", uint32 version 2, uint32 H, int16 feature weights (768 x H,
feature by feature, x 255), int16 feature biases (H, x 255), int16 output weights (2H, the side to
move's first, x 64), int32 output bias (x 255 x 64), int32 piece-square weights (768, input by
input, x 255 x 64), uint32 FNV-1a checksum of all bytes before it. Each value is rounded to the
nearest integer, halves away from zero.

--check NET FILE [N] prints, for the first N records of FILE (default 10), the integer evaluation
the engine computes from NET: "<record> <side to move w|b> <centipawns for the side to move>". It
reads version 2 only.

Example:
  nice /usr/bin/python3 tools/train.py --hidden 128 --epochs 20 --mirror --log build/loss.csv \\
      --out build/vimo.nnue data/gen1.bin
  /usr/bin/python3 tools/train.py --check build/vimo.nnue data/gen1.bin 20

Bad input (a missing or damaged file, an empty data set, bad options) is told on one line of
standard error with exit status 2."""
import argparse
import math
import os
import sys
import time

import numpy as np

PROGRAM = "train.py"
RECORD_SIZE = 32
RECORD = np.dtype([("occupied", "<u8"), ("pieces", "u1", 16), ("score", "<i2"), ("result", "i1"),
                   ("flags", "u1"), ("game", "<u4")])
assert RECORD.itemsize == RECORD_SIZE
FEATURES = 768
NO_FEATURE = FEATURES  # pads the feature lists of positions with fewer than 32 pieces
MAX_PIECES = 32
WHITE_KING, BLACK_KING = 10, 11
WEIGHT_LIMIT = 1.98  # 33 x round(1.98 x 255) stays within int16: the engine's accumulator cannot overflow
# The piece-square weights' bound: 30 is 12,000 centipawns a piece, far beyond any piece's worth,
# and 32 of them (x 255 x 64) stay well within int32.
PSQT_LIMIT = 30.0
FT_SCALE, OUT_SCALE = 255, 64
PSQT_SCALE = FT_SCALE * OUT_SCALE  # the piece-square weights are in the output bias's units
EVAL_SCALE = 400
MAGIC, VERSION = b"VMNN", 2
CHUNK = 1 << 18  # records decoded at once: some 250 MB of temporaries


class InputError(Exception):
    """Bad input: reported on one line, exit status 2."""


def fail(message):
    raise InputError(message)


# ---------------------------------------------------------------------------------------------
# Reading positions


def file_records(path):
    """The number of records in path, or an InputError when it cannot be read or is no whole
    number of records."""
    try:
        size = os.path.getsize(path)
        with open(path, "rb"):
            pass
    except OSError as e:
        fail(f"{path}: cannot be read ({e.strerror})")
    if size % RECORD_SIZE:
        fail(f"{path}: length {size} is no whole number of {RECORD_SIZE}-byte records")
    return size // RECORD_SIZE


def decode(records, path, first):
    """The pieces of a chunk of records: an int16 array (n, 32) of White's feature indices
    (colour x 384 + kind x 64 + square), padded with NO_FEATURE, in square order. Black's indices
    follow from White's (black_features). Raises InputError naming the first damaged record
    (first is the index in its file of the chunk's first record)."""
    n = len(records)
    raw = records.view(np.uint8).reshape(n, RECORD_SIZE)
    occupied = np.unpackbits(raw[:, :8], axis=1, bitorder="little")  # (n, 64): bit i = square i
    counts = occupied.sum(axis=1, dtype=np.int32)

    def damaged(bad, why):
        where = np.flatnonzero(bad)
        if len(where):
            i = where[0]
            fail(f"{path}: record {first + i} is damaged: {why(i)}")

    damaged(counts > MAX_PIECES, lambda i: f"{counts[i]} pieces")
    nibbles = np.empty((n, MAX_PIECES), np.uint8)
    nibbles[:, 0::2] = raw[:, 8:24] & 15
    nibbles[:, 1::2] = raw[:, 8:24] >> 4
    # The k-th occupied square (counted from a1) holds the k-th nibble: the running count of
    # occupied squares gives each square its nibble.
    rank = np.cumsum(occupied, axis=1, dtype=np.uint8)
    rows, squares = np.nonzero(occupied)  # row by row, squares increasing
    slots = rank[rows, squares].astype(np.intp) - 1
    pieces = nibbles[rows, slots]
    bad_piece = np.zeros(n, bool)
    bad_piece[rows[pieces > BLACK_KING]] = True
    damaged(bad_piece, lambda i: f"piece code {nibbles[i, :counts[i]].max()}")
    white_kings = np.bincount(rows[pieces == WHITE_KING], minlength=n)
    black_kings = np.bincount(rows[pieces == BLACK_KING], minlength=n)
    damaged((white_kings != 1) | (black_kings != 1),
            lambda i: f"{white_kings[i]} white and {black_kings[i]} black kings, not one a side")
    result = records["result"]
    damaged((result < -1) | (result > 1), lambda i: f"result {result[i]}")
    flags = records["flags"]
    damaged(flags > 3, lambda i: f"flags {flags[i]}")

    features = np.full((n, MAX_PIECES), NO_FEATURE, np.int16)
    pieces = pieces.astype(np.int16)
    features[rows, slots] = (pieces & 1) * 384 + (pieces >> 1) * 64 + squares
    return features


class Positions:
    """Positions in memory: White's feature lists (int16, 64 bytes a position), the side to move,
    the score and result for the side to move, and a key of the game (file and game number)."""

    def __init__(self, n):
        self.features = np.empty((n, MAX_PIECES), np.int16)
        self.black = np.empty(n, bool)     # Black to move
        self.score = np.empty(n, np.int32)  # for the side to move (int32: -(-32768) fits)
        self.result = np.empty(n, np.int8)  # for the side to move
        self.game = np.empty(n, np.uint64)  # file index << 32 | game number

    def __len__(self):
        return len(self.black)


def read_positions(paths, limit=None):
    """The records of the files, in order, at most limit of them."""
    sizes = [file_records(path) for path in paths]
    total = sum(sizes) if limit is None else min(sum(sizes), limit)
    data = Positions(total)
    at = 0
    for index, (path, size) in enumerate(zip(paths, sizes)):
        take = min(size, total - at)
        try:
            with open(path, "rb") as f:
                for first in range(0, take, CHUNK):
                    count = min(CHUNK, take - first)
                    records = np.fromfile(f, RECORD, count)
                    if len(records) != count:
                        fail(f"{path}: shorter than it was ({first + len(records)} records)")
                    end = at + count
                    data.features[at:end] = decode(records, path, first)
                    black = (records["flags"] & 1).astype(bool)
                    sign = np.where(black, -1, 1)
                    data.black[at:end] = black
                    data.score[at:end] = records["score"] * sign
                    data.result[at:end] = records["result"] * sign
                    data.game[at:end] = np.uint64(index) << np.uint64(32) | records["game"].astype(np.uint64)
                    at = end
        except OSError as e:
            fail(f"{path}: cannot be read ({e.strerror})")
        if at == total:
            break
    return data


def black_features(white):
    """Black's feature indices from White's: colours swapped (the mover's own pieces come first
    for each side) and the board mirrored top to bottom (square ^ 56)."""
    return np.where(white < 384, white + 384, white - 384) ^ 56


def mirror_files(white, which):
    """White's feature indices (B, 32) with the positions where which (B,) is True mirrored left
    to right: square s becomes s ^ 7, the padding left as it is. Black's indices, which follow
    from White's, are then mirrored too (s ^ 56 ^ 7 = s ^ 7 ^ 56)."""
    return np.where(which[:, None] & (white != NO_FEATURE), white ^ 7, white).astype(white.dtype)


# ---------------------------------------------------------------------------------------------
# The scale K


def sigmoid(x):
    return 0.5 + 0.5 * np.tanh(0.5 * x)  # as 1 / (1 + exp(-x)), with no overflow for large x


def fit_scale(score, result):
    """The K for which sigmoid(score / K) best predicts the result (0, 0.5 or 1), by mean squared
    error: a grid over log K, then a golden-section search between the grid's neighbours."""
    s = score.astype(np.float32)
    r = (result.astype(np.float32) + 1) / 2

    def error(k):
        return float(np.mean((sigmoid(s / k) - r) ** 2))

    grid = np.exp(np.linspace(math.log(20), math.log(5000), 41))
    errors = [error(k) for k in grid]
    best = int(np.argmin(errors))
    low, high = grid[max(best - 1, 0)], grid[min(best + 1, len(grid) - 1)]
    golden = (math.sqrt(5) - 1) / 2
    a, b = high - golden * (high - low), low + golden * (high - low)
    ea, eb = error(a), error(b)
    while high - low > 0.01:
        if ea < eb:
            high, b, eb = b, a, ea
            a = high - golden * (high - low)
            ea = error(a)
        else:
            low, a, ea = a, b, eb
            b = low + golden * (high - low)
            eb = error(b)
    k = (low + high) / 2
    return k, error(k)


# ---------------------------------------------------------------------------------------------
# The network

def build_model(torch, hidden):
    nn = torch.nn

    class FeatureSum(torch.autograd.Function):
        """The feature transformer's sums, by EmbeddingBag. Backward, the weights' gradient is the
        same kind of sum the other way round: for each feature, the sum of the gradients of the
        bags that hold it, one more EmbeddingBag over the (2B, H) gradient, which runs several
        times faster on the processor than EmbeddingBag's own backward (the bulk of a step's time
        with it)."""

        @staticmethod
        def forward(ctx, weight, flat, offsets, transposed):
            ctx.transposed = transposed
            return nn.functional.embedding_bag(flat, weight, offsets, mode="sum")

        @staticmethod
        def backward(ctx, grad):
            bags, feature_offsets = ctx.transposed
            weight_grad = nn.functional.embedding_bag(bags, grad.contiguous(), feature_offsets, mode="sum")
            return weight_grad, None, None, None

    class Net(nn.Module):
        def __init__(self):
            super().__init__()
            # The sum of the active features' columns: W1 as a (768, H) table, one row a feature,
            # which is also the order of the file.
            self.ft = nn.EmbeddingBag(FEATURES, hidden, mode="sum")
            self.ft_bias = nn.Parameter(torch.empty(hidden))
            self.out = nn.Linear(2 * hidden, 1)
            # The linear term's piece-square weights v, one a feature (train starts them from the
            # fitted material values).
            self.psqt = nn.Parameter(torch.zeros(FEATURES))
            # Small feature weights: some thirty of them add up, and the accumulator should start
            # mostly inside the clipped ReLU's slope (0 to 1) rather than beyond it.
            nn.init.uniform_(self.ft.weight, -0.1, 0.1)
            nn.init.uniform_(self.ft_bias, 0.2, 0.5)
            nn.init.uniform_(self.out.weight, -1 / math.sqrt(2 * hidden), 1 / math.sqrt(2 * hidden))
            nn.init.zeros_(self.out.bias)

        def params(self):
            """The parameters in the order of the net file, each with its scale there: W1 and b1
            x 255, w2 x 64, b2 and the piece-square weights v x 255 x 64."""
            return ((self.ft.weight, FT_SCALE), (self.ft_bias, FT_SCALE), (self.out.weight.view(-1), OUT_SCALE),
                    (self.out.bias, FT_SCALE * OUT_SCALE), (self.psqt, PSQT_SCALE))

        def scaled(self):
            """The parameters times their scales in the net file, rounded as the file has them
            (halves away from zero), as floats: W1, b1, w2, b2, v."""
            def rounded(x, scale):
                x = x * scale
                return torch.sign(x) * torch.floor(torch.abs(x) + 0.5)

            return tuple(rounded(p, scale) for p, scale in self.params())

        def forward(self, inputs):
            """inputs: batch_inputs of B positions. The output y; the evaluation for the side to
            move is 400 y.

            The network computes with its parameters rounded as the engine has them, the rounding
            passed over by the gradient (each parameter learns as if unrounded): what it learns is
            then what the engine computes, up to the last division's truncation. Without it the
            output weights' coarse steps (1/64) alone move the evaluation some ten centipawns
            from the float one."""
            w1, b1, w2, b2, v = (p + (r / scale - p).detach() for (p, scale), r in zip(self.params(), self.scaled()))
            flat, offsets, transposed = inputs
            # The piece-square sums p over the same bags as the accumulators, by a sum of their
            # own: as one more column of W1 they made a step slower (the (2B, H + 1) sums cut
            # apart again forward and backward cost more than a sum of one column).
            v = v.view(FEATURES, 1)
            if transposed is None:  # no gradient wanted
                acc = nn.functional.embedding_bag(flat, w1, offsets, mode="sum")
                p = nn.functional.embedding_bag(flat, v, offsets, mode="sum")
            else:
                acc = FeatureSum.apply(w1, flat, offsets, transposed)
                p = FeatureSum.apply(v, flat, offsets, transposed)
            active = nn.functional.hardtanh(acc + b1, 0.0, 1.0)
            # The side to move's B accumulators come first, the other side's next: the output is
            # w2 . (own, other) + b2 as two products of (B, H) by (H, 1), one for each half of w2,
            # with no copy of the activations to put them side by side.
            halves = torch.bmm(active.view(2, -1, hidden), w2.view(2, hidden, 1))
            p = p.view(2, -1)  # the side to move's, the other side's
            return halves.sum(dim=0).squeeze(1) + b2 + (p[0] - p[1]) / 2

        def clip(self):
            with torch.no_grad():
                for p in self.parameters():
                    limit = PSQT_LIMIT if p is self.psqt else WEIGHT_LIMIT
                    p.clamp_(-limit, limit)

    return Net()


def batch_inputs(torch, features, black, for_gradient):
    """The inputs of the network for positions (features: (B, 32) White's indices, padded; black:
    (B,) True where Black moves): the active features of B bags for the side to move's perspective
    then B for the other side's, in one flat list with the offsets of the 2B bags, for
    EmbeddingBag; for_gradient, also the bags of each feature (for FeatureSum's backward).
    Ordering the bags by the side to move rather than by colour spares the network a selection
    by the side to move."""
    present = features != NO_FEATURE
    white = features[present]  # row by row
    counts = present.sum(axis=1)
    b = len(features)
    offsets = np.zeros(2 * b, np.int64)
    np.cumsum(counts[:-1], out=offsets[1:b])
    offsets[b:] = offsets[:b] + len(white)
    black_moves = np.repeat(black, counts)
    other = black_features(white)
    flat = np.concatenate([np.where(black_moves, other, white), np.where(black_moves, white, other)])
    transposed = None
    if for_gradient:
        # For each feature, the bags that hold it (a stable sort keeps them in order), and where
        # each feature's bags start.
        order = np.argsort(flat, kind="stable")
        bags = np.repeat(np.arange(2 * b), np.concatenate([counts, counts]))[order]
        feature_offsets = np.zeros(FEATURES, np.int64)
        np.cumsum(np.bincount(flat, minlength=FEATURES)[:-1], out=feature_offsets[1:])
        transposed = torch.from_numpy(bags.astype(np.int64)), torch.from_numpy(feature_offsets)
    return torch.from_numpy(flat.astype(np.int64)), torch.from_numpy(offsets), transposed


# ---------------------------------------------------------------------------------------------
# The net file

def fnv1a(data):
    h = 2166136261
    for byte in data:
        h = ((h ^ byte) * 16777619) & 0xFFFFFFFF
    return h


def net_bytes(w1q, b1q, w2q, b2q, vq):
    hidden = w1q.shape[1]
    body = (MAGIC + np.array([VERSION, hidden], "<u4").tobytes() + w1q.astype("<i2").tobytes() +
            b1q.astype("<i2").tobytes() + w2q.astype("<i2").tobytes() + np.array([b2q], "<i4").tobytes() +
            vq.astype("<i4").tobytes())
    return body + np.array([fnv1a(body)], "<u4").tobytes()


def net_size(hidden):
    return 12 + 2 * FEATURES * hidden + 2 * hidden + 4 * hidden + 4 + 4 * FEATURES + 4


def read_net(path):
    """The integer parameters of a net file, checked: magic, version, length and checksum."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        fail(f"{path}: cannot be read ({e.strerror})")
    if len(data) < 12 or data[:4] != MAGIC:
        fail(f"{path}: not a VimoChess net (no {MAGIC.decode()} at its start)")
    version, hidden = np.frombuffer(data, "<u4", 2, 4)
    if version != VERSION:
        fail(f"{path}: net version {version}, this program reads version {VERSION}")
    if hidden == 0 or len(data) != net_size(int(hidden)):
        fail(f"{path}: length {len(data)} bytes, a net of {hidden} neurons has "
             f"{net_size(int(hidden)) if hidden else 'more'}")
    stored, computed = int(np.frombuffer(data, "<u4", 1, len(data) - 4)[0]), fnv1a(data[:-4])
    if stored != computed:
        fail(f"{path}: checksum {stored:08x}, its bytes give {computed:08x}: the file is damaged")
    h = int(hidden)
    at = 12
    w1q = np.frombuffer(data, "<i2", FEATURES * h, at).reshape(FEATURES, h)
    at += 2 * FEATURES * h
    b1q = np.frombuffer(data, "<i2", h, at)
    at += 2 * h
    w2q = np.frombuffer(data, "<i2", 2 * h, at)
    at += 4 * h
    b2q = np.frombuffer(data, "<i4", 1, at)[0]
    at += 4
    vq = np.frombuffer(data, "<i4", FEATURES, at)
    return w1q, b1q, w2q, b2q, vq


def integer_eval(net, features, black):
    """The engine's integer evaluation for the side to move, centipawns: int16 accumulators
    (wrapping as int16 arithmetic would), activations clipped to 0..255, the output summed in
    integers, plus half the difference of the two sides' piece-square sums (truncated toward
    zero), then x 400 / (255 x 64) truncated toward zero (as C++'s integer division)."""
    w1q, b1q, w2q, b2q, vq = net
    h = len(b1q)
    table = np.vstack([w1q.astype(np.int32), np.zeros((1, h), np.int32)])  # row NO_FEATURE adds nothing
    psqt = np.append(vq.astype(np.int64), np.int64(0))

    def accumulate(indices):
        acc = b1q.astype(np.int32) + table[indices].sum(axis=1, dtype=np.int32)
        return np.clip(acc.astype(np.int16).astype(np.int64), 0, FT_SCALE)

    white_indices = features.astype(np.intp)
    padded = features == NO_FEATURE
    black_indices = np.where(padded, NO_FEATURE, black_features(white_indices))
    white_acc, black_acc = accumulate(white_indices), accumulate(black_indices)
    mover = black[:, None]
    own, other = np.where(mover, black_acc, white_acc), np.where(mover, white_acc, black_acc)
    white_p, black_p = psqt[white_indices].sum(axis=1), psqt[black_indices].sum(axis=1)
    difference = np.where(black, black_p - white_p, white_p - black_p)
    linear = np.sign(difference) * (np.abs(difference) // 2)
    total = own @ w2q[:h].astype(np.int64) + other @ w2q[h:].astype(np.int64) + np.int64(b2q) + linear
    scaled = total * EVAL_SCALE
    divisor = FT_SCALE * OUT_SCALE
    return np.sign(scaled) * (np.abs(scaled) // divisor)


def check(net_path, data_path, count):
    net = read_net(net_path)
    records = file_records(data_path)
    data = read_positions([data_path], min(count, records))
    for first in range(0, len(data), 4096):  # in parts: the gathered weights take 32 x H ints a record
        part = slice(first, first + 4096)
        evals = integer_eval(net, data.features[part], data.black[part])
        print("\n".join(f"{first + i} {'b' if black else 'w'} {int(e)}"
                        for i, (black, e) in enumerate(zip(data.black[part], evals))))


# ---------------------------------------------------------------------------------------------
# Training

def material_difference(features, black):
    """For each position, the side to move's pawns, knights, bishops, rooks and queens less the
    other side's: an int array (n, 5)."""
    present = features != NO_FEATURE
    rows = np.repeat(np.arange(len(features)), present.sum(axis=1))
    white = features[present].astype(np.int64)
    colour, kind = white // 384, white % 384 // 64
    counts = np.bincount(rows * 12 + colour * 6 + kind, minlength=12 * len(features)).reshape(-1, 2, 6)
    difference = (counts[:, 0, :5] - counts[:, 1, :5]).astype(np.int64)
    difference[black] *= -1
    return difference


def fit_material(torch, difference, target, scale):
    """The values (in the output's units, 400 centipawns) of pawn, knight, bishop, rook and queen
    with which the material difference alone best predicts the target, by the training's loss:
    mean squared error of sigmoid(scale x difference . values). By L-BFGS, in double precision."""
    d = torch.from_numpy(difference.astype(np.float64))
    t = torch.from_numpy(target.astype(np.float64))
    values = torch.zeros(5, dtype=torch.float64, requires_grad=True)
    optimiser = torch.optim.LBFGS([values], max_iter=100, tolerance_grad=1e-12, tolerance_change=1e-15,
                                  line_search_fn="strong_wolfe")

    def loss():
        optimiser.zero_grad()
        error = torch.mean((torch.sigmoid(d @ values * scale) - t) ** 2)
        error.backward()
        return error

    optimiser.step(loss)
    return values.detach().numpy(), float(loss())


def split_games(data, fraction, rng):
    """Training and validation indices: the validation games are a seeded random choice of
    round(fraction x games) games (at least one when fraction > 0 and there are two games or more,
    never all of them)."""
    games, which = np.unique(data.game, return_inverse=True)
    held = int(round(fraction * len(games)))
    if fraction > 0 and len(games) > 1:
        held = max(held, 1)
    held = min(held, len(games) - 1)
    validation_games = np.zeros(len(games), bool)
    validation_games[rng.permutation(len(games))[:held]] = True
    in_validation = validation_games[which]
    return np.flatnonzero(~in_validation), np.flatnonzero(in_validation), len(games) - held, held


def format_time(seconds):
    seconds = int(round(seconds))
    if seconds < 60:
        return f"{seconds} s"
    if seconds < 3600:
        return f"{seconds // 60} min {seconds % 60:02d} s"
    return f"{seconds // 3600} h {seconds % 3600 // 60:02d} min"


def train(a):
    # Threads that wait for work sleep rather than spin: on a machine busy with other work,
    # spinning threads made two threads some four times slower than one.
    os.environ.setdefault("OMP_WAIT_POLICY", "PASSIVE")
    import torch  # here, so that --help, --check and bad input need no torch

    torch.set_num_threads(a.threads)
    torch.manual_seed(a.seed)
    np.random.seed(a.seed)
    rng = np.random.default_rng(a.seed)
    # The mirroring's coin has a stream of its own, so that --mirror leaves the held-out games and
    # the order of the positions as they are without it.
    mirror_rng = np.random.default_rng([a.seed, 1])
    start = time.monotonic()

    data = read_positions(a.files, a.max_positions)
    if len(data) == 0:
        fail("no positions in " + ", ".join(a.files))
    train_index, validation_index, train_games, validation_games = split_games(data, a.validation, rng)
    say(f"{len(data)} positions: {len(train_index)} to train on ({train_games} games), "
        f"{len(validation_index)} held out ({validation_games} games); read in {format_time(time.monotonic() - start)}")

    if a.scale is None:
        k, k_error = fit_scale(data.score[train_index], data.result[train_index])
        say(f"scale K = {k:.1f} fitted on the training positions (mean squared error {k_error:.5f} of "
            f"sigmoid(score / K) against the result)")
    else:
        k = a.scale
    # The targets for the side to move, computed once.
    r = (data.result.astype(np.float32) + 1) / 2
    target = (a.wdl * r + (1 - a.wdl) * sigmoid(data.score.astype(np.float32) / np.float32(k))).astype(np.float32)

    model = build_model(torch, a.hidden)
    optimiser = torch.optim.Adam(model.parameters(), lr=a.lr)
    scale = EVAL_SCALE / k

    # The piece-square weights start from the material values that fit the training positions
    # best. Adam moves a weight by about the learning rate a step, and a queen is worth some 2.3
    # (900 centipawns): from 0 the linear term would need thousands of steps to learn the
    # material, more than a few epochs of a small data set give it, and the hidden layer would
    # learn it meanwhile instead.
    difference = material_difference(data.features[train_index], data.black[train_index])
    values, material_loss = fit_material(torch, difference, target[train_index], scale)
    say("material values " + ", ".join(f"{name} {EVAL_SCALE * value:.0f}" for name, value in zip("PNBRQ", values)) +
        f" centipawns (loss {material_loss:.6f} of the material alone)")
    with torch.no_grad():
        start_values = torch.from_numpy(np.clip(values, -PSQT_LIMIT, PSQT_LIMIT).astype(np.float32))
        for kind in range(5):
            model.psqt[kind * 64:(kind + 1) * 64] = start_values[kind]  # the side's own pieces
            model.psqt[384 + kind * 64:384 + (kind + 1) * 64] = -start_values[kind]  # the other side's

    def batch(index, training):
        features = data.features[index]
        if training and a.mirror:
            features = mirror_files(features, mirror_rng.random(len(index)) < 0.5)
        inputs = batch_inputs(torch, features, data.black[index], training)
        return inputs, torch.from_numpy(target[index])

    def loss_of(inputs, t):
        return torch.mean((torch.sigmoid(model(inputs) * scale) - t) ** 2)

    def validation_loss():
        if len(validation_index) == 0:
            return None
        total = 0.0
        with torch.no_grad():
            for first in range(0, len(validation_index), a.batch_size):
                index = validation_index[first:first + a.batch_size]
                total += float(loss_of(*batch(index, False))) * len(index)
        return total / len(validation_index)

    log = None
    if a.log:
        try:
            log = open(a.log, "w")
        except OSError as e:
            fail(f"{a.log}: cannot be written ({e.strerror})")
        log.write("epoch,train_loss,validation_loss,seconds\n")

    best, best_epoch, best_state = None, 0, None
    training_start = time.monotonic()
    epoch_seconds = []
    for epoch in range(a.epochs):
        # The learning rate drops to 0.3 of itself at 70 % of the epochs and again at 90 %.
        lr = a.lr * (0.3 if epoch >= round(0.7 * a.epochs) else 1) * (0.3 if epoch >= round(0.9 * a.epochs) else 1)
        for group in optimiser.param_groups:
            group["lr"] = lr
        epoch_start = time.monotonic()
        order = rng.permutation(train_index)
        model.train()
        total = 0.0
        for first in range(0, len(order), a.batch_size):
            index = np.sort(order[first:first + a.batch_size])  # sorted: gathering them goes faster
            loss = loss_of(*batch(index, True))
            optimiser.zero_grad()
            loss.backward()
            optimiser.step()
            model.clip()
            total += float(loss) * len(index)
        train_seconds = time.monotonic() - epoch_start
        train_loss = total / len(order)
        model.eval()
        v = validation_loss()
        epoch_seconds.append(time.monotonic() - epoch_start)
        elapsed = time.monotonic() - training_start
        left = (a.epochs - epoch - 1) * sum(epoch_seconds[-3:]) / len(epoch_seconds[-3:])
        if v is None or best is None or v < best:
            best, best_epoch = v, epoch + 1
            best_state = {name: p.detach().clone() for name, p in model.state_dict().items()}
        say(f"epoch {epoch + 1}/{a.epochs}: train loss {train_loss:.6f}, validation loss "
            f"{'-' if v is None else f'{v:.6f}'}, lr {lr:.2g}, {len(order) / train_seconds:.0f} positions/s, "
            f"{format_time(elapsed)} elapsed, {format_time(left)} left")
        if log:
            log.write(f"{epoch + 1},{train_loss:.6f},{'' if v is None else f'{v:.6f}'},{elapsed:.1f}\n")
            log.flush()
    if log:
        log.close()

    model.load_state_dict(best_state)
    with torch.no_grad():
        w1, b1, w2, b2, v = (p.numpy() for p in model.scaled())
    try:
        with open(a.out, "wb") as f:
            f.write(net_bytes(w1.astype(np.int16), b1.astype(np.int16), w2.astype(np.int16), np.int32(b2[0]),
                              v.astype(np.int32)))
    except OSError as e:
        fail(f"{a.out}: cannot be written ({e.strerror})")
    which = "the last epoch" if best is None else f"epoch {best_epoch}, validation loss {best:.6f}"
    say(f"wrote {a.out} ({a.hidden} neurons, {which}) in {format_time(time.monotonic() - start)}")
    return model, k


# ---------------------------------------------------------------------------------------------
# Options

def say(message):
    print(message, file=sys.stderr, flush=True)


class Parser(argparse.ArgumentParser):
    def error(self, message):
        # One line, rather than argparse's usage and message.
        raise InputError(message + " (see --help)")


def positive(kind):
    def parse(text):
        try:
            value = kind(text)
        except ValueError:
            raise argparse.ArgumentTypeError(f"{text!r} is no number")
        if not value > 0 or not math.isfinite(value):
            raise argparse.ArgumentTypeError(f"{text!r} is not positive")
        return value
    return parse


def fraction(text):
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"{text!r} is no number")
    if not 0 <= value <= 1:
        raise argparse.ArgumentTypeError(f"{text!r} is not between 0 and 1")
    return value


def parse_options(argv):
    p = Parser(prog="tools/train.py", description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter,
               usage=argparse.SUPPRESS)
    p.add_argument("files", nargs="*", metavar="FILE", help="training positions (32-byte records)")
    p.add_argument("--out", metavar="NET", help="the net file to write (needed to train)")
    p.add_argument("--hidden", type=positive(int), default=128, metavar="H",
                   help="neurons of the feature transformer (default 128)")
    p.add_argument("--epochs", type=positive(int), default=20, metavar="E", help="passes over the data (default 20)")
    p.add_argument("--batch-size", type=positive(int), default=16384, metavar="B",
                   help="positions a step (default 16384)")
    p.add_argument("--lr", type=positive(float), default=0.001,
                   help="Adam's learning rate (default 0.001), x 0.3 at 70 %% and again at 90 %% of the epochs")
    p.add_argument("--wdl", type=fraction, default=0.3, metavar="L",
                   help="weight of the game result in the target (default 0.3)")
    p.add_argument("--scale", type=positive(float), metavar="K",
                   help="centipawns of the sigmoid sigmoid(score / K) (default: fitted to the data)")
    p.add_argument("--validation", type=fraction, default=0.05, metavar="F",
                   help="fraction of the games held out (default 0.05; 0 keeps the last epoch)")
    p.add_argument("--max-positions", type=positive(int), metavar="N", help="read only the first N positions")
    p.add_argument("--mirror", action="store_true",
                   help="mirror each training position left to right (files a <-> h) with probability 1/2 "
                        "each time it is used")
    p.add_argument("--seed", type=int, default=1, metavar="S",
                   help="seed of the weights, the held-out games, the order and --mirror (default 1)")
    p.add_argument("--threads", type=positive(int), default=2, metavar="T", help="torch threads (default 2)")
    p.add_argument("--log", metavar="CSV", help="one line an epoch: epoch,train_loss,validation_loss,seconds")
    p.add_argument("--check", nargs="+", metavar="ARG",
                   help="NET FILE [N]: the engine's integer evaluation of the first N records (default 10)")
    a = p.parse_args(argv)
    if a.check is not None:
        if not 2 <= len(a.check) <= 3:
            p.error("--check takes NET FILE [N]")
        if len(a.check) == 3:
            try:
                a.check[2] = positive(int)(a.check[2])
            except argparse.ArgumentTypeError as e:
                p.error(f"--check: N {e}")
        else:
            a.check.append(10)
        if a.files:
            p.error("--check takes no other files")
        return a
    if not a.files:
        p.error("no training files given")
    if not a.out:
        p.error("--out NET is needed to train")
    # Found out now rather than after the training.
    for path in [a.out] + ([a.log] if a.log else []):
        if os.path.isdir(path) or not os.access(os.path.dirname(path) or ".", os.W_OK):
            fail(f"{path}: cannot be written")
    if a.validation >= 1:
        p.error("--validation must be below 1: some games must be left to train on")
    if a.hidden > 4096:
        p.error("--hidden above 4096")
    if not 0 <= a.seed < 2 ** 32:
        p.error("--seed must be within 0 .. 2^32 - 1")
    return a


def main(argv):
    try:
        a = parse_options(argv)
        if a.check is not None:
            check(*a.check)
        else:
            train(a)
    except InputError as e:
        print(f"{PROGRAM}: {e}", file=sys.stderr)
        return 2
    except MemoryError:
        print(f"{PROGRAM}: out of memory (try --max-positions)", file=sys.stderr)
        return 2
    except KeyboardInterrupt:
        print(f"{PROGRAM}: interrupted", file=sys.stderr)
        return 130
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
