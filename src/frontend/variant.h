#pragma once
// The variant the interface plays: ordinary chess or Chess960 (UCI_Chess960,
// xboard's "variant fischerandom", "new 960 [N]"), and the engine's move text,
// whose castling each protocol writes its own way in Chess960.
#include <string>

#include "board/gameboard.h"

namespace halberd::frontend {

// Chess960 on or off, for the settings and for the game's castling rules.
void setChess960(board::GameBoard& game, bool on);
bool chess960();

// A move as the interface expects it: castling in Chess960 as the king taking
// its rook under UCI and as O-O / O-O-O under xboard; otherwise e1g1. Without
// the protocol named, the one the interface speaks.
std::string engineMoveText(board::Move move, bool uci);
std::string engineMoveText(board::Move move);

// Sets the game up in Chess960 start position `number` (0-959; any other
// number picks one at random) with Chess960 on; returns the number.
int setupChess960Start(board::GameBoard& game, int number);

}  // namespace halberd::frontend
