#pragma once
// Positions for the evaluation-term tests: a FEN loaded into a SearchBoard and
// a NodeState that the terms are handed, and the colour-mirrored FEN for
// symmetry checks.
#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "board/fen.h"
#include "board/nodestate.h"
#include "eval/evaluate.h"

namespace halberd::testing {

// The evaluation state the tests evaluate with: one worker's pawn table.
inline eval::EvalState& testEvalState() {
    static eval::EvalState state = [] {
        eval::EvalState made;
        eval::pawnTableAllocate(made.pawnTable, std::size_t{1} << 12);
        return made;
    }();
    return state;
}

struct EvalPosition {
    board::SearchBoard board{};
    board::NodeState state{};
    board::Colour side = board::White;
};

// Square from its name, "e4".
constexpr int sq(const char* name) { return board::squareOf(name[0] - 'a', name[1] - '1'); }

// Sets up a FEN the way a search root is prepared: FEN set-up, root
// preparation (counts, material, stage, pawn files, square-table sums), the
// node state and the board.
inline EvalPosition positionFromFen(const std::string& fen) {
    board::GameBoard game;
    const int result = board::setupFromFen(game, fen);
    EXPECT_GE(result, 0) << fen;
    EvalPosition p;
    board::prepareRoot(game.scratch);
    board::buildNodeState(game.scratch, p.state, p.board);
    p.side = game.sideToMove;
    return p;
}

// The value of an evaluation term in the position of a FEN.
inline int termOf(const std::string& fen, int (*term)(const board::SearchBoard&, const board::NodeState&)) {
    const EvalPosition p = positionFromFen(fen);
    return term(p.board, p.state);
}
inline int termOf(const std::string& fen, int (*term)(const board::SearchBoard&)) {
    return term(positionFromFen(fen).board);
}

// The same position with colours exchanged and the board turned upside down;
// the clocks stay as they are.
inline std::string mirrorFen(const std::string& fen) {
    std::istringstream in(fen);
    std::vector<std::string> fields;
    for (std::string field; in >> field;) fields.push_back(field);
    fields.resize(std::max<std::size_t>(fields.size(), 4), "-");
    const auto swapCase = [](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
    };

    std::vector<std::string> ranks;
    std::istringstream placement(fields[0]);
    for (std::string rank; std::getline(placement, rank, '/');) ranks.push_back(rank);
    std::string out;
    for (auto it = ranks.rbegin(); it != ranks.rend(); ++it) {
        if (!out.empty()) out += '/';
        for (char ch : *it) out += swapCase(ch);
    }
    out += fields[1] == "w" ? " b " : " w ";
    std::string castling;
    for (char wanted : std::string("KQkq"))
        if (fields[2].find(swapCase(wanted)) != std::string::npos) castling += wanted;
    out += castling.empty() ? "-" : castling;
    std::string ep = fields[3];
    if (ep.size() == 2) ep[1] = static_cast<char>('1' + '8' - ep[1]);
    out += " " + ep;
    for (std::size_t i = 4; i < fields.size(); ++i) out += " " + fields[i];
    return out;
}

}  // namespace halberd::testing
