#include "search/timecontrol.h"

#include <algorithm>
#include <chrono>

namespace halberd::search {

std::atomic<int> stopRequest{0};

namespace {

// Only the thinking thread touches these.
std::uint32_t clockStart = 0;
int softLimitTenths = 0;
int hardLimitTenths = 0;
bool softReached = false;
bool dropFlag = false;
int interval = CheckInterval;

// A drop of 160 units or more is a third of a pawn lost.
constexpr int ScoreDropLimit = -159;

}  // namespace

std::uint32_t nowMillis() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void startClock(int softLimit, int hardLimit) {
    stopRequest.store(0, std::memory_order_relaxed);
    softReached = false;
    softLimitTenths = softLimit;
    hardLimitTenths = hardLimit;
    // About a fortieth of the hard limit at a million nodes a second.
    interval = std::clamp(hardLimit, 0, CheckInterval / 2500) * 2500;
    interval = std::clamp(interval, MinCheckInterval, CheckInterval);
    clockStart = nowMillis();
}

int checkInterval() { return interval; }

void checkTime() {
    const int elapsed = static_cast<int>((nowMillis() - clockStart) / 100);
    if (softLimitTenths <= elapsed) softReached = true;
    if (softReached && !dropFlag) stopRequest.store(1, std::memory_order_relaxed);
    if (hardLimitTenths <= elapsed) stopRequest.store(1, std::memory_order_relaxed);
}

void clearScoreDrop() { dropFlag = false; }

void updateScoreDrop(int scoreChange) { dropFlag = scoreChange < ScoreDropLimit; }

bool scoreDropped() { return dropFlag; }

bool softTimeReached() { return softReached; }

bool iterationMayStop(int scoreChange) {
    checkTime();
    if (stopRequest.load(std::memory_order_relaxed) != 0) return true;
    return softReached && scoreChange >= ScoreDropLimit;
}

}  // namespace halberd::search
