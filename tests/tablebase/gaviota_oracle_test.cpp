// Our generated three-man tables against Gaviota's (another author, another
// format): the depth to mate of every legal position, both sides to move.
#include <gtest/gtest.h>

#include <filesystem>

#include "tablebase/generator.h"
#include "tablebase/probe.h"
#include "tablebase/registry.h"

#ifdef HALBERD_GAVIOTA_TABLES
#include <gtb-probe.h>
#endif

namespace halberd::tablebase {
namespace {

#ifdef HALBERD_GAVIOTA_TABLES

unsigned char gaviotaPiece(ManKind kind) {
    switch (kind) {
        case ManKind::King: return tb_KING;
        case ManKind::Queen: return tb_QUEEN;
        case ManKind::Rook: return tb_ROOK;
        case ManKind::Bishop: return tb_BISHOP;
        case ManKind::Knight: return tb_KNIGHT;
        case ManKind::Pawn: return tb_PAWN;
    }
    return tb_NOPIECE;
}

// Gaviota's answer as our state byte: plies + 1 from the side to move's view, 0 for a draw.
int gaviotaState(const Material& m, const Squares& sq, int side) {
    std::array<unsigned, 6> white{};
    std::array<unsigned, 6> black{};
    std::array<unsigned char, 6> whitePieces{};
    std::array<unsigned char, 6> blackPieces{};
    int w = 0;
    int b = 0;
    for (int i = 0; i < m.count; ++i) {
        if (m.men[i].colour == Stronger) {
            white[w] = static_cast<unsigned>(sq[i]);
            whitePieces[w++] = gaviotaPiece(m.men[i].kind);
        } else {
            black[b] = static_cast<unsigned>(sq[i]);
            blackPieces[b++] = gaviotaPiece(m.men[i].kind);
        }
    }
    white[w] = tb_NOSQUARE;
    black[b] = tb_NOSQUARE;
    whitePieces[w] = tb_NOPIECE;
    blackPieces[b] = tb_NOPIECE;
    unsigned info = 0;
    unsigned plies = 0;
    const int ok = tb_probe_hard(side == Stronger ? tb_WHITE_TO_MOVE : tb_BLACK_TO_MOVE, tb_NOSQUARE, tb_NOCASTLE,
                                 white.data(), black.data(), whitePieces.data(), blackPieces.data(), &info, &plies);
    if (!ok) return -1;
    if (info == tb_DRAW) return 0;
    const bool sideWins = (info == tb_WMATE) == (side == Stronger);
    const int state = static_cast<int>(plies) + 1;
    return (stateIsWin(static_cast<std::uint8_t>(state)) == sideWins) ? state : -2;
}

// Our probe's answer as a state byte, read from the written files.
int probedState(const Material& m, const Squares& sq, int side) {
    std::array<std::int32_t, 32> squares{};
    std::array<std::int32_t, 32> types{};
    squares.fill(64);
    types.fill(7);
    std::array<int, 2> next = {1, 17};
    for (int i = 0; i < m.count; ++i) {
        const int colour = m.men[i].colour;
        const int slot = m.men[i].kind == ManKind::King ? colour * 16 : next[colour]++;
        squares[slot] = sq[i];
        types[slot] = m.men[i].kind == ManKind::Pawn ? 5 + colour : static_cast<int>(m.men[i].kind);
    }
    ProbeInput input;
    gatherMaterial(squares, types, input);
    const int value = probe(input, side, -1);
    if (value == NoValue) return -1;
    if (value == 0) return 0;
    return value > 0 ? 2 * (32767 - value) : 2 * (value + 32766) + 1;
}

class GaviotaOracleSlow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const char** paths = tbpaths_init();
        paths = tbpaths_add(paths, HALBERD_GAVIOTA_TABLES);
        tb_init(0, tb_CP1, paths);
        tbcache_init(16 * 1024 * 1024, 0);
        paths_ = paths;
    }
    static void TearDownTestSuite() {
        tbcache_done();
        tb_done();
        tbpaths_done(paths_);
    }
    static inline const char** paths_ = nullptr;
};

TEST_F(GaviotaOracleSlow, EveryThreeManPositionHasGaviotasDepthToMate) {
    const auto directory =
        std::filesystem::temp_directory_path() / ("halberd-tb-gaviota-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    Generator generator(directory.string(), nullptr, nullptr);
    for (const char* name : {"kpk", "knk", "kbk", "krk", "kqk"}) {
        ASSERT_TRUE(generator.make(name)) << name;
    }
    ASSERT_EQ(initialise(directory.string(), 1 << 20), 3);
    for (const char* name : {"kpk", "knk", "kbk", "krk", "kqk"}) {
        const Material m = *parseMaterial(name);
        std::uint64_t compared = 0;
        std::uint64_t differences = 0;
        Squares sq{};
        for (int a = 0; a < 64; ++a)
            for (int b = 0; b < 64; ++b)
                for (int c = 0; c < 64; ++c)
                    for (int side = 0; side < 2; ++side) {
                        sq[0] = static_cast<std::int8_t>(a);
                        sq[1] = static_cast<std::int8_t>(b);
                        sq[2] = static_cast<std::int8_t>(c);
                        if (!legalPosition(m, sq, side)) continue;
                        const int ours = probedState(m, sq, side);
                        const int theirs = gaviotaState(m, sq, side);
                        ++compared;
                        if (ours != theirs && ++differences <= 5)
                            ADD_FAILURE() << name << " " << fenOf(m, sq, side, NoSquare) << ": ours " << ours
                                          << ", Gaviota " << theirs << " (plies + 1)";
                    }
        EXPECT_EQ(differences, 0u) << name << ", " << compared << " positions compared";
        EXPECT_GT(compared, 100000u) << name;
    }
    release();
    std::filesystem::remove_all(directory);
}

#else

TEST(GaviotaOracleSlow, EveryThreeManPositionHasGaviotasDepthToMate) {
    GTEST_SKIP() << "Gaviota tables or probing library missing (scripts/install-deps.sh installs them)";
}

#endif

}  // namespace
}  // namespace halberd::tablebase
