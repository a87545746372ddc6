// vimochess-tune: fits the deep search's evaluation weights to games, by Texel's method: quiet
// positions of the games, each labelled with its game's result, and the weights that make the
// logistic of the evaluation fit the results best (least squares, by gradient descent with Adam).
// Prints weights.cpp for engine/deep/ on standard output, and its progress on standard error.
//
//   vimochess-tune [-sample P] [-epochs N] [-hold H] [-seed S] GAMES...
//
// GAMES: files of games as vimochess-match -out writes them (result|starting FEN|moves|...).
// -sample: the share of the quiet positions used (default 0.3); -epochs: passes of gradient descent
// (default 400); -hold: how strongly each weight is held to where it starts, against the noise of
// terms the games rarely tell apart (default 1e-8 per square of hundredths of a pawn). One position
// in ten is held out: the weights kept are those of the pass that fit
// the held-out positions best, so that the fit follows the games rather than their noise.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/deep/evaluation.h"
#include "engine/deep/exchange.h"
#include "rules/fen.h"
#include "rules/game_end.h"

namespace {

using namespace deep;

// A position to fit: its terms, its phase and its game's result for White.
struct Sample {
    std::vector<std::pair<int16_t, int16_t>> linear, dangers[2];
    float phase, result;
};

// Quiet: not in check, no capture that wins material and no promotion, so that the evaluation is
// what a search would return.
bool quiet(const Board& b, const Occupancy& o) {
    if (isInCheck(b)) return false;
    MoveWalk walk(b, o, true);
    for (GeneratedMove m; walk.next(m);) {
        if (m.promotion != NoPromotion) return false;
        if (pieceSide(b.squares[m.to]) == opponent(b.sideToMove) && exchangeGain(b, o, m.from, m.to) > 0) return false;
    }
    return true;
}

bool readGames(const std::string& path, double share, std::mt19937& random, std::vector<Sample>& samples) {
    std::ifstream in(path);
    if (!in) return false;
    std::uniform_real_distribution<double> draw(0, 1);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string result, fen, moves;
        std::getline(fields, result, '|'), std::getline(fields, fen, '|'), std::getline(fields, moves, '|');
        const float whiteScore = result == "1-0" ? 1.0f : result == "0-1" ? 0.0f : 0.5f;
        Board b;
        std::string error;
        if (!readFen(fen, b, error)) continue;
        int ply = 0;
        for (const std::string& text : words(moves)) {
            const Occupancy o(b);
            if (++ply > 4 && draw(random) < share && quiet(b, o)) {
                Trace t;
                evaluateTerms(b, o, t);
                samples.push_back(Sample{t.linear, {t.dangers[0], t.dangers[1]}, static_cast<float>(std::min(Placement(b).phase, 24)), whiteScore});
            }
            MoveWalk walk(b, o, true);
            bool played = false;
            for (GeneratedMove m; !played && walk.next(m);)
                if (uciMoveName(m.info()) == text) makeMove(b, m.info()), b.switchSide(), played = true;
            if (!played) break;
        }
    }
    return true;
}

// The weights as numbers to fit: middlegame and endgame halves, by weight index.
struct Parameters {
    std::vector<double> mg, eg;
};

// The evaluation of a sample for White, and what each weight adds to it per unit, into gradient.
double evaluate(const Sample& s, const Parameters& p, std::vector<double>* gradientMg = nullptr,
                std::vector<double>* gradientEg = nullptr, double factor = 0) {
    const double m = s.phase / 24, e = 1 - m;
    double mg = 0, eg = 0;
    for (const auto& [i, n] : s.linear) {
        mg += n * p.mg[i], eg += n * p.eg[i];
        if (gradientMg) (*gradientMg)[i] += factor * n * m, (*gradientEg)[i] += factor * n * e;
    }
    for (int c = 0; c < 2; ++c) {
        double d = 0;
        for (const auto& [i, n] : s.dangers[c]) d += n * p.mg[i];
        if (d <= 0) continue;
        const double sign = c == White ? 1 : -1;  // the danger to White's king costs White
        mg -= sign * d * d / 256, eg -= sign * d / 16;
        if (gradientMg)
            for (const auto& [i, n] : s.dangers[c]) (*gradientMg)[i] -= factor * sign * n * (2 * d / 256 * m + e / 16);
    }
    return mg * m + eg * e;
}

double sigmoid(double k, double eval) { return 1 / (1 + std::pow(10.0, -k * eval / 400)); }

double loss(const std::vector<Sample>& samples, const Parameters& p, double k) {
    double sum = 0;
    for (const Sample& s : samples) {
        const double d = sigmoid(k, evaluate(s, p)) - s.result;
        sum += d * d;
    }
    return sum / samples.size();
}

// Prints the weights in the shape of the Weights record, each array on lines of eight.
void printWeights(const Parameters& p, size_t positions, double before, double after) {
    struct Field { const char* name; int rows, columns; const char* note; };
    const Field layout[] = {
        {"material", 1, 6, "by kind: pawn, rook, knight, bishop, queen, king"}, {"squares", 6, 64, "by kind and square, a1 to h8"},
        {"mobility", 4, 28, "rook, knight, bishop, queen, by squares reached"}, {"doubled", 0, 1, ""}, {"isolated", 0, 1, ""},
        {"backward", 0, 1, ""}, {"connected", 1, 8, "by rank"}, {"passed", 1, 8, "by rank"}, {"passedFree", 1, 8, ""},
        {"passedOwnKing", 1, 8, "per square of distance"}, {"passedEnemyKing", 1, 8, ""}, {"bishopPair", 0, 1, ""},
        {"rookOpenFile", 0, 1, ""}, {"rookHalfOpenFile", 0, 1, ""}, {"outpost", 1, 2, "knight, bishop"}, {"threatByPawn", 0, 1, ""},
        {"threatByMinor", 1, 6, "by the kind threatened"}, {"threatByRook", 1, 6, ""}, {"hanging", 0, 1, ""},
        {"shelter", 1, 8, "by distance, 0 for none"}, {"storm", 1, 8, ""}, {"tempo", 0, 1, ""}, {"dangerAttacker", 1, 6, "by kind"},
        {"dangerZoneAttack", 0, 1, ""}, {"dangerSafeCheck", 1, 6, "by kind"}, {"dangerNoQueen", 0, 1, ""},
    };
    std::printf("// The deep search's evaluation weights, written by vimochess-tune from the fit it made to %zu\n"
                "// quiet positions of the engine's own games (held-out mean squared error %.6f before, %.6f after;\n"
                "// docs/strength.md tells which games); each a {middlegame, endgame} pair in hundredths of a\n"
                "// pawn, danger weights in danger units.\n#include \"evaluation.h\"\n\nnamespace deep {\n\nconst Weights weights = {\n",
                positions, before, after);
    int at = 0;
    const auto pair = [&] { const int i = at++; return "{" + std::to_string(std::lround(p.mg[i])) + ", " + std::to_string(std::lround(p.eg[i])) + "}"; };
    // n pairs, eight to a line, each line indented, or on the one line when there are few.
    const auto rows = [&](int n, const std::string& indent) {
        std::string text;
        for (int i = 0; i < n; ++i) text += (i % 8 == 0 ? indent : " ") + pair() + (i % 8 == 7 || i == n - 1 ? ",\n" : ",");
        return text;
    };
    for (const Field& f : layout) {
        std::printf("    // %s%s%s\n", f.name, *f.note ? ": " : "", f.note);
        if (f.rows == 0) {
            std::printf("    %s,\n", pair().c_str());
        } else if (f.rows == 1 && f.columns <= 8) {
            const std::string line = rows(f.columns, "");
            std::printf("    {%s},\n", line.substr(0, line.size() - 2).c_str());
        } else if (f.rows == 1) {
            std::printf("    {\n%s    },\n", rows(f.columns, "        ").c_str());
        } else {
            std::printf("    {\n");
            for (int r = 0; r < f.rows; ++r) std::printf("        {\n%s        },\n", rows(f.columns, "            ").c_str());
            std::printf("    },\n");
        }
    }
    std::printf("};\n\n}  // namespace deep\n");
}

}  // namespace

int main(int argc, char** argv) {
    double share = 0.3, hold = 1e-8;
    int epochs = 400;
    unsigned seed = 1;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        char* end = nullptr;
        const double v = i + 1 < argc ? std::strtod(argv[i + 1], &end) : 0;
        const bool number = end && *end == '\0';
        if (a == "-sample" && number && v > 0 && v <= 1) share = v, ++i;
        else if (a == "-epochs" && number && v >= 0 && v <= 100000) epochs = static_cast<int>(v), ++i;
        else if (a == "-seed" && number && v >= 0) seed = static_cast<unsigned>(v), ++i;
        else if (a == "-hold" && number && v >= 0) hold = v, ++i;
        else if (a[0] != '-') paths.push_back(a);
        else return std::fprintf(stderr, "vimochess-tune: bad argument '%s'\nusage: vimochess-tune [-sample P] [-epochs N] [-hold H] [-seed S] GAMES...\n", a.c_str()), 2;
    }
    if (paths.empty()) return std::fprintf(stderr, "vimochess-tune: no games given\n"), 2;
    std::mt19937 random(seed);
    std::vector<Sample> samples;
    for (const std::string& path : paths)
        if (!readGames(path, share, random, samples)) return std::fprintf(stderr, "vimochess-tune: cannot read '%s'\n", path.c_str()), 2;
    std::vector<Sample> heldOut;
    for (size_t i = 9; i < samples.size(); i += 9) heldOut.push_back(samples[i]), samples.erase(samples.begin() + static_cast<long>(i));
    if (samples.empty() || heldOut.empty()) return std::fprintf(stderr, "vimochess-tune: too few positions in the games\n"), 2;
    Parameters p;
    for (const Score* w = &weights.material[0]; w < &weights.material[0] + weightCount; ++w) p.mg.push_back(w->mg), p.eg.push_back(w->eg);

    // The scale of the logistic that the present weights fit best, by golden-section search.
    double low = 0.1, high = 3;
    for (int i = 0; i < 40; ++i) {
        const double a = high - (high - low) / 1.618, b = low + (high - low) / 1.618;
        (loss(samples, p, a) < loss(samples, p, b) ? high : low) = loss(samples, p, a) < loss(samples, p, b) ? b : a;
    }
    const double k = (low + high) / 2, before = loss(heldOut, p, k);
    std::fprintf(stderr, "vimochess-tune: %zu positions and %zu held out, scale %.4f, error %.6f (held out %.6f)\n",
                 samples.size(), heldOut.size(), k, loss(samples, p, k), before);
    const Parameters start = p;
    Parameters best = p;
    double bestError = before;

    // Adam, over all positions at once.
    const size_t n = p.mg.size();
    std::vector<double> m1(2 * n), m2(2 * n);
    const double rate = 1.0, beta1 = 0.9, beta2 = 0.999;
    for (int epoch = 1; epoch <= epochs; ++epoch) {
        std::vector<double> gMg(n), gEg(n);
        for (const Sample& s : samples) {
            const double sig = sigmoid(k, evaluate(s, p));
            const double factor = 2 * (sig - s.result) * sig * (1 - sig) * std::log(10.0) * k / 400 / samples.size();
            evaluate(s, p, &gMg, &gEg, factor);
        }
        for (size_t i = 0; i < 2 * n; ++i) {
            double& w = i < n ? p.mg[i] : p.eg[i - n];
            const double g = (i < n ? gMg[i] : gEg[i - n]) + 2 * hold * (w - (i < n ? start.mg[i] : start.eg[i - n]));
            m1[i] = beta1 * m1[i] + (1 - beta1) * g, m2[i] = beta2 * m2[i] + (1 - beta2) * g * g;
            w -= rate * (m1[i] / (1 - std::pow(beta1, epoch))) / (std::sqrt(m2[i] / (1 - std::pow(beta2, epoch))) + 1e-8);
        }
        if (epoch % 10 == 0) {
            const double error = loss(heldOut, p, k);
            if (error < bestError) best = p, bestError = error;
            if (epoch % 50 == 0) std::fprintf(stderr, "  epoch %d: error %.6f, held out %.6f\n", epoch, loss(samples, p, k), error);
        }
    }
    p = best;
    const int king = weightIndex(weights.material[King]);
    p.mg[king] = p.eg[king] = 0;  // kings are not counted
    printWeights(p, samples.size(), before, bestError);
    return 0;
}
