// Every evaluation term is White minus Black: a position and its colour mirror
// must give opposite values for each term, over a broad set of positions.
#include <gtest/gtest.h>

#include <fstream>

#include "eval/endgame.h"
#include "eval/evaluate.h"
#include "eval/kingsafety.h"
#include "eval/pawns.h"
#include "eval/pieces.h"
#include "eval_fixture.h"
#include "test_data.h"

namespace halberd::testing {

namespace {

// All terms of one position for one side to move, in a fixed order.
std::vector<int> allTerms(const EvalPosition& p, board::Colour side) {
    const board::SearchBoard& sb = p.board;
    const board::NodeState& state = p.state;
    std::vector<int> t;
    const eval::PawnFacts facts = eval::computePawnStructure(sb, state, side);
    t.push_back(facts.score);
    t.push_back(eval::rookFiles(sb, state));
    t.push_back(eval::bishopPair(sb, state));
    t.push_back(eval::heavyPiecesOnSeventh(sb));
    t.push_back(eval::outposts(sb));
    t.push_back(eval::queenTropism(sb));
    t.push_back(eval::minorsNearKing(sb));
    t.push_back(eval::shelterAndOpenFiles(sb, state));
    t.push_back(eval::lineUps(sb));
    t.push_back(eval::kingPawnDistance(sb, state));
    const eval::PieceTerms pieces = eval::evaluatePieces(sb, state, facts.attacks, side);
    t.push_back(pieces.mobility);
    t.push_back(pieces.positional);
    t.push_back(pieces.proximity);
    const eval::RaceTerms races = eval::passerRaces(sb, facts);
    t.push_back(races.positional);
    t.push_back(races.pawn);
    const eval::EndgameRuleTerms rules = eval::endgameRules(sb, state, side, facts, {0, {-912, 912}});
    t.push_back(rules.positional);
    t.push_back(rules.special);
    const int pawnless = eval::evaluatePawnless(sb, state);
    t.push_back(pawnless);
    t.push_back(eval::correctPawnless(state, pawnless).score);
    return t;
}

// The set-up gives extra pieces slots in reading order, which the mirror
// reverses; only positions whose slots mirror exactly can be compared.
bool slotsMirror(const EvalPosition& p, const EvalPosition& m) {
    for (int slot = 0; slot < 32; ++slot) {
        const int a = p.board.slotSquare[slot];
        const int b = m.board.slotSquare[slot ^ 16];
        if ((a == board::OffBoard) != (b == board::OffBoard) || (a != board::OffBoard && (a ^ 56) != b)) return false;
    }
    return true;
}

}  // namespace

TEST(TermSymmetry, EveryTermChangesSignWithTheMirroredPosition) {
    std::ifstream in(dataPath("perft-random.epd"));
    ASSERT_TRUE(in) << "perft-random.epd not found";
    std::string line;
    int positions = 0;
    while (std::getline(in, line)) {
        const std::string fen = line.substr(0, line.find(';'));
        const auto p = positionFromFen(fen);
        const auto m = positionFromFen(mirrorFen(fen));
        if (!slotsMirror(p, m)) continue;
        for (const board::Colour side : {board::White, board::Black}) {
            const std::vector<int> a = allTerms(p, side);
            const std::vector<int> b = allTerms(m, board::opponent(side));
            for (std::size_t i = 0; i < a.size(); ++i) ASSERT_EQ(a[i], -b[i]) << "term " << i << " of " << fen;
        }
        ++positions;
    }
    EXPECT_GE(positions, 100);
}

// The whole evaluation (square tables left out) is the same for the mover in
// a position and in its mirror.
TEST(TermSymmetry, EvaluationOfTheMirroredPositionIsTheSameForTheMover) {
    std::ifstream in(dataPath("perft-random.epd"));
    ASSERT_TRUE(in);
    std::string line;
    int positions = 0;
    while (std::getline(in, line)) {
        const std::string fen = line.substr(0, line.find(';'));
        const auto p = positionFromFen(fen);
        const auto m = positionFromFen(mirrorFen(fen));
        if (!slotsMirror(p, m)) continue;
        for (const board::Colour side : {board::White, board::Black}) {
            const int a = eval::evaluate(p.board, p.state, side, testEvalState());
            const int b = eval::evaluate(m.board, m.state, board::opponent(side), testEvalState());
            ASSERT_EQ(a, b) << fen << " side " << side;
        }
        ++positions;
    }
    EXPECT_GE(positions, 100);
}

}  // namespace halberd::testing
