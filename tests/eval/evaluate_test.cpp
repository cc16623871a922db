#include "eval/evaluate.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "eval/evalbench.h"
#include "eval/pst.h"

namespace halberd::eval {
namespace {

using namespace board;

// The evaluation state the tests evaluate with: one worker's pawn table.
EvalState& evalState() {
    static EvalState state = [] {
        EvalState made;
        pawnTableAllocate(made.pawnTable, std::size_t{1} << 12);
        return made;
    }();
    return state;
}

constexpr int FullNonPawn = 5616 + 2 * 2832 + 4 * 1872;  // one side's pieces in the start position

// A board to evaluate, its node state and the side to move.
struct Prepared {
    SearchBoard board{};
    NodeState state{};
    Colour side = White;

    // The boards here are built slot by slot: their occupied squares follow the slots.
    int evaluate(Colour mover) const {
        SearchBoard filled = board;
        filled.occupied = occupiedSquares(board.slotSquare);
        filled.men = {sideSquares(board.slotSquare, White), sideSquares(board.slotSquare, Black)};
        return eval::evaluate(filled, state, mover, evalState());
    }
};

// The start position, built slot by slot.
Prepared startPosition() {
    constexpr std::array<int, 16> whiteSquares = {4, 3, 0, 7, 2, 5, 1, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    Prepared p;
    SearchBoard& sb = p.board;
    sb.board.fill(EmptySlot);
    for (int i = 0; i < 16; ++i) {
        sb.slotSquare[i] = whiteSquares[i];
        sb.slotSquare[16 + i] = whiteSquares[i] ^ 56;
        sb.board[whiteSquares[i]] = i;
        sb.board[whiteSquares[i] ^ 56] = 16 + i;
        sb.slotType[i] = StartSlotTypes[i];
        sb.slotType[16 + i] = i >= FirstPawnSlot ? BlackPawn : StartSlotTypes[i];
        sb.slotValue[i] = sb.slotValue[16 + i] = SlotValue[i];
    }
    sb.slotType[32] = NoPiece;
    sb.slotValue[32] = 0;
    p.state.counts = {7, 7, 8, 8};
    p.state.stageCode = StageOpening;
    p.state.nonPawnMaterial = {FullNonPawn, FullNonPawn};
    p.state.pawnFiles = {0xFF, 0xFF};
    return p;
}

// Bare kings on the given squares: a pawnless position.
Prepared bareKings(int whiteKing, int blackKing) {
    Prepared p;
    SearchBoard& sb = p.board;
    sb.board.fill(EmptySlot);
    sb.slotSquare.fill(OffBoard);
    sb.slotType.fill(NoPiece);
    sb.slotValue.fill(0);
    sb.slotSquare[KingSlot] = whiteKing;
    sb.slotSquare[16 + KingSlot] = blackKing;
    sb.board[whiteKing] = KingSlot;
    sb.board[blackKing] = 16 + KingSlot;
    sb.slotType[KingSlot] = sb.slotType[16 + KingSlot] = King;
    p.state.castling = {-1, -1, -1, -1};
    p.state.stageCode = StagePawnless;
    const PstSums sums = pstFromScratch(sb.slotSquare, sb.slotType);
    p.state.pstMg = sums.mg;
    p.state.pstEg = sums.eg;
    return p;
}

// Sets up a FEN and prepares it as the search root does.
Prepared prepare(const std::string& fen) {
    GameBoard game;
    EXPECT_GE(setupFromFen(game, fen), 0) << fen;
    Position position{};
    loadScratch(game, position);
    prepareRoot(position);
    Prepared p;
    buildNodeState(position, p.state, p.board);
    p.side = game.sideToMove;
    return p;
}

char swapCase(char c) {
    const auto u = static_cast<unsigned char>(c);
    return static_cast<char>(std::isupper(u) ? std::tolower(u) : std::toupper(u));
}

// The same position with the colours exchanged and the board turned upside down.
std::string colourFlipped(const std::string& fen) {
    std::istringstream in(fen);
    std::string placement, side, castling, ep, rest;
    in >> placement >> side >> castling >> ep;
    std::getline(in, rest);
    std::vector<std::string> ranks;
    std::stringstream rankStream(placement);
    for (std::string rank; std::getline(rankStream, rank, '/');) ranks.push_back(rank);
    std::string flipped;
    for (auto it = ranks.rbegin(); it != ranks.rend(); ++it) {
        if (!flipped.empty()) flipped += '/';
        for (char c : *it) flipped += swapCase(c);
    }
    std::string upper, lower;
    for (char c : castling) {
        if (c == '-') continue;
        (std::islower(static_cast<unsigned char>(c)) ? upper : lower) += swapCase(c);
    }
    const std::string flippedCastling = upper + lower == "" ? "-" : upper + lower;
    if (ep != "-") ep[1] = ep[1] == '3' ? '6' : '3';
    return flipped + " " + (side == "w" ? "b" : "w") + " " + flippedCastling + " " + ep + rest;
}

class Evaluation : public ::testing::Test {
protected:
    static void SetUpTestSuite() { pawnTableClear(evalState().pawnTable); }
};

TEST(EvaluationFinish, RoundsScalesAndNeverReturnsZero) {
    // Totals from -89 to -71 round to 0 after the tempo bonus and become -2.
    for (int total = -89; total <= -71; ++total) EXPECT_EQ(finishScore(total, White, 0, true), -2) << total;
    EXPECT_EQ(finishScore(-90, White, 0, true), -10);
    EXPECT_EQ(finishScore(-70, White, 0, true), 10);
    // Rounding truncates toward zero on both sides.
    EXPECT_EQ(finishScore(1237, White, 0, true), 1310);
    EXPECT_EQ(finishScore(-1237, White, 0, true), -1150);
    // Without rounding (pawnless positions) only an exact 0 is replaced.
    EXPECT_EQ(finishScore(-75, White, 0, false), 5);
    EXPECT_EQ(finishScore(-80, White, 0, false), -2);
    EXPECT_EQ(finishScore(75, Black, 0, false), 5);
}

TEST(EvaluationFinish, SideTempoAndFiftyMoveScaling) {
    // Both sides get the tempo bonus; only the total changes sign.
    EXPECT_EQ(finishScore(1000, White, 0, true), 1080);
    EXPECT_EQ(finishScore(1000, Black, 0, true), -920);
    // Halfway to the fifty-move limit half of the total is left.
    EXPECT_EQ(finishScore(1000, White, 50, true), 580);
    EXPECT_EQ(finishScore(-1000, White, 50, false), -420);
    // At 100 plies every score is the tempo bonus, and stays so beyond.
    for (int total : {-30000, -1, 0, 7, 25000}) {
        EXPECT_EQ(finishScore(total, White, 100, true), 80);
        EXPECT_EQ(finishScore(total, Black, 100, true), 80);
        EXPECT_EQ(finishScore(total, White, 150, true), 80);
    }
}

TEST(EvaluationFinish, ClampsInsideMateBound) {
    EXPECT_EQ(finishScore(40000, White, 0, true), 32000);
    EXPECT_EQ(finishScore(40000, Black, 0, true), -32000);
    EXPECT_EQ(finishScore(-100000, White, 0, false), -32000);
    EXPECT_EQ(finishScore(31910, White, 0, true), 31990);
}

TEST(EvaluationCombine, PhaseWeight) {
    NodeState state{};
    EXPECT_EQ(phaseWeight(state), 0);
    state.nonPawnMaterial = {FullNonPawn, FullNonPawn};  // 78.2 pawns
    EXPECT_EQ(phaseWeight(state), 78);
    state.nonPawnMaterial = {FullNonPawn + 3 * 5616, FullNonPawn};  // promoted queens change nothing
    EXPECT_EQ(phaseWeight(state), 78);
    state.nonPawnMaterial = {2832, 1872 + 479};
    EXPECT_EQ(phaseWeight(state), 10);
}

TEST(EvaluationCombine, WeightsEveryTermSeparately) {
    NodeState state{};
    state.materialMg = 480;
    state.materialEg = 1000;
    state.pstMg = 100;
    state.pstEg = -50;
    EvalTerms terms;
    // Full phase: material and squares read their middlegame sums only.
    EXPECT_EQ(combineTerms(state, terms, 78), 480 + 240);
    // No phase: the endgame sums.
    EXPECT_EQ(combineTerms(state, terms, 0), 1000 - 120);

    state = NodeState{};
    terms.positional = -15;   // -21
    terms.kingSafety = -100;  // -100 - (-100 x 78 / 164 = -47) = -53
    terms.pawn = 99;          // 99 + 99 x 78 / 205 = 99 + 37
    terms.proximity = 7;
    terms.mobility = -3;  // -4
    terms.special = 120;
    EXPECT_EQ(combineTerms(state, terms, 0), -21 - 53 + 136 + 7 - 4 + 120);
    // At full phase king safety and pawns count plainly.
    EXPECT_EQ(combineTerms(state, terms, 78), -21 - 100 + 99 + 7 - 4 + 120);
    // Material mixing truncates toward zero: (-1 x 40 + -1 x 38) / 78 = -1, (-1 x 39 + 0) / 78 = 0.
    state.materialMg = -1;
    state.materialEg = -1;
    EXPECT_EQ(combineTerms(state, EvalTerms{}, 40), -1);
    state.materialEg = 0;
    EXPECT_EQ(combineTerms(state, EvalTerms{}, 39), 0);
}

TEST_F(Evaluation, SymmetricStartIsTheTempoForEitherSide) {
    const Prepared start = startPosition();
    EXPECT_EQ(start.evaluate(White), 80);
    EXPECT_EQ(start.evaluate(Black), 80);
}

TEST_F(Evaluation, MaterialAdvantageCountsForTheMover) {
    Prepared p = startPosition();
    // Black's queen is gone.
    p.board.board[59] = EmptySlot;
    p.board.slotSquare[16 + QueenSlot] = OffBoard;
    p.state.counts[CountBlackPieces] = 6;
    p.state.nonPawnMaterial[Black] = FullNonPawn - 5616;
    p.state.materialMg = p.state.materialEg = 5616;
    p.state.castling = {-1, -1, -1, -1};
    p.state.stageCode = StageMiddlegame;
    const int white = p.evaluate(White);
    const int black = p.evaluate(Black);
    EXPECT_GT(white, 4000);
    EXPECT_LT(black, -4000);
    // The two views differ by the sign of the total and share the tempo bonus.
    EXPECT_EQ(white + black, 160);
}

TEST_F(Evaluation, HundredPliesWithoutProgressGiveTheTempoInStagesZeroToFour) {
    Prepared p = startPosition();
    p.state.halfmoveClock = 100;
    p.state.materialMg = p.state.materialEg = 2832;
    for (int stage = StageOpening; stage <= StagePawnEnding; ++stage) {
        p.state.stageCode = stage;
        EXPECT_EQ(p.evaluate(White), 80) << stage;
        EXPECT_EQ(p.evaluate(Black), 80) << stage;
    }
}

TEST_F(Evaluation, BareKingsKeepTheSquareTermUnrounded) {
    // White king g1, Black king e8: only the endgame tables count at phase 0.
    const Prepared kings = bareKings(6, 60);
    const int squares = pstTerm(kings.state.pstMg, kings.state.pstEg, 0);
    EXPECT_EQ(squares, (pstEg(King, White, 6) - pstEg(King, Black, 60)) * 24 / 10);
    EXPECT_EQ(kings.evaluate(White), squares + 80);
    EXPECT_EQ(kings.evaluate(Black), -squares + 80);
    Prepared halfway = kings;
    halfway.state.halfmoveClock = 50;
    EXPECT_EQ(halfway.evaluate(White), squares * 50 / 100 + 80);
}

TEST_F(Evaluation, CountsCalls) {
    const Prepared start = startPosition();
    evalState().evalCount = 0;
    start.evaluate(White);
    start.evaluate(Black);
    EXPECT_EQ(evalState().evalCount, 2u);
}

TEST_F(Evaluation, ColourFlippedPositionsScoreAlikeForTheMover) {
    const std::vector<std::string> fens = {
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1",
        "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
        "2r3k1/pp3ppp/2n1b3/3p4/3P4/2N1B3/PP3PPP/2R3K1 b - - 3 25",
        "8/5pk1/6p1/3R4/7P/6P1/r4PK1/8 w - - 0 40",
        "8/2k5/3p4/p2P1p2/P2P1P2/8/4K3/8 w - - 0 50",
        "8/8/4kpp1/3p4/p2P1P1P/P3K3/6P1/8 b - - 0 45",
        "8/3B4/8/2k5/8/8/4K3/6N1 w - - 0 70",
        "1r6/5k2/8/8/8/2B5/5K2/4R3 w - - 0 55",
        "4k3/1P6/8/8/8/8/6p1/4K3 w - - 0 60",
        "r3k2r/pPpp1ppp/8/4N3/8/8/PPPP1PPP/R3K2R w KQkq - 0 12",
    };
    for (const std::string& fen : fens) {
        const Prepared original = prepare(fen);
        const int score = original.evaluate(original.side);
        const Prepared mirrored = prepare(colourFlipped(fen));
        EXPECT_EQ(mirrored.state.stageCode, original.state.stageCode) << fen;
        EXPECT_EQ(mirrored.evaluate(mirrored.side), score) << fen;
        EXPECT_NE(score, 0) << fen;
        EXPECT_LE(std::abs(score), EvalLimit) << fen;
    }
}

TEST_F(Evaluation, PositionsFromFen) {
    // The start position is symmetric: the tempo bonus for either side to move.
    Prepared start = prepare("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_EQ(start.evaluate(White), 80);
    EXPECT_EQ(start.evaluate(Black), 80);
    // A queen up is worth most of a queen to its owner.
    const Prepared queenUp = prepare("rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    EXPECT_GT(queenUp.evaluate(White), 4000);
    EXPECT_LT(queenUp.evaluate(Black), -4000);
    // Bare kings: only the square tables and the tempo remain.
    const Prepared kings = prepare("4k3/8/8/8/8/8/8/6K1 w - - 0 1");
    ASSERT_EQ(kings.state.stageCode, StagePawnless);
    EXPECT_EQ(kings.evaluate(White), pstTerm(kings.state.pstMg, kings.state.pstEg, 0) + 80);
    // A hundred plies without progress leave the tempo bonus only.
    Prepared stale = prepare("2r3k1/pp3ppp/2n1b3/3p4/3P4/2N1B3/PP3PPP/R5K1 w - - 100 60");
    stale.state.halfmoveClock = 100;
    EXPECT_EQ(stale.evaluate(White), 80);
    EXPECT_EQ(stale.evaluate(Black), 80);
}

TEST_F(Evaluation, BenchmarkEvaluatesEveryPosition) {
    EvalState es;
    const EvalBenchResult result = evalBenchmark(3, es);
    EXPECT_EQ(result.calls, 12u * 2 * 3);
    EXPECT_EQ(es.evalCount, result.calls);
}

TEST(PieceSquareTerm, MixesByPhase) {
    EXPECT_EQ(pstTerm(100, -50, 78), 240);
    EXPECT_EQ(pstTerm(100, -50, 0), -120);
    // (100*39 - 50*39)/78 = 25, x 24 / 10 = 60
    EXPECT_EQ(pstTerm(100, -50, 39), 60);
    // Truncation toward zero at both divisions: -7*24/10 = -16.8 -> -16.
    EXPECT_EQ(pstTerm(-7, -7, 78), -16);
}

}  // namespace
}  // namespace halberd::eval
