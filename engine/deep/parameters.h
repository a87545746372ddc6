// The deep search's numbers, each with its name, what it does, its value and the range a tuner may
// try: the margins, reductions and limits of the node search, and the factors of time management.
// In the engine as it ships they are constants. A tuning build (VIMOCHESS_TUNING) makes them
// variables that the UCI engine lists as options, so that a tuner (SPSA through the match runner)
// can set them from outside without building again.
#pragma once

// X(name, value, low, high): one line a parameter, its comment beside it.
#define DEEP_SEARCH_PARAMETERS(X)                                                                          \
    /* the node search */                                                                                  \
    X(lazyMargin, 300, 100, 800)               /* the structure terms are skipped beyond this margin    */ \
    X(iirDepth, 4, 2, 8)                       /* a node without a table move is searched a ply less    */ \
    X(reverseFutilityDepth, 3, 1, 8)           /* reverse futility: up to this depth ...                */ \
    X(reverseFutilityMargin, 120, 40, 300)     /* ... a static value this far above beta per ply stands */ \
    X(razorDepth, 2, 1, 5)                     /* razoring: up to this depth ...                        */ \
    X(razorMargin, 300, 100, 600)              /* ... this far below alpha per ply, captures only       */ \
    X(nullMoveDepth, 3, 2, 6)                  /* null move: from this depth, ...                       */ \
    X(nullMoveBase, 3, 2, 5)                   /* ... reduced by this many plies, ...                   */ \
    X(nullMoveDepthDivisor, 4, 2, 8)           /* ... one more each this many plies of depth, ...       */ \
    X(nullMoveEvalDivisor, 200, 80, 400)       /* ... one more each this far above beta, ...            */ \
    X(nullMoveEvalMax, 3, 1, 5)                /* ... at most this many more for it                     */ \
    X(futilityDepth, 3, 1, 6)                  /* futility: up to this depth, quiet moves are left ...  */ \
    X(futilityBase, 100, 0, 300)               /* ... when the static value and this ...                */ \
    X(futilityMargin, 120, 40, 250)            /* ... and this per ply stay short of alpha              */ \
    X(lateMovePruningDepth, 4, 1, 8)           /* late move pruning: up to this depth, after ...        */ \
    X(lateMovePruningBase, 3, 1, 8)            /* ... (this + depth^2) / (2 - improving) quiet moves    */ \
    X(exchangePruningDepth, 5, 1, 10)          /* exchange pruning: up to this depth, a move losing ... */ \
    X(exchangeQuietMargin, 30, 5, 100)         /* ... this times depth^2 (a quiet move), or ...         */ \
    X(exchangeCaptureMargin, 100, 20, 250)     /* ... this times depth (a capture) is left              */ \
    X(reductionDepth, 3, 2, 6)                 /* late move reductions: from this depth, ...            */ \
    X(reductionMoveIndex, 3, 1, 8)             /* ... from this place in the move order, ...            */ \
    X(reductionBase, 50, 0, 150)               /* ... by (this + ln depth x ln place x 100 / ...        */ \
    X(reductionDivisor, 200, 100, 400)         /* ... this) / 100 plies                                 */ \
    X(historyBonusMax, 1200, 300, 4000)        /* history: a cut-off's bonus is depth^2, at most this   */ \
    /* the root */                                                                                         \
    X(firstDepthUnderDepthLimit, 3, 1, 5)      /* under a depth limit, the iterations start here        */ \
    X(currentMoveAfter, 1000, 0, 10000)        /* ms: then the root move being searched is told         */ \
    /* time management */                                                                                  \
    X(movesToGoDefault, 40, 15, 80)            /* the moves a clock without movestogo must last         */ \
    X(movesToGoMax, 50, 20, 100)               /* at most this many moves to go are counted             */ \
    X(overheadReserveMoves, 20, 1, 50)         /* a Move Overhead is kept back for up to this many      */ \
    X(moveTimeReserveDivisor, 10, 2, 40)       /* a time per move keeps back at most 1/this of itself   */ \
    X(hardShares, 5, 2, 10)                    /* no move takes more than this many shares ...          */ \
    X(hardClockPercent, 30, 10, 60)            /* ... nor this percent of the clock, ...                */ \
    X(hardLastMovePercent, 80, 40, 95)         /* ... or this with one move to go                       */ \
    X(stableTenths, 6, 2, 10)                  /* no iteration starts after this tenth of a share ...   */ \
    X(changeTenths, 5, 1, 10)                  /* ... plus this for each change of the best move, ...   */ \
    X(maxTenths, 20, 10, 40)                   /* ... up to this many tenths                            */ \
    X(quickSearch, 10, 0, 50)                  /* ms: a search given no more runs on the reading thread */

namespace deep {

// The units some of them are in.
constexpr int tenths = 10, percent = 100;
// Positions searched between two looks at the stop flag and the clock.
constexpr int stopCheckNodes = 1024;

#ifdef VIMOCHESS_TUNING
#define DEEP_SEARCH_PARAMETER(name, value, low, high) extern int name;
#else
#define DEEP_SEARCH_PARAMETER(name, value, low, high) constexpr int name = value;
#endif
DEEP_SEARCH_PARAMETERS(DEEP_SEARCH_PARAMETER)
#undef DEEP_SEARCH_PARAMETER

// A parameter as a tuning build lists it: its name, where it is and its range. The shipped build
// has none.
struct Parameter {
    const char* name;
    int* value;
    int low, high;
};
extern const Parameter* const tunedParameters;
extern const int tunedParameterCount;

}  // namespace deep
