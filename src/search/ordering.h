#pragma once
// Move ordering of the search: the history and killer tables of a worker, and
// the scorer that writes ordering keys.
#include <array>
#include <cstdint>

#include "board/types.h"

namespace halberd::search {

// history[side][row][from][to]; row = slot type of the moving piece, plus 7
// when the move is not a capture. Values stay within -512..512.
using HistoryTable = std::array<std::array<std::array<std::array<std::int32_t, 64>, 64>, 14>, 2>;
constexpr int KillerPlies = 64;

// The move-ordering tables a new game clears (and the killers every search).
struct SearchTables {
    HistoryTable history{};
    // One word per ply: low 16 bits the newest killer, high 16 bits the previous one.
    std::array<std::uint32_t, KillerPlies> killers{};
};

struct Worker;

constexpr int HistoryNonCaptureRow = 7;
constexpr int CaptureOrderBonus = 2000;
constexpr int KillerBonus = 2000;
constexpr int OrderKeyOffset = 512;
constexpr int RootOrderBase = 762;

// Bonus of a promotion by move kind (0 for kinds 0..3).
constexpr std::array<int, 8> PromotionBonus = {0, 0, 0, 0, 1404, 696, 468, 468};

void clearHistory(SearchTables& tables);
void clearKillers(SearchTables& tables);

// Rewrites bits 16-31 of every move of the zero-terminated list with its
// ordering key; at ply 0 the list becomes the worker's root move list first.
template <board::Colour C>
void scoreMoves(const Worker& w, board::Move* list, int killerEnable, int ply);

inline void scoreMovesWhite(const Worker& w, board::Move* l, int k, int ply) { scoreMoves<board::White>(w, l, k, ply); }
inline void scoreMovesBlack(const Worker& w, board::Move* l, int k, int ply) { scoreMoves<board::Black>(w, l, k, ply); }

}  // namespace halberd::search
