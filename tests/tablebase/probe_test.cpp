#include "tablebase/probe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "book/booktestfiles.h"
#include "tablebase/generator.h"
#include "tablebase/registry.h"
#include "tablebase/searchprobe.h"

namespace tb = halberd::tablebase;
using halberd::booktest::TempDir;

namespace {

// A table of zero bytes (a sparse file) with one chosen byte.
void writeTable(const std::string& path, std::uint64_t length, std::uint32_t index, char value) {
    { std::ofstream create(path, std::ios::binary); }
    std::filesystem::resize_file(path, length);
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(index);
    out.put(value);
}

// The probe's input from men given as (slot, square, type) on the board's slots.
tb::ProbeInput gather(std::initializer_list<std::array<int, 3>> men) {
    std::array<std::int32_t, 32> squares;
    std::array<std::int32_t, 33> types;
    squares.fill(64);
    types.fill(7);
    for (const auto& [slot, square, type] : men) {
        squares[slot] = square;
        types[slot] = type;
    }
    tb::ProbeInput input;
    tb::gatherMaterial(squares, types, input);
    return input;
}

tb::PieceList list(std::initializer_list<std::pair<int, int>> placesAndSquares) {
    tb::PieceList l;
    l.fill(-1);
    for (const auto& [place, square] : placesAndSquares) l[place] = square;
    return l;
}

int load(const TempDir& dir) {
    testing::internal::CaptureStderr();
    const int level = tb::initialise(dir.file(""), 1 << 20);
    testing::internal::GetCapturedStderr();
    return level;
}

constexpr int King = 0, Queen = 1, Rook = 2, Knight = 4, WhitePawn = 5, BlackPawn = 6;

}  // namespace

TEST(TablebaseProbe, ValueScaleOfTheStoredByte) {
    const std::array<std::pair<int, int>, 9> cases = {{{0, 0},
                                                       {1, 32641},
                                                       {100, 32740},
                                                       {126, 32766},
                                                       {127, 32767},
                                                       {-1, -32641},
                                                       {-126, -32766},
                                                       {-127, -32640},
                                                       {-128, 32640}}};
    for (const auto& [byte, value] : cases) EXPECT_EQ(tb::valueOfByte(byte), value) << byte;
}

TEST(TablebaseProbe, GatheringFillsCountsAndFirstFreePlaces) {
    const tb::ProbeInput input = gather({{0, 4, King},
                                         {1, 3, Queen},
                                         {9, 12, WhitePawn},
                                         {12, 13, WhitePawn},
                                         {16, 60, King},
                                         {22, 50, Knight},
                                         {18, 40, Rook},
                                         {3, 64, Rook}});
    EXPECT_EQ(input.counts, (tb::MaterialCounts{2, 0, 0, 0, 1, 0, 1, 0, 1, 0}));
    EXPECT_EQ(input.white, list({{0, 4}, {1, 3}, {13, 12}, {14, 13}}));
    EXPECT_EQ(input.black, list({{0, 60}, {4, 40}, {10, 50}}));
}

// King and rook against king: the stored byte 100 reads 32740 for the side
// to move, and the same position with the colours exchanged reads the same.
TEST(TablebaseProbe, ColourExchangeReadsTheStrongerSidesTable) {
    TempDir dir;
    const tb::PieceList strong = list({{0, 2}, {4, 8}}), weak = list({{0, 34}});
    const std::uint32_t index = tb::tableIndex(4, 0, strong, weak, -1, false);
    writeTable(dir.file("krk.nbw"), 27030, index, 100);
    ASSERT_EQ(load(dir), 3);
    EXPECT_EQ(tb::probe(gather({{0, 2, King}, {2, 8, Rook}, {16, 34, King}}), 0, -1), 32740);
    EXPECT_EQ(tb::probe(gather({{0, 34 ^ 56, King}, {16, 2 ^ 56, King}, {18, 8 ^ 56, Rook}}), 1, -1), 32740);
    // The other side to move has no file.
    EXPECT_EQ(tb::probe(gather({{0, 2, King}, {2, 8, Rook}, {16, 34, King}}), 1, -1), tb::NoValue);
}

// With pawns the exchanged colours also turn the board: Black's pawn moving
// down is the table's pawn moving up.
TEST(TablebaseProbe, PawnOfTheBlackSideIsLookedUpUpsideDown) {
    TempDir dir;
    // White king e1, pawn d5, black king a8 (White to move) ...
    const std::uint32_t index = tb::tableIndex(1, 0, list({{0, 4}, {13, 35}}), list({{0, 56}}), -1, false);
    writeTable(dir.file("kpk.nbw"), 81664, index, -5);
    ASSERT_EQ(load(dir), 3);
    // ... is black king e8, pawn d4, white king a1 with Black to move.
    EXPECT_EQ(tb::probe(gather({{0, 0, King}, {16, 60, King}, {24, 27, BlackPawn}}), 1, -1), tb::valueOfByte(-5));
    EXPECT_EQ(tb::probe(gather({{0, 4, King}, {8, 35, WhitePawn}, {16, 56, King}}), 0, -1), tb::valueOfByte(-5));
}

TEST(TablebaseProbe, MissingTablesGiveNoValue) {
    TempDir dir;
    writeTable(dir.file("kqk.nbw"), 25629, 0, 1);
    ASSERT_EQ(load(dir), 3);
    EXPECT_EQ(tb::probe(gather({{0, 0, King}, {1, 20, Queen}, {2, 21, Rook}, {16, 63, King}, {17, 40, Queen}}), 0, -1),
              tb::NoValue);
    EXPECT_EQ(tb::probe(gather({{0, 0, King}, {16, 63, King}}), 0, -1), tb::NoValue);
}

// A byte holds losses up to 126 moves; kppkp's losses in 127 are stored as
// 126. Such a byte is answered from the moves after it: here kqk's longest loss
// (10 moves), stored as the deepest loss, still comes back as a loss in 10.
TEST(TablebaseProbe, TheDeepestLossByteIsCountedFromTheMovesAfterIt) {
    TempDir dir;
    ASSERT_TRUE(tb::Generator(dir.file(""), nullptr, nullptr).make("kqk"));
    const int kqk = tb::classNumberOf("kqk");
    const std::string file = dir.file("kqk.nbb");
    std::uint32_t index = 0;
    {
        std::ifstream in(file, std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        index = static_cast<std::uint32_t>(bytes.find(static_cast<char>(10 - 126)));
        ASSERT_LT(index, bytes.size());
    }
    {
        std::fstream patch(file, std::ios::binary | std::ios::in | std::ios::out);
        patch.seekp(index);
        patch.put(-127);
    }
    ASSERT_EQ(load(dir), 3);
    tb::TablePosition p;
    ASSERT_TRUE(tb::decodeIndex(kqk, 1, index, p));
    const tb::ProbeInput input = gather({{0, p.stronger[0], King}, {1, p.stronger[1], Queen}, {16, p.weaker[0], King}});
    EXPECT_EQ(tb::probe(input, 1, -1), 10 - 32766);
}

// Files damaged to hold nothing but deepest losses must not send the count on
// from loss to loss: no value.
TEST(TablebaseProbe, DeepestLossesEverywhereGiveNoValue) {
    TempDir dir;
    for (const auto& [name, size] : {std::pair{"kqk.nbw", 25629}, std::pair{"kqk.nbb", 28644}})
        std::ofstream(dir.file(name), std::ios::binary) << std::string(size, static_cast<char>(-127));
    ASSERT_EQ(load(dir), 3);
    for (const int side : {0, 1})
        EXPECT_EQ(tb::probe(gather({{0, 0, King}, {1, 20, Queen}, {16, 63, King}}), side, -1), tb::NoValue);
}

// A pawn that has just stepped twice beside a pawn of the side to move is
// looked up in the en-passant entry; the search's "no square" (0) and a
// square off the en-passant ranks use the ordinary entry.
TEST(TablebaseProbe, EnPassantEntryFromTheSearchBoard) {
    TempDir dir;
    // White: king e1, pawn e5; Black: king a8, pawn d5 that came from d7.
    const tb::PieceList white = list({{0, 4}, {13, 36}}), black = list({{0, 56}, {13, 35}});
    const std::uint32_t epIndex = tb::tableIndex(6, 0, white, black, 43, false);
    const std::uint32_t plainIndex = tb::tableIndex(6, 0, white, black, -1, false);
    ASSERT_NE(epIndex, plainIndex);
    writeTable(dir.file("kpkp.nbw"), 3863492, epIndex, 40);
    ASSERT_EQ(load(dir), 4);
    halberd::board::SearchBoard board{};
    board.slotSquare.fill(64);
    board.slotType.fill(7);
    board.slotSquare[0] = 4;
    board.slotType[0] = King;
    board.slotSquare[8] = 36;
    board.slotType[8] = WhitePawn;
    board.slotSquare[16] = 56;
    board.slotType[16] = King;
    board.slotSquare[24] = 35;
    board.slotType[24] = BlackPawn;
    const halberd::board::NodeState state{};
    EXPECT_EQ(tb::probeSearchNode(board, 0, 43, state), tb::valueOfByte(40));
    EXPECT_EQ(tb::probeSearchNode(board, 0, 0, state), 0);
    EXPECT_EQ(tb::probeSearchNode(board, 0, 35, state), 0);
}
