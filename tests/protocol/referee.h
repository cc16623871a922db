#pragma once
// The client's own copy of the game, as a GUI keeps it: it judges the engine's
// moves, chooses the client's and writes the UCI position line.
#include <string>

#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"

namespace halberd::testing {

struct Referee {
    board::GameBoard game;
    std::string moves;  // the moves played, each after a space

    Referee() {
        board::resetGameToStart(game);
        board::listLegalMoves(game);
    }
    // The result code of playGameMove for the coordinate text.
    int play(const std::string& text) {
        const board::Move move = board::parseCoordinate(text, game.sideToMove);
        if (move == board::NoMove) return board::ResultNoSuchMove;
        const int result = board::playGameMove(game, move);
        if (result == board::ResultPlayed || result >= board::ResultMate) moves += " " + text;
        return result;
    }
    // A legal move that varies with the turn.
    std::string pick(int turn) const {
        int count = 0;
        while (game.legalMoves[static_cast<std::size_t>(count)] != 0) ++count;
        const board::Move move = game.legalMoves[static_cast<std::size_t>((turn * 7) % count)];
        return board::writeCoordinate(move & 0xFFFF);
    }
    std::string positionLine() const { return "position startpos" + (moves.empty() ? "" : " moves" + moves); }
};

// An answer that was played: an ordinary move or one that ended the game.
inline bool legalAnswer(int code) { return code == board::ResultPlayed || code >= board::ResultMate; }

}  // namespace halberd::testing
