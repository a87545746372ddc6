// The terms of the deep search's evaluation beyond material and squares, found from the board: what
// each piece attacks first, then mobility, king danger, outposts, rooks on open files, threats,
// pawn structure, passed pawns and the king's pawn shelter.
#include <algorithm>
#include <cstdlib>

#include "evaluation.h"

namespace deep {

namespace {

int distance(int a, int b) { return std::max(std::abs((a >> 3) - (b >> 3)), std::abs((a & 7) - (b & 7))); }

// The squares a piece of the kind attacks from `from`, the occupied squares stopping its rays.
SquareSet attacksOf(int kind, int from, const SquareSet& all) {
    const Geometry& g = geometry;
    if (kind == Knight) return g.knightJumps[from];
    if (kind == King) return g.kingSteps[from];
    SquareSet reached;
    for (int d = 0; d < 8; ++d)
        if (slides(kind, d)) reached = reached | g.reach(from, d, all);
    return reached;
}

// The files beside a file, and the squares of a set on some files.
SquareSet files(int fromFile, int toFile) {
    SquareSet s;
    for (int f = std::max(fromFile, 0); f <= std::min(toFile, 7); ++f)
        for (int r = 0; r < 8; ++r) s.add(8 * r + f);
    return s;
}
// The squares ahead of a square for a colour, on its file and the files beside it (a passed pawn's
// path and the squares its stoppers stand on).
SquareSet ahead(int colour, int square, bool besideToo) {
    SquareSet s = besideToo ? files((square & 7) - 1, (square & 7) + 1) : files(square & 7, square & 7);
    SquareSet front;
    for (SquareSet t = s; !t.empty();) {
        const int x = t.takeLowest();
        if (colour == White ? x >> 3 > square >> 3 : x >> 3 < square >> 3) front.add(x);
    }
    return front;
}

struct Tables {  // what the functions above give, worked out once
    SquareSet fileOf[8], besideFiles[8], passedSpan[2][64], front[2][64], besideBehind[2][64];
    Tables() {
        for (int f = 0; f < 8; ++f) fileOf[f] = files(f, f), besideFiles[f] = files(f - 1, f - 1) | files(f + 1, f + 1);
        for (int c = 0; c < 2; ++c)
            for (int s = 0; s < 64; ++s) {
                passedSpan[c][s] = ahead(c, s, true), front[c][s] = ahead(c, s, false);
                // the files beside, level with the square or behind it: where a pawn that could defend it stands
                besideBehind[c][s] = besideFiles[s & 7] & ~(passedSpan[c][s] & ~front[c][s]);
            }
    }
};
const Tables tables;

// What the pawns make of themselves: doubled, isolated, backward, connected, passed; the passed
// ones into passed.
template <class Sink>
void pawnStructure(const SquareSet pawns[2], const SquareSet pawnAttacks[2], Sink& sink, SquareSet passed[2]) {
    const Weights& w = weights;
    for (int c = 0; c < 2; ++c) {
        const int enemy = 1 - c, forward = c == White ? 8 : -8;
        for (SquareSet s = pawns[c]; !s.empty();) {
            const int square = s.takeLowest(), file = square & 7, rank = c == White ? square >> 3 : 7 - (square >> 3);
            const bool supported = pawnAttacks[c].has(square);
            const bool phalanx = (file > 0 && pawns[c].has(square - 1)) || (file < 7 && pawns[c].has(square + 1));
            if (!(tables.front[c][square] & pawns[c]).empty()) sink.add(w.doubled, c);
            if ((tables.besideFiles[file] & pawns[c]).empty())
                sink.add(w.isolated, c);
            else if (!supported && (tables.besideBehind[c][square] & pawns[c]).empty() && pawnAttacks[enemy].has(square + forward))
                sink.add(w.backward, c);
            if (supported || phalanx) sink.add(w.connected[rank], c);
            if (!(tables.passedSpan[c][square] & pawns[enemy]).empty()) continue;
            sink.add(w.passed[rank], c);
            passed[c].add(square);
        }
    }
}

}  // namespace

template <class Sink>
void evaluateTerms(const Board& b, const Occupancy& o, Sink& sink, PawnCache* cache) {
    const Weights& w = weights;
    const SquareSet all = o.all();
    SquareSet pawns[2], pawnAttacks[2], attacked[2], byKind[2][6];
    int king[2] = {64, 64};
    for (SquareSet s = all; !s.empty();) {
        const int square = s.takeLowest();
        const PieceCode p = b.squares[square];
        const int kind = pieceKind(p), colour = pieceColour(p);
        if constexpr (Sink::countsPlacement) {
            sink.add(w.material[kind], colour);
            sink.add(w.squares[kind][seenFrom(colour, square)], colour);
        }
        if (kind == Pawn) pawns[colour].add(square), pawnAttacks[colour] = pawnAttacks[colour] | geometry.pawnCaptures[colour][square];
        if (kind == King) king[colour] = square;
    }
    SquareSet zone[2];
    for (int c = 0; c < 2; ++c)
        if (king[c] < 64) zone[c] = geometry.kingSteps[king[c]] | SquareSet::of(king[c]), attacked[c] = geometry.kingSteps[king[c]];
    for (int c = 0; c < 2; ++c) attacked[c] = attacked[c] | pawnAttacks[c];

    // The pieces: mobility, attacks on the enemy king's zone, outposts, rooks on open files.
    int bishops[2] = {0, 0};
    bool queen[2] = {false, false};
    for (SquareSet s = all; !s.empty();) {
        const int square = s.takeLowest();
        const PieceCode p = b.squares[square];
        const int kind = pieceKind(p), colour = pieceColour(p), enemy = 1 - colour;
        if (kind == Pawn || kind == King) continue;
        const SquareSet a = attacksOf(kind, square, all);
        attacked[colour] = attacked[colour] | a;
        byKind[colour][kind] = byKind[colour][kind] | a;
        sink.add(w.mobility[kind - 1][(a & ~o.bySide[colour] & ~pawnAttacks[enemy]).count()], colour);
        const int onZone = (a & zone[enemy]).count();
        if (onZone) sink.danger(w.dangerAttacker[kind], enemy), sink.danger(w.dangerZoneAttack, enemy, onZone);
        if (kind == Bishop) ++bishops[colour];
        if (kind == Queen) queen[colour] = true;
        const int rank = colour == White ? square >> 3 : 7 - (square >> 3);
        if ((kind == Knight || kind == Bishop) && rank >= 3 && rank <= 5 && pawnAttacks[colour].has(square) &&
            (tables.passedSpan[colour][square] & ~tables.front[colour][square] & pawns[enemy]).empty())
            sink.add(w.outpost[kind - Knight], colour);
        if (kind == Rook && (tables.fileOf[square & 7] & pawns[colour]).empty())
            sink.add((tables.fileOf[square & 7] & pawns[enemy]).empty() ? w.rookOpenFile : w.rookHalfOpenFile, colour);
    }
    for (int c = 0; c < 2; ++c)
        if (bishops[c] >= 2) sink.add(w.bishopPair, c);

    // Threats: enemy pieces attacked by pawns, minor pieces or rooks, or attacked and not defended.
    for (SquareSet s = all; !s.empty();) {
        const int square = s.takeLowest();
        const PieceCode p = b.squares[square];
        const int kind = pieceKind(p), victim = pieceColour(p), by = 1 - victim;
        if (kind == King) continue;
        if (kind != Pawn && pawnAttacks[by].has(square)) sink.add(w.threatByPawn, by);
        if ((byKind[by][Knight] | byKind[by][Bishop]).has(square)) sink.add(w.threatByMinor[kind], by);
        if (byKind[by][Rook].has(square)) sink.add(w.threatByRook[kind], by);
        if (attacked[by].has(square) && !attacked[victim].has(square)) sink.add(w.hanging, by);
    }

    // Pawns: their structure, from the cache when it has it, then what the pieces and the kings
    // make of the passed ones.
    SquareSet passed[2];
    if constexpr (Sink::countsPlacement) {
        pawnStructure(pawns, pawnAttacks, sink, passed);
    } else {
        const uint64_t mixed = (uint64_t(pawns[White].high) << 32 | pawns[White].low) * 0x9E3779B97F4A7C15ull ^
                               (uint64_t(pawns[Black].high) << 32 | pawns[Black].low) * 0xC2B2AE3D27D4EB4Full;
        const uint32_t at = static_cast<uint32_t>(mixed >> 40) & PawnCache::mask;
        PawnEntry* cached = cache ? &cache->entries[at] : nullptr;
        if (cached && cached->pawns[White] == pawns[White] && cached->pawns[Black] == pawns[Black]) {
            sink.add(cached->score);
            passed[White] = cached->passed[White], passed[Black] = cached->passed[Black];
        } else {
            Evaluation structure;
            pawnStructure(pawns, pawnAttacks, structure, passed);
            if (cached) *cached = PawnEntry{{pawns[White], pawns[Black]}, structure.total, {passed[White], passed[Black]}};
            sink.add(structure.total);
        }
    }
    for (int c = 0; c < 2; ++c) {
        const int enemy = 1 - c, forward = c == White ? 8 : -8;
        for (SquareSet s = passed[c]; !s.empty();) {
            const int square = s.takeLowest(), rank = c == White ? square >> 3 : 7 - (square >> 3), stop = square + forward;
            if ((tables.front[c][square] & all).empty()) sink.add(w.passedFree[rank], c);
            if (king[c] < 64) sink.add(w.passedOwnKing[rank], c, distance(king[c], stop));
            if (king[enemy] < 64) sink.add(w.passedEnemyKing[rank], c, distance(king[enemy], stop));
        }
    }

    // The kings: the pawns in front of each on its file and the files beside, safe checks, the queen.
    for (int c = 0; c < 2; ++c) {
        if (king[c] == 64) continue;
        const int enemy = 1 - c, k = king[c];
        for (int file = std::max((k & 7) - 1, 0); file <= std::min((k & 7) + 1, 7); ++file) {
            const SquareSet before = tables.front[c][(k & ~7) | file];
            int own = 0, theirs = 0;  // the nearest one's distance in ranks, 0 for none
            for (SquareSet t = before & (pawns[c] | pawns[enemy]); !t.empty();) {
                const int x = c == White ? t.takeLowest() : t.takeHighest();
                const int d = std::abs((x >> 3) - (k >> 3));
                int& nearest = pawns[c].has(x) ? own : theirs;
                if (!nearest) nearest = d;
            }
            sink.add(w.shelter[own], c), sink.add(w.storm[theirs], c);
        }
        const SquareSet safe = ~attacked[c] & ~o.bySide[enemy];
        const SquareSet straight = attacksOf(Rook, k, all), diagonal = attacksOf(Bishop, k, all);
        sink.danger(w.dangerSafeCheck[Knight], c, (geometry.knightJumps[k] & byKind[enemy][Knight] & safe).count());
        sink.danger(w.dangerSafeCheck[Bishop], c, (diagonal & byKind[enemy][Bishop] & safe).count());
        sink.danger(w.dangerSafeCheck[Rook], c, (straight & byKind[enemy][Rook] & safe).count());
        sink.danger(w.dangerSafeCheck[Queen], c, ((straight | diagonal) & byKind[enemy][Queen] & safe).count());
        if (!queen[enemy]) sink.danger(w.dangerNoQueen, c);
    }
    sink.add(w.tempo, b.sideToMove == White ? White : Black);
}

template void evaluateTerms<Evaluation>(const Board&, const Occupancy&, Evaluation&, PawnCache*);
template void evaluateTerms<Trace>(const Board&, const Occupancy&, Trace&, PawnCache*);

}  // namespace deep
