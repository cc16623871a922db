#pragma once
// The 960 start positions of Chess960 by their standard number.
#include <string>

namespace halberd::board {

inline constexpr int Chess960Positions = 960;
// The number of the ordinary start position (RNBQKBNR).
inline constexpr int OrdinaryStartNumber = 518;

// FEN (X-FEN castling field KQkq) of start position `number`, 0 to 959, by the
// standard numbering: the light-squared bishop, the dark-squared bishop, the
// queen on the free squares, the knights' pair, then rook, king, rook.
std::string chess960StartFen(int number);

}  // namespace halberd::board
