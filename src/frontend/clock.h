#pragma once
// The time control of the game (xboard "level", "time", "otim", "st", "sd")
// and the rules that turn it, or the numbers of a UCI go line, into the
// thinking time of one search. Every number is brought into a sane range
// where it is read, and the arithmetic runs in 64 bits.
#include <cstdint>
#include <optional>
#include <string_view>

namespace halberd::frontend {

// Time kept back from every fixed or last-moment budget for what the engine
// does around its search (starting the thread, stopping it, writing the move)
// and for the pipe to the interface; the UCI option "Move Overhead" sets it.
constexpr std::int64_t DefaultMoveOverheadMs = 50;
constexpr std::int64_t MaxMoveOverheadMs = 5000;

struct TimeControl {
    int movesPerPeriod = 6;  // 0: the whole game
    int baseSeconds = 60;
    int incrementTenths = 0;
    int engineClock = 0;  // tenths of a second
    int opponentClock = 0;
    int depthLimit = 0;              // xboard "sd", UCI "go depth": deepest iteration, 0 for none
    int secondsPerMove = 0;          // xboard "st": a fixed time for every move, 0 for none
    std::int64_t incrementMs = 0;    // the increment unrounded ("level 0 2 0.02")
    std::int64_t engineClockMs = 0;  // the engine's clock to the centisecond "time" gives; 0 until it does
    // A "level" came: until "time" gives the clock, the level's base time is
    // the clock (a person at the console sets a time control and no clock).
    bool levelGiven = false;
    std::int64_t moveOverheadMs = DefaultMoveOverheadMs;
};

TimeControl& timeControl();

// Ranges the protocol numbers are held to: a hundred days of clock, a day of
// increment or fixed time, a thousand moves in a period.
constexpr std::int64_t MaxClockMillis = std::int64_t{100} * 24 * 3600 * 1000;
constexpr int MaxClockTenths = static_cast<int>(MaxClockMillis / 100);
constexpr int MaxBaseSeconds = static_cast<int>(MaxClockMillis / 1000);
constexpr int MaxIncrementTenths = 864000;
constexpr int MaxSecondsPerMove = 86400;
constexpr int MaxMovesPerPeriod = 1000;
constexpr int NoDepthLimit = 999;

// What one search may spend: soft limit (no new iteration after it), hard
// limit (stop at once), in milliseconds, and the deepest iteration.
struct Budget {
    std::int64_t softMs = 6000;
    std::int64_t hardMs = 6000;
    int depth = NoDepthLimit;
    std::int64_t bookPauseMs = 300;  // how long an xboard book move waits before it is sent
};

constexpr std::int64_t LowClockMs = 3000;
// A fixed time per move less the overhead, and at least a tenth of it kept
// back when the time is shorter than ten overheads.
std::int64_t fixedMoveMillis(std::int64_t millis, std::int64_t overheadMs = DefaultMoveOverheadMs);

// The xboard rules: analysis is endless, "st" gives a fixed time per move,
// otherwise the period or whole-game rule on the clock. Those rules count in
// tenths and think at least a tenth a move: once "time" has given the clock, no
// move plans on more than the clock holds less the overhead margin, and a whole
// game with less than LowClockMs left is shared out in milliseconds, as the UCI
// rule does, so that a fast game lives on its increment. Nor does a book move
// wait longer than the move's soft limit then.
Budget allocateTime(const TimeControl& control, int plyCounter, bool analyze);

// The UCI rule for one go line: with movestogo m the clock is shared over the
// next m moves, otherwise over a horizon of 30 moves (sudden death), each move
// also getting most of its increment; the hard limit is a few soft limits and
// never more than a quarter of the clock (the whole clock less the overhead on
// the last move before the time control).
Budget uciClockBudget(std::int64_t clockMs, std::int64_t incrementMs, int movesToGo,
                      std::int64_t overheadMs = DefaultMoveOverheadMs);

// "LEVEL moves base increment" with the base in minutes or minutes:seconds;
// false (and the fields read so far kept) when too few numbers are given. The
// clock "time" gave for the earlier control is forgotten.
bool applyLevel(TimeControl& control, std::string_view arguments);
// "TIME n" / "OTIM n" in centiseconds; 0 changes nothing, a negative clock is empty.
// Returns the clock it set in milliseconds, or nothing when it changed nothing.
std::optional<std::int64_t> applyClock(int& clockTenths, std::string_view arguments);
// "SD n" / "ST n": a positive number sets the limit, anything else removes it.
void applyDepthLimit(TimeControl& control, std::string_view arguments);
void applySecondsPerMove(TimeControl& control, std::string_view arguments);

}  // namespace halberd::frontend
