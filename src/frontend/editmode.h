#pragma once
// The EDIT sub-loop: pieces placed and removed one line at a time on a copy of
// the game, committed only when the finished position is acceptable.
#include <string_view>

#include "board/fen.h"
#include "board/gameboard.h"
#include "frontend/inputline.h"

namespace halberd::frontend {

class EditSession {
public:
    explicit EditSession(const board::GameBoard& game) : board_(game), sideToMove_(game.sideToMove) {}

    // Applies one upper-cased line: "C" switches the colour of placed pieces,
    // "#" empties the board, "." ends the edit (returns false); otherwise a piece
    // letter K Q R B N P, or X to remove, followed by a square such as E4.
    bool apply(std::string_view line);

    // Finishes the set-up with the side to move the game had when the edit began.
    // On success the game takes the edited position and 0 is returned; otherwise
    // the game stays as it was and the set-up code is returned (a missing king,
    // or IllegalFlag when the side not to move is in check).
    board::SetupStatus finish(board::GameBoard& game) { return finish(game, sideToMove_); }
    // The same with the side to move given (a position file names it by its
    // last colour line).
    board::SetupStatus finish(board::GameBoard& game, board::Colour sideToMove);

    // Empties the board, kings included.
    void clear();
    void setColour(board::Colour colour) { colour_ = colour; }
    // Places a piece of the current colour (K Q R B N P); false when the letter is
    // unknown, a pawn stands on its first or last rank, or no slot is free.
    bool place(char letter, int square);

    const board::GameBoard& board() const { return board_; }

private:
    void removeAt(int square);

    board::GameBoard board_;
    board::Colour sideToMove_;
    board::Colour colour_ = board::White;
};

// Reads edit lines until "." or the end of input and finishes the set-up.
board::SetupStatus runEditMode(LineReader& input, board::GameBoard& game);

}  // namespace halberd::frontend
