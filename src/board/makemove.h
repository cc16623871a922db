#pragma once
// Copy-make with legality, game-end detection, the game-level move and the
// navigation through the game's history. Used outside the search only.
#include <optional>

#include "board/gameboard.h"

namespace halberd::board {

// Attack test on a record: is square `target` attacked by a slot of `attacker`?
bool squareAttacked(const Position& position, int target, Colour attacker);

// Copy-make for the side C. Plays `move` (0 = none) on a copy of `position`.
// An illegal move returns move | IllegalFlag and leaves the record unchanged.
// With a null list the record stays unchanged. Otherwise the record becomes the
// new position and `list` receives the opponent's legal replies (zero-terminated);
// MateFlag / StalemateFlag / DeadDrawFlag report the end of the game.
// With move 0 the en-passant rule follows the position's lastMove, so that a set-up
// right after a double step keeps the capture.
template <Colour C>
Move playMove(Move* list, Move move, int capturesOnly, Position& position);

inline Move playWhiteMove(Move* list, Move move, int capturesOnly, Position& position) {
    return playMove<White>(list, move, capturesOnly, position);
}
inline Move playBlackMove(Move* list, Move move, int capturesOnly, Position& position) {
    return playMove<Black>(list, move, capturesOnly, position);
}

// Neither side has mating material.
bool insufficientMaterial(const Position& position);

// Result codes of playGameMove.
constexpr int ResultNoSuchMove = -1;
constexpr int ResultLeavesKingAttacked = -2;
constexpr int ResultPlayed = 0;
constexpr int ResultNeedsPromotion = 1;
constexpr int ResultMate = 2;
constexpr int ResultStalemate = 3;
constexpr int ResultRepetition = 4;
constexpr int ResultFiftyMoves = 5;
constexpr int ResultDeadMaterial = 6;
constexpr int ResultResign = 10;

// Plays a move in the game (matching it against the legal list); returns a code above.
int playGameMove(GameBoard& game, Move move);

// Fills game.legalMoves for the side to move of the game position; returns the
// copy-make result (MateFlag / StalemateFlag when there is no legal move).
Move listLegalMoves(GameBoard& game);

bool resetsHalfmoveClock(Move move, const Position& position);
bool isIrreversible(const GameBoard& game, Move move, Colour side);
// The passed-over square when the move is a double step with an enemy pawn beside it, else 0.
int enPassantSquare(Move move, const Position& position);

// Navigation: target -1 one half-move back, -2 one forward, -3 to the end of the
// stored history, n >= 0 the position after n half-moves. Returns 0, or 1 for an
// impossible target (nothing changes).
constexpr int GotoBack = -1;
constexpr int GotoForward = -2;
constexpr int GotoEnd = -3;
void replayMove(GameBoard& game, Move stored);
void unmakeGameMove(GameBoard& game, const HistoryEntry& entry);
// The position the game started from has no history entry of its own. It can
// recur only while every move since was reversible; then this rebuilds it by
// unmaking them all and gives it as an entry without a move (which ends any
// backward walk), else nothing.
std::optional<HistoryEntry> reversibleStartEntry(const GameBoard& game);
int gotoPly(GameBoard& game, int target);

}  // namespace halberd::board
