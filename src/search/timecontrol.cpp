#include "search/timecontrol.h"

#include <algorithm>
#include <chrono>

#include "search/session.h"

namespace halberd::search {

namespace {

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

}  // namespace

std::uint32_t nowMillis() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void startClock(Session& session, std::int64_t softLimit, std::int64_t hardLimit) {
    SearchClock& clock = session.clock;
    clock.softReached = false;
    clock.softMs.store(softLimit, std::memory_order_relaxed);
    clock.hardMs.store(hardLimit, std::memory_order_relaxed);
    const std::int64_t checkMs = session.pondering() ? std::min(hardLimit, PonderCheckMs) : hardLimit;
    const std::int64_t nodes = std::clamp<std::int64_t>(checkMs, 0, CheckInterval) * NodesPerLimitMs;
    clock.interval = static_cast<int>(std::clamp<std::int64_t>(nodes, MinCheckInterval, CheckInterval));
    const std::uint64_t budget = session.limits.nodes;
    if (budget != 0)
        clock.interval = static_cast<int>(
            std::clamp<std::uint64_t>(budget / ChecksPerNodeBudget, 1, static_cast<std::uint64_t>(clock.interval)));
    clock.lastCheck = nowMillis();
    clock.start.store(clock.lastCheck, std::memory_order_release);
}

void checkTime(Session& session, std::uint64_t nodes) {
    SearchClock& clock = session.clock;
    if (session.limits.nodes != 0 && nodes >= session.limits.nodes) session.requestStop();
    const std::uint32_t now = nowMillis();
    if (now - clock.lastCheck > MaxMillisBetweenChecks && clock.interval > MinCheckInterval / 4)
        clock.interval = std::max(clock.interval / 2, MinCheckInterval / 4);
    clock.lastCheck = now;
    if (session.pondering()) return;
    const std::int64_t elapsed = now - clock.start.load(std::memory_order_acquire);
    if (clock.softMs.load(std::memory_order_relaxed) <= elapsed) clock.softReached = true;
    if (clock.softReached && !clock.scoreDropped) session.requestStop();
    if (clock.hardMs.load(std::memory_order_relaxed) <= elapsed) session.requestStop();
}

void updateScoreDrop(SearchClock& clock, int scoreChange) { clock.scoreDropped = scoreChange < ScoreDropLimit; }

bool iterationMayStop(Session& session, int scoreChange, std::uint64_t nodes) {
    checkTime(session, nodes);
    if (session.stopped()) return true;
    return session.clock.softReached && scoreChange >= ScoreDropLimit;
}

}  // namespace halberd::search
