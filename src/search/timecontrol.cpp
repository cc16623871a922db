#include "search/timecontrol.h"

#include <algorithm>
#include <chrono>

namespace halberd::search {

std::atomic<int> stopRequest{0};

namespace {

// Written by ponderHit on the command thread while the search reads them.
std::atomic<std::uint32_t> clockStart{0};
std::atomic<std::int64_t> softLimitMs{0};
std::atomic<std::int64_t> hardLimitMs{0};
std::atomic<bool> ponderFlag{false};
// Only the main worker's thread touches these.
std::uint64_t nodeLimit = 0;
std::uint64_t nodeCeiling = 0;
int mateMoves = 0;
bool softReached = false;
bool dropFlag = false;
int interval = CheckInterval;
std::uint32_t lastCheck = 0;

// A drop of 160 units or more is a third of a pawn lost.
constexpr int ScoreDropLimit = -159;
// A pondering search learns its time at ponderhit: it looks at the clock as
// often as a search of a second would.
constexpr std::int64_t PonderCheckMs = 1000;
// Nodes per millisecond of hard limit between checks: about a two-hundredth
// of the limit at a million nodes a second.
constexpr std::int64_t NodesPerLimitMs = 5;
constexpr std::uint64_t ChecksPerNodeBudget = 100;
// A slow machine (or a sanitizer build) makes the same nodes take longer: the
// interval halves while two checks lie further apart than this.
constexpr std::uint32_t MaxMillisBetweenChecks = 5;

// The smaller of the search's own budget and the ceiling, 0 when neither is set.
std::uint64_t nodeBudget() {
    if (nodeCeiling == 0) return nodeLimit;
    return nodeLimit == 0 ? nodeCeiling : std::min(nodeLimit, nodeCeiling);
}

}  // namespace

std::uint32_t nowMillis() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void startClock(std::int64_t softLimit, std::int64_t hardLimit) {
    stopRequest.store(0, std::memory_order_relaxed);
    softReached = false;
    softLimitMs.store(softLimit, std::memory_order_relaxed);
    hardLimitMs.store(hardLimit, std::memory_order_relaxed);
    const std::int64_t checkMs = pondering() ? std::min(hardLimit, PonderCheckMs) : hardLimit;
    const std::int64_t nodes = std::clamp<std::int64_t>(checkMs, 0, CheckInterval) * NodesPerLimitMs;
    interval = static_cast<int>(std::clamp<std::int64_t>(nodes, MinCheckInterval, CheckInterval));
    if (nodeBudget() != 0)
        interval = static_cast<int>(
            std::clamp<std::uint64_t>(nodeBudget() / ChecksPerNodeBudget, 1, static_cast<std::uint64_t>(interval)));
    lastCheck = nowMillis();
    clockStart.store(lastCheck, std::memory_order_release);
}

int checkInterval() { return interval; }

void setNodeLimit(std::uint64_t nodes) { nodeLimit = nodes; }

void setNodeCeiling(std::uint64_t nodes) { nodeCeiling = nodes; }

void setMateLimit(int moves) { mateMoves = moves; }

int mateLimit() { return mateMoves; }

void setPondering(bool on) { ponderFlag.store(on, std::memory_order_release); }

bool pondering() { return ponderFlag.load(std::memory_order_acquire); }

void ponderHit(std::int64_t softLimit, std::int64_t hardLimit) {
    // The clock starts when the move that was pondered on is played.
    softLimitMs.store(softLimit, std::memory_order_relaxed);
    hardLimitMs.store(hardLimit, std::memory_order_relaxed);
    clockStart.store(nowMillis(), std::memory_order_release);
    ponderFlag.store(false, std::memory_order_release);
}

void checkTime(std::uint64_t nodes) {
    if (nodeBudget() != 0 && nodes >= nodeBudget()) stopRequest.store(1, std::memory_order_relaxed);
    const std::uint32_t now = nowMillis();
    if (now - lastCheck > MaxMillisBetweenChecks && interval > MinCheckInterval / 4)
        interval = std::max(interval / 2, MinCheckInterval / 4);
    lastCheck = now;
    if (pondering()) return;
    const std::int64_t elapsed = now - clockStart.load(std::memory_order_acquire);
    if (softLimitMs.load(std::memory_order_relaxed) <= elapsed) softReached = true;
    if (softReached && !dropFlag) stopRequest.store(1, std::memory_order_relaxed);
    if (hardLimitMs.load(std::memory_order_relaxed) <= elapsed) stopRequest.store(1, std::memory_order_relaxed);
}

void clearScoreDrop() { dropFlag = false; }

void updateScoreDrop(int scoreChange) { dropFlag = scoreChange < ScoreDropLimit; }

bool scoreDropped() { return dropFlag; }

bool softTimeReached() { return softReached; }

bool iterationMayStop(int scoreChange, std::uint64_t nodes) {
    checkTime(nodes);
    if (stopRequest.load(std::memory_order_relaxed) != 0) return true;
    return softReached && scoreChange >= ScoreDropLimit;
}

}  // namespace halberd::search
