// The search walks the tree on a stack of boards instead of building it from heap nodes. It visits
// exactly the positions, in exactly the order, that walking generateMoves' chains would:
// the candidates of a position come in chain order (White: origins and destinations from 63 down,
// Black: from 0 up, promotions queen, bishop, knight, rook), made one at a time as the walk reaches
// them, and a beta cut-off simply stops making them. Only the root, whose progress line shows the
// number of candidates, and a node given a first move list them all beforehand.
//
// What a visit costs is another matter, and most visits are leaves:
// - a piece's legal destinations are found at once, from the board, by the shape of its moves
//   (jumps, rays, pawn steps); only castling and en passant are put to the rule checker;
// - a leaf's board is never made: its table keys and its score follow from its parent's and from
//   the two squares a plain move changes, and a node one step above the leaves (frontier) works
//   out once per piece what leaving its square does to them;
// - a byte per table entry, made from the entries when the search starts and kept up to date by
//   its stores, settles almost every probe without reading the entry from the large table.
#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <vector>

#include "../rules/game_end.h"
#include "../rules/rule_checker.h"
#include "engine.h"
#include "evaluation.h"
#include "search_display.h"

int32_t rootDepth = 0;
int32_t nodeCount = 0;

namespace {

void showProgress(int moveNo, int count) {
    if (!showPanelText) return;
    char text[64];
    formatProgress(text, moveNo, count);
    showPanelText(ProgressText, text);
}

void showBestMove(const MoveInfo& move, int value) {
    if (!showPanelText) return;
    char text[64];
    formatBestMove(text, move, value);
    showPanelText(BestMoveText, text);
}

// A set of squares as two 32-bit halves, which 32-bit code handles as cheaply as 64-bit code. The
// halves are named rather than indexed, so that a set can live in registers.
struct SquareSet {
    uint32_t low = 0, high = 0;  // squares 0 to 31, 32 to 63

    void add(int s) {
        const uint32_t bit = 1u << (s & 31);
        low |= s < 32 ? bit : 0;
        high |= s < 32 ? 0 : bit;
    }
    void remove(int s) {
        const uint32_t bit = 1u << (s & 31);
        low &= s < 32 ? ~bit : ~0u;
        high &= s < 32 ? ~0u : ~bit;
    }
    bool has(int s) const { return ((s < 32 ? low : high) >> (s & 31)) & 1; }
    bool empty() const { return (low | high) == 0; }
    int takeLowest() {
        if (low) {
            const int s = __builtin_ctz(low);
            low &= low - 1;
            return s;
        }
        const int s = __builtin_ctz(high);
        high &= high - 1;
        return 32 + s;
    }
    int takeHighest() {
        if (high) {
            const int s = 31 - __builtin_clz(high);
            high ^= 1u << s;
            return 32 + s;
        }
        const int s = 31 - __builtin_clz(low);
        low ^= 1u << s;
        return s;
    }
    SquareSet operator|(const SquareSet& o) const { return SquareSet{low | o.low, high | o.high}; }
    SquareSet operator&(const SquareSet& o) const { return SquareSet{low & o.low, high & o.high}; }
    SquareSet operator~() const { return SquareSet{~low, ~high}; }
};

// What the move table allows a piece on a square, sorted by what the rule checker would demand of
// each destination, so that the walk answers most of them from the board at once:
// - jumps (knights, kings): legal unless an own piece stands there;
// - rays (rooks, bishops, queens): every square up to and including the first occupied one, unless
//   that one holds an own piece;
// - a pawn's single steps onto an empty square, its double steps when both squares are empty, its
//   diagonal steps onto an enemy piece;
// - everything else goes to the rule checker: castling, a diagonal pawn step onto an empty square
//   (en passant), and whatever a table might hold beyond the usual geometry.
struct PieceMoves {
    enum Part : uint8_t { Jumps = 1, Rays = 2, PawnSteps = 4, Asked = 8 };
    uint8_t parts = 0;  // which of the sets below hold anything
    uint8_t rays = 0;   // directions, as indices into Geometry::ray
    SquareSet jumps;
    SquareSet pushes, doubleSteps, captures;
    SquareSet passant, asked;  // en passant squares are put to the checker only when empty
};

struct Geometry {
    PieceMoves moves[12][64];
    uint8_t ray[64][8][7];  // the squares from a square outwards to the edge, per direction
    uint8_t rayLength[64][8];

    explicit Geometry(const MoveTable& table) {
        static const int rowStep[8] = {1, 1, 0, -1, -1, -1, 0, 1}, colStep[8] = {0, 1, 1, 1, 0, -1, -1, -1};
        for (int from = 0; from < 64; ++from)
            for (int d = 0; d < 8; ++d) {
                int n = 0;
                for (int r = from / 8 + rowStep[d], c = from % 8 + colStep[d]; r >= 0 && r < 8 && c >= 0 && c < 8;
                     r += rowStep[d], c += colStep[d])
                    ray[from][d][n++] = static_cast<uint8_t>(r * 8 + c);
                rayLength[from][d] = static_cast<uint8_t>(n);
            }
        for (int p = 0; p < 12; ++p)
            for (int from = 0; from < 64; ++from) classify(table, p, from);
    }

    void classify(const MoveTable& table, int p, int from) {
        PieceMoves& pm = moves[p][from];
        const int kind = p >> 1;
        const bool jumper = kind == Knight || kind == King, slider = kind == Rook || kind == Bishop || kind == Queen;
        SquareSet lines;
        for (int to = 0; to < 64; ++to) {
            const uint8_t f = table.flags[p][from][to];
            if (f == 0) continue;
            const int rows = std::abs(to / 8 - from / 8), cols = std::abs(to % 8 - from % 8);
            const bool pawn = kind == Pawn, diagonalStep = rows == 1 && cols == 1;
            if (f == (MoveToEmpty | MoveToCapture) && (jumper || slider))
                (jumper ? pm.jumps : lines).add(to);
            else if (pawn && f == MoveToEmpty && cols == 0 && rows == 1)
                pm.pushes.add(to);
            else if (pawn && f == MoveToEmpty && cols == 0 && rows == 2)
                pm.doubleSteps.add(to);
            else if (pawn && f == MoveToCapture && diagonalStep)
                pm.captures.add(to);
            else if (pawn && f == (MoveToCapture | EnPassantCandidate) && diagonalStep)
                pm.captures.add(to), pm.passant.add(to);
            else
                pm.asked.add(to);
        }
        // A direction is walked when the table allows its whole ray; what is left of the lines
        // goes to the checker, which tests their paths itself.
        for (int d = 0; d < 8; ++d) {
            const int n = rayLength[from][d];
            bool whole = n > 0;
            for (int i = 0; i < n; ++i) whole = whole && lines.has(ray[from][d][i]);
            if (!whole) continue;
            pm.rays |= static_cast<uint8_t>(1u << d);
            for (int i = 0; i < n; ++i) lines.remove(ray[from][d][i]);
        }
        pm.asked = pm.asked | lines;
        const bool pawnSteps = !(pm.pushes | pm.doubleSteps | pm.captures).empty();
        pm.parts = static_cast<uint8_t>((pm.jumps.empty() ? 0 : PieceMoves::Jumps) | (pm.rays ? PieceMoves::Rays : 0) |
                                        (pawnSteps ? PieceMoves::PawnSteps : 0) |
                                        ((pm.passant | pm.asked).empty() ? 0 : PieceMoves::Asked));
    }
};

// The table keys of a piece on a square, with a row of zeros for the empty square.
struct SquareKeys {
    int32_t index, key;
};

// A position on the search stack, with its occupied squares, table keys and evaluation terms kept up
// to date move by move.
struct Frame {
    Board board;
    SquareSet occupied[2];  // by colour
    int32_t index;
    int32_t key;
    EvaluationTerms terms;
};

// What a move does to one square: its content before and after.
struct SquareChange {
    int8_t square;
    PieceCode was, now;
};

// A candidate move, what it does to the board and the table keys of the position it leads to.
struct Candidate {
    uint8_t from, to;
    PieceCode promotion;
    PieceCode piece, captured, arriving;  // on the origin, on the destination, arriving there
    uint8_t count;                        // squares changed: 2, 3 (en passant) or 4 (castling)
    SquareChange changes[4];              // filled only when count is more than 2
    int32_t index;
    int32_t key;

    MoveInfo move() const { return MoveInfo(from >> 3, from & 7, to >> 3, to & 7, promotion, 0); }
};

// A byte per table entry that settles most probes without reading the entry itself (36 bytes, in a
// table too large for the cache): 0 when the entry can answer no probe, otherwise a mark made of its
// side to move and the low bits of its check key. A probe reads the entry only when the marks agree.
uint8_t probeMark(int32_t side, int32_t key) { return static_cast<uint8_t>(0x80 | side << 6 | (key & 0x3f)); }
uint8_t probeMark(const TableEntry& e) {
    return e.valid == 1 && (e.side == White || e.side == Black) ? probeMark(e.side, e.key) : 0;
}

// True when a pawn arrives where it may take en passant or promote: a move that may change more
// than its two squares.
inline bool pawnMayDoMore(PieceCode piece, int to) {
    return (piece == 0 && to >> 3 >= 5) || (piece == 1 && to >> 3 <= 2);
}

struct Search {
    const Engine& engine;
    const MoveTable& table;
    TranspositionTable& tt;
    const Geometry& geometry;
    SquareKeys keys[13][64];
    uint8_t* marks;  // the probe mark of every entry: made from the entries when the search starts,
                     // and kept up to date by its stores

    // False when the entry at index cannot answer a position with this side to move and check key.
    bool mayAnswer(int32_t index, int32_t side, int32_t key) const {
        return marks[index] == probeMark(side, key) || (side != White && side != Black);
    }
    void store(int32_t index, int32_t key, int32_t side, int32_t depth, const MoveInfo& move) {
        tt.store(index, key, side, depth, move);
        marks[index] = probeMark(tt.entries[index]);
    }

    MoveInfo node(const Frame& f, int depth, int alpha, int beta, const MoveInfo* firstMove, bool& legal);
    MoveInfo frontier(const Frame& f, int beta, bool& legal);
    __attribute__((always_inline)) void describe(const Frame& f, Candidate& c) const;
    __attribute__((noinline)) void describeMore(const Frame& f, Candidate& c) const;
    void makeChild(const Frame& parent, const Candidate& c, Frame& child) const;
    __attribute__((always_inline)) int32_t leafValue(const Frame& parent, const Candidate& c,
                                                     const MoveScorer* scorer) const;
    __attribute__((noinline)) int32_t leafValueMade(const Frame& parent, const Candidate& c, bool probe) const;
};

// The squares makeMove changes: origin and destination, and, for the few moves that may do more,
// the pawn taken en passant or the castling rook's two squares. The conditions are makeMove's own,
// so that the keys and terms follow it.
inline void Search::describe(const Frame& f, Candidate& c) const {
    const Board& b = f.board;
    const int from = c.from, to = c.to;
    const PieceCode piece = b.squares[from], captured = b.squares[to];
    c.piece = piece;
    c.captured = captured;
    c.arriving = piece;
    c.count = 2;
    const bool kingMayCastle = (from == 4 && piece == 10) || (from == 60 && piece == 11);
    if (pawnMayDoMore(piece, to) || kingMayCastle) {
        describeMore(f, c);
        return;
    }
    const SquareKeys &left = keys[piece][from], &taken = keys[captured][to], &entered = keys[piece][to];
    c.index = f.index ^ left.index ^ taken.index ^ entered.index;
    c.key = f.key ^ left.key ^ taken.key ^ entered.key;
}

// describe() for a pawn arriving where it may take en passant or promote, or a king leaving its
// castling square.
void Search::describeMore(const Frame& f, Candidate& c) const {
    const Board& b = f.board;
    const int from = c.from, to = c.to;
    const PieceCode piece = c.piece, captured = c.captured;
    int n = 0;
    if (piece <= 1) {
        const int fromRow = from >> 3, toRow = to >> 3, toCol = to & 7;
        const bool whiteTakes = piece == 0 && toRow == 5, blackTakes = piece == 1 && toRow == 2;
        if (whiteTakes || blackTakes) {
            const int x = (whiteTakes ? 4 : 3) * 8 + toCol;
            const MoveInfo& last = b.lastMove;
            if (b.squares[x] == (whiteTakes ? 1 : 0) && last.fromCol == toCol && last.toCol == toCol &&
                last.toRow == fromRow && last.fromRow == (whiteTakes ? 6 : 1))
                c.changes[n++] = SquareChange{static_cast<int8_t>(x), b.squares[x], EmptySquare};
        }
        if (c.promotion != NoPromotion && ((piece == 0 && fromRow == 6 && toRow == 7) ||
                                           (piece == 1 && fromRow == 1 && toRow == 0)))
            c.arriving = c.promotion;
    }
    c.changes[n++] = SquareChange{static_cast<int8_t>(from), piece, EmptySquare};
    c.changes[n++] = SquareChange{static_cast<int8_t>(to), captured, c.arriving};
    const int toCol = to & 7;
    if (piece >= 10 && (toCol == 2 || toCol == 6)) {
        const int row = from & ~7;
        const int beside = row + (toCol == 2 ? 3 : 5), corner = row + (toCol == 2 ? 0 : 7);
        const PieceCode rook = static_cast<PieceCode>(piece - 8);
        c.changes[n++] = SquareChange{static_cast<int8_t>(beside), b.squares[beside], rook};
        c.changes[n++] = SquareChange{static_cast<int8_t>(corner), b.squares[corner], EmptySquare};
    }
    c.count = static_cast<uint8_t>(n);
    int32_t index = f.index, key = f.key;
    for (int i = 0; i < n; ++i) {
        const SquareKeys& was = keys[c.changes[i].was][c.changes[i].square];
        const SquareKeys& now = keys[c.changes[i].now][c.changes[i].square];
        index ^= was.index ^ now.index;
        key ^= was.key ^ now.key;
    }
    c.index = index;
    c.key = key;
}

void Search::makeChild(const Frame& parent, const Candidate& c, Frame& child) const {
    const MoveInfo m = c.move();
    child.board = parent.board;
    Board& b = child.board;
    makeMove(b, m);
    b.switchSide();
    b.lastMove = m;

    const SquareChange plain[2] = {{static_cast<int8_t>(c.from), c.piece, EmptySquare},
                                   {static_cast<int8_t>(c.to), c.captured, c.arriving}};
    const SquareChange* changes = c.count == 2 ? plain : c.changes;
    child.occupied[0] = parent.occupied[0];
    child.occupied[1] = parent.occupied[1];
    child.terms = parent.terms;
    for (int i = 0; i < c.count; ++i) {
        const SquareChange& ch = changes[i];
        if (ch.was != EmptySquare) {
            child.occupied[ch.was & 1].remove(ch.square);
            child.terms.remove(ch.was, ch.square);
        }
        if (ch.now != EmptySquare) {
            child.occupied[ch.now & 1].add(ch.square);
            child.terms.add(ch.now, ch.square);
        }
    }
    child.terms.settle();
    child.index = c.index;
    child.key = c.key;
    assert(c.index == tt.indexOf(b) && c.key == tt.checkKeyOf(b));
#ifndef NDEBUG
    PieceCode expected[64];
    std::copy(parent.board.squares, parent.board.squares + 64, expected);
    for (int i = 0; i < c.count; ++i) expected[changes[i].square] = changes[i].now;
    assert(std::equal(expected, expected + 64, b.squares));
#endif
}

// The value a leaf child returns to its parent, as node() would find it at depth 0: the table's
// answer when its move passes the checker, otherwise the evaluation. The child's board is made
// only when the table might answer or the running terms cannot score it. scorer: null when the
// parent's terms are not known().
inline int32_t Search::leafValue(const Frame& f, const Candidate& c, const MoveScorer* scorer) const {
    const Board& b = f.board;
    const int32_t side = b.sideToMove == White ? Black : White;
    const TableEntry& e = tt.entries[c.index];
    const bool probe = mayAnswer(c.index, side, c.key) && e.valid == 1 && e.side == side && e.key == c.key &&
                       e.depth >= 0 && e.move.onBoard();
    const bool kingTaken = c.captured == 10 || c.captured == 11;
    if (probe || kingTaken || !scorer || c.count != 2) return leafValueMade(f, c, probe);
    const int32_t value = scorer->scoreAfter(c.from, c.to, c.piece, c.captured, c.arriving);
#ifndef NDEBUG
    Frame child;
    makeChild(f, c, child);
    assert(value == engine.evaluate(child.board));
#endif
    return value;
}

// leafValue's rarer cases: the table may answer, or the move does more than a plain move.
int32_t Search::leafValueMade(const Frame& f, const Candidate& c, bool probe) const {
    const int32_t side = f.board.sideToMove == White ? Black : White;
    const TableEntry& e = tt.entries[c.index];
    Frame child;
    makeChild(f, c, child);
    if (probe && checkMove(child.board, e.move, table, true, false) == Legal) return e.move.value;
    const int32_t value = child.terms.known() ? child.terms.score(side) : engine.evaluate(child.board);
    assert(value == engine.evaluate(child.board));
    return value;
}

// The candidates of a position in chain order, made one at a time: own pieces from the highest
// square down for White and from the lowest up for Black, each piece's legal destinations in the
// same direction, found all at once when the walk reaches the piece.
struct CandidateWalk {
    const Frame& f;
    const Geometry& g;
    const MoveTable& table;
    const int side;
    const bool white;
    SquareSet origins;  // own pieces not reached yet
    SquareSet targets;  // the current piece's legal destinations not taken yet
    int from = 0;
    int lastRow = -1;    // the row on which the current piece promotes, -1 for none
    int promotion = -1;  // the next promotion piece kind, -1 when not promoting
    int promotingTo = 0;
    std::vector<Candidate> list;  // when listed beforehand: the candidates, taken from at on
    size_t at = 0;
    bool listed = false;

    CandidateWalk(const Frame& frame, const Geometry& geometry, const MoveTable& t)
        : f(frame), g(geometry), table(t), side(frame.board.sideToMove), white(side == White),
          origins(frame.occupied[side & 1]) {
        if (side != White && side != Black) origins = SquareSet();
    }

    // The destinations checkMoveBetween accepts for the piece on from (own side, no king safety).
    __attribute__((noinline)) SquareSet legalTargets(int from) const {
        const Board& b = f.board;
        const PieceMoves& pm = g.moves[b.squares[from]][from];
        const SquareSet own = f.occupied[side];
        SquareSet t;
        if (pm.parts & PieceMoves::Jumps) t = pm.jumps & ~own;
        if (pm.parts & PieceMoves::Rays) {
            for (unsigned dirs = pm.rays; dirs; dirs &= dirs - 1) {
                const int d = __builtin_ctz(dirs);
                const uint8_t* ray = g.ray[from][d];
                for (int i = 0, n = g.rayLength[from][d]; i < n; ++i) {
                    const int s = ray[i];
                    const PieceCode q = b.squares[s];
                    if (q != EmptySquare) {
                        if ((q & 1) != side) t.add(s);
                        break;
                    }
                    t.add(s);
                }
            }
        }
        if (pm.parts & PieceMoves::PawnSteps) {
            const SquareSet enemy = f.occupied[1 - side], empty = ~(own | enemy);
            t = t | (pm.pushes & empty) | (pm.captures & enemy);
            for (SquareSet s = pm.doubleSteps & empty; !s.empty();) {
                const int to = s.takeLowest();
                if (b.squares[(from + to) / 2] == EmptySquare) t.add(to);
            }
        }
        if (pm.parts & PieceMoves::Asked) {
            const SquareSet empty = ~(own | f.occupied[1 - side]);
            for (SquareSet s = (pm.asked & ~own) | (pm.passant & empty); !s.empty();) {
                const int to = s.takeLowest();
                if (checkMoveBetween(b, from, to, table, true, false) == Legal) t.add(to);
            }
        }
        return t;
    }

    // Lists every candidate beforehand; take() then hands them out in the list's order.
    void listAll() {
        for (Candidate c; next(c);) list.push_back(c);
        listed = true;
    }

    bool take(Candidate& c) {
        if (!listed) return next(c);
        if (at == list.size()) return false;
        c = list[at++];
        return true;
    }

    // The next candidate's squares and promotion piece into c.
    __attribute__((always_inline)) bool next(Candidate& c) {
        if (promotion >= Rook) {
            c.from = static_cast<uint8_t>(from);
            c.to = static_cast<uint8_t>(promotingTo);
            c.promotion = pieceCode(promotion--, side);
            if (promotion < Rook) promotion = -1;
            return true;
        }
        while (targets.empty()) {
            if (origins.empty()) return false;
            from = white ? origins.takeHighest() : origins.takeLowest();
            targets = legalTargets(from);
            const PieceCode piece = f.board.squares[from];
            lastRow = piece == 0 && from >> 3 == 6 ? 7 : piece == 1 && from >> 3 == 1 ? 0 : -1;
        }
        const int to = white ? targets.takeHighest() : targets.takeLowest();
        c.from = static_cast<uint8_t>(from);
        c.to = static_cast<uint8_t>(to);
        c.promotion = NoPromotion;
        if (to >> 3 == lastRow) {
            c.promotion = pieceCode(Queen, side);
            promotingTo = to;
            promotion = Bishop;  // then knight and rook
        }
        return true;
    }
};

MoveInfo withValue(const MoveInfo& m, int value) {
    return MoveInfo(m.fromRow, m.fromCol, m.toRow, m.toCol, m.promotion, value);
}

// The answer of a position without a legal move, ply half-moves below the root: mated, the sooner
// the worse, or stalemated, with the move that led to it.
MoveInfo noMoveValue(const Board& b, const MoveTable& table, int ply) {
    return withValue(b.lastMove, isInCheck(b, table) ? ply - (scoreLimit + 1) : (scoreLimit + 1) - ply);
}

MoveInfo Search::node(const Frame& f, int depth, int alpha, int beta, const MoveInfo* firstMove, bool& legal) {
    const Board& b = f.board;

    // A stored answer counts only when the rules accept its move here: two positions may share
    // both keys, and a node without a legal move stores the move that led to it.
    const TableEntry& entry = tt.entries[f.index];
    if (mayAnswer(f.index, b.sideToMove, f.key) && entry.valid == 1 && entry.side == b.sideToMove &&
        entry.key == f.key && entry.depth >= depth && entry.move.onBoard() &&
        checkMove(b, entry.move, table, true, false) == Legal)
        return entry.move;

    MoveInfo best(0, 0, 0, 0, NoPromotion, -scoreLimit);
    if (depth == 0) {
        const int32_t value = f.terms.known() ? f.terms.score(b.sideToMove) : engine.evaluate(b);
        assert(value == engine.evaluate(b));
        return withValue(b.lastMove, value);
    }

    const bool isRoot = depth == rootDepth;
    if (depth == 1 && !isRoot && !firstMove) return frontier(f, beta, legal);
    // The opponent's king: a candidate that removes the last one shows this position illegal.
    const PieceCode theirKing = b.sideToMove == White ? 11 : 10;
    const int theirKings = f.terms.kings[theirKing % 2];

    // The root and a node given a first move know all their candidates beforehand.
    CandidateWalk walk(f, geometry, table);
    if (isRoot || firstMove) {
        walk.listAll();
        std::vector<Candidate>& listed = walk.list;
        if (firstMove) {
            int found = -1;
            for (size_t i = 0; i < listed.size(); ++i)
                if (listed[i].move().sameSquares(*firstMove)) found = static_cast<int>(i);
            if (found > 0) std::rotate(listed.begin(), listed.begin() + found, listed.begin() + found + 1);
        }
    }
    const int count = static_cast<int>(walk.list.size());

    bool anyLegal = false;
    int moveNo = 0;
    MoveInfo firstLegal;
    Frame child;
    for (Candidate c; best.value < beta && walk.take(c);) {
        describe(f, c);
        ++nodeCount;
        ++moveNo;
        if (isRoot) showProgress(moveNo, count);

        if (theirKings - (c.captured == theirKing) <= 0) {
            legal = false;
            return best;
        }

        alpha = std::max(alpha, best.value);
        bool childLegal = true;
        int v;
        if (depth == 1) {
            const MoveScorer scorer(f.terms, b.sideToMove & 1);
            v = -leafValue(f, c, f.terms.known() ? &scorer : nullptr);
        } else {
            makeChild(f, c, child);
            v = -node(child, depth - 1, -beta, -alpha, nullptr, childLegal).value;
        }
        if (childLegal) {
            if (!anyLegal) firstLegal = withValue(c.move(), v);
            anyLegal = true;
            if (v > best.value) {
                best = withValue(c.move(), v);
                if (isRoot) showBestMove(best, v);
            }
        }
    }

    // The root must always name a move: when every legal move scores the lowest possible value,
    // play the first of them rather than the empty record.
    MoveInfo answer = best;
    if (isRoot && anyLegal && best.value <= -scoreLimit) answer = firstLegal;

    if (!anyLegal) {
        best = noMoveValue(b, table, rootDepth - depth);
        answer = best;
    }

    store(f.index, f.key, b.sideToMove, depth, best);
    return answer;
}

// A node one step above the leaves, other than the root: the same walk as node() with what it
// does not need left out. Its children are always legal, alpha plays no part, and nothing is shown.
MoveInfo Search::frontier(const Frame& f, int beta, bool& legal) {
    const Board& b = f.board;
    const PieceCode theirKing = b.sideToMove == White ? 11 : 10;
    const int theirKings = f.terms.kings[theirKing % 2];
    const int32_t childSide = b.sideToMove == White ? Black : White;
    const MoveScorer scorer(f.terms, b.sideToMove & 1);
    const MoveScorer* scoring = f.terms.known() ? &scorer : nullptr;
    // Most candidates are plain moves of a piece other than the king: what leaving its square does
    // to the keys and the score is worked out once for all of the piece's destinations.
    int origin = -1;
    PieceCode piece = EmptySquare;
    bool plainPiece = false;
    MoveScorer::Departure departure{};
    SquareKeys departed{};
    CandidateWalk walk(f, geometry, table);
    MoveInfo best(0, 0, 0, 0, NoPromotion, -scoreLimit);
    int used = 0;
    for (Candidate c; best.value < beta && walk.next(c); ++used) {
        ++nodeCount;
        const int to = c.to;
        const PieceCode captured = b.squares[to];
        if (theirKings - (captured == theirKing) <= 0) {
            legal = false;
            return best;
        }
        if (c.from != origin) {
            origin = c.from;
            piece = b.squares[origin];
            plainPiece = scoring && piece >> 1 != King;
            if (plainPiece) {
                departure = scorer.depart(origin, piece);
                departed = SquareKeys{f.index ^ keys[piece][origin].index, f.key ^ keys[piece][origin].key};
            }
        }
        int32_t value = 0;
        bool scored = false;
        if (plainPiece && !pawnMayDoMore(piece, to) && captured != theirKing) {
            const SquareKeys &taken = keys[captured][to], &entered = keys[piece][to];
            if (!mayAnswer(departed.index ^ taken.index ^ entered.index, childSide,
                           departed.key ^ taken.key ^ entered.key)) {
                value = scorer.arrive(departure, to, captured, piece);
                scored = true;
            }
        }
        if (!scored) {
            describe(f, c);
            value = leafValue(f, c, scoring);
        }
#ifndef NDEBUG
        describe(f, c);
        assert(value == leafValue(f, c, scoring));
#endif
        if (-value > best.value) best = withValue(c.move(), -value);
    }
    if (used == 0) {
        best = noMoveValue(b, table, rootDepth - 1);
    }
    store(f.index, f.key, b.sideToMove, 1, best);
    return best;
}

}  // namespace

MoveInfo Engine::search(PositionNode* node, const MoveTable& table, TranspositionTable& tt, int depth, int alpha,
                        int beta, const MoveInfo* firstMove) const {
    Geometry* geometry = new Geometry(table);
    Search* s = new Search{*this, table, tt, *geometry, {}, new uint8_t[tt.size()]};
    const TableEntry* entries = tt.entries;
    for (int32_t i = 0, n = tt.size(); i < n; ++i) s->marks[i] = probeMark(entries[i]);
    for (int p = 0; p < 13; ++p)
        for (int sq = 0; sq < 64; ++sq)
            s->keys[p][sq] = p == EmptySquare ? SquareKeys{0, 0} : SquareKeys{tt.indexKeys[p][sq], tt.checkKeys[p][sq]};
    Frame root;
    root.board = *node->board;
    for (int sq = 0; sq < 64; ++sq)
        if (pieceSide(root.board.squares[sq]) < 2) root.occupied[root.board.squares[sq] & 1].add(sq);
    root.index = tt.indexOf(root.board);
    root.key = tt.checkKeyOf(root.board);
    root.terms = EvaluationTerms(root.board);
    bool legal = true;
    const MoveInfo result = s->node(root, depth, alpha, beta, firstMove, legal);
    if (!legal) node->legal = 0;
    delete[] s->marks;
    delete s;
    delete geometry;
    return result;
}
