#pragma once
// The game log's games once more as standard PGN, which any PGN reader takes:
// "<program>.pgn" beside the log, one game appended each time a game ends,
// the engine's moves with their score and depth as "{+0.35/14}" comments.
#include <string>
#include <string_view>

#include "board/gameboard.h"
#include "board/types.h"

namespace halberd::frontend {

// The program path followed by ".pgn".
std::string& pgnFileName();

// A new game from the game's position (its FEN is kept when it is not the start position).
void pgnNewGame(const board::GameBoard& game);

// Records a move in the position before it is played; a move at a ply already
// recorded (after a take-back) replaces that ply and the ones after it. The
// comment is empty for a move entered, the score and depth for an engine move.
void pgnMove(const board::GameBoard& game, board::Move move, std::string_view comment, bool engineMove);

// "{+0.35/14}": the score from the mover's side in pawns and the depth, as GUIs
// write them; mates as "+M3/14"; empty for a book move.
std::string pgnScoreComment(int score, int depth);

// The game ends with this result text ("1-0 {White mates}", "1/2-1/2 ...",
// "0-1"): it is appended to the file when the log is enabled; a game without
// moves, or one already written, is not.
void pgnGameOver(std::string_view result);

// The recorded game as PGN text with the result given.
std::string pgnText(std::string_view result);

}  // namespace halberd::frontend
