// What a match between two engines says, the way the field reckons it: games come in pairs (one
// opening, each side with White once), a pair scores 0, 1/2, 1, 3/2 or 2 points for the first
// engine, and the five counts give the score, the Elo difference with its 95 % interval, and the
// log-likelihood ratio of a sequential probability ratio test (SPRT) between two Elo differences.
#pragma once

#include <cmath>
#include <cstdint>

struct PairCounts {
    int64_t pairs[5] = {};  // by the first engine's points in the pair, in halves: 0 to 4

    int64_t total() const { return pairs[0] + pairs[1] + pairs[2] + pairs[3] + pairs[4]; }
    // The first engine's mean score per game, 0 to 1, and the variance of a pair's mean score.
    double score() const {
        double sum = 0;
        for (int i = 0; i < 5; ++i) sum += pairs[i] * i / 4.0;
        return total() ? sum / total() : 0.5;
    }
    double variance() const {
        const double mean = score();
        double sum = 0;
        for (int i = 0; i < 5; ++i) sum += pairs[i] * (i / 4.0 - mean) * (i / 4.0 - mean);
        return total() ? sum / total() : 0;
    }
};

// The expected score of a player the given Elo stronger, and back.
inline double scoreOfElo(double elo) { return 1 / (1 + std::pow(10.0, -elo / 400)); }
inline double eloOfScore(double score) {
    const double s = std::fmin(std::fmax(score, 1e-6), 1 - 1e-6);
    return -400 * std::log10(1 / s - 1);
}

// The Elo difference the counts measure, and half the width of its 95 % interval.
inline double eloDifference(const PairCounts& c) { return eloOfScore(c.score()); }
inline double eloMargin(const PairCounts& c) {
    if (c.total() == 0) return 0;
    const double spread = 1.96 * std::sqrt(c.variance() / c.total());
    return (eloOfScore(c.score() + spread) - eloOfScore(c.score() - spread)) / 2;
}

// The log-likelihood ratio that the first engine is elo1 rather than elo0 stronger, in the
// generalised SPRT's normal approximation over pairs (as Fishtest reckons it). The test accepts
// elo1 at sprtUpper(alpha, beta) and elo0 at sprtLower(alpha, beta).
inline double sprtLlr(const PairCounts& c, double elo0, double elo1) {
    const double var = c.variance();
    if (c.total() == 0 || var <= 0) return 0;
    const double s0 = scoreOfElo(elo0), s1 = scoreOfElo(elo1);
    return c.total() * (s1 - s0) * (2 * c.score() - s0 - s1) / (2 * var);
}
inline double sprtLower(double alpha, double beta) { return std::log(beta / (1 - alpha)); }
inline double sprtUpper(double alpha, double beta) { return std::log((1 - beta) / alpha); }
