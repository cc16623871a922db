#include "frontend/bookcommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "book/bookfile.h"
#include "book/bookprobe.h"
#include "book/bookrandom.h"
#include "book/booktestfiles.h"

namespace hb = halberd::board;
namespace hk = halberd::book;
namespace bt = halberd::booktest;

namespace {

// Games of the collection, with the start position's moves:
//   e4 four times (scores for White 2, 0, 1, 2), d4 twice (1, 1), c4 (2), Nf3 (1), b3 (0), g3 (0).
// Game 11 plays an illegal move and is skipped; game 12 is unfinished; game 13 is a set-up promotion.
constexpr const char* Collection = R"PGN([Event "Round trip"]
[White "Anna"]
[Black "Boris"]
[Result "1-0"]

1. e4 e5 2. Nf3 {main line} Nc6 (2... d6 3. d4) 3. Bb5 $1 a6 1-0

[White "Carl"]
[Black "Dora"]
1. e4 c5! 2. Nf3 d6 3. d4 cxd4 0-1

[White "Emil"]
[Black "Fay"]
1. e4 e5 2. Nf3 Nf6 3. Nxe5 d6 1/2-1/2

1. e4 e5 2. Nf3+? Nc6 1-0
1. d4 d5 1/2-1/2
1. d4 Nf6 1/2-1/2
1. c4 e5 1-0
1. Nf3 d5 1/2-1/2
1. b3 e5 0-1
1. g3 d5 0-1

[White "Gus"]
[Black "Hilda"]
1. e4 e5 2. Ke3 Nf6 1-0

1. e4 d5 *

[FEN "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"]
[SetUp "1"]
1. b8Q+ Kd7 1-0
)PGN";

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun runBook(std::vector<std::string> words) {
    words.insert(words.begin(), "book");
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = halberd::frontend::runBookCommand(static_cast<int>(argv.size()), argv.data());
    return {status, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
}

class BookMaker : public ::testing::Test {
protected:
    BookMaker() : pgn(dir.file("games.pgn")), book(dir.file("Halberd.bo2")) { bt::writeTextFile(pgn, Collection); }

    // The record of the position reached by the coordinate moves from the start.
    int find(std::initializer_list<const char*> moves, hk::BookRecord& record) {
        hb::GameBoard game;
        hb::resetGameToStart(game);
        hb::listLegalMoves(game);
        for (const char* m : moves) EXPECT_EQ(hb::playGameMove(game, hb::parseCoordinate(m, game.sideToMove)), 0) << m;
        return findKey(hb::writeFen(game), record);
    }
    int findKey(const std::string& key, hk::BookRecord& record) {
        hk::BookFile file(std::fopen(book.c_str(), "rb"));
        EXPECT_TRUE(file);
        if (!file) return 0;
        hk::BookRecordBytes bytes;
        const int found = hk::bookFind(file.get(), key, bytes);
        record = hk::decodeBookRecord(bytes);
        return found;
    }

    bt::TempDir dir;
    std::string pgn;
    std::string book;
};

std::uint16_t code(const char* coordinate, hb::Colour side) {
    return static_cast<std::uint16_t>(hb::parseCoordinate(coordinate, side) & 0x7FFF);
}

}  // namespace

TEST_F(BookMaker, RoundTripThroughTheEngineLookup) {
    const CommandRun run = runBook({"make", pgn, "-o", book, "--max-ply", "3"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("11 games used, 1 unfinished, 1 skipped"), std::string::npos) << run.out;
    // The illegal game is named by its number and players, with the move.
    EXPECT_NE(run.err.find("game 11 (Gus - Hilda"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Ke3"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("game 1 "), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(book + ".tmp"));
    EXPECT_EQ(std::filesystem::file_size(book) % hk::BookRecordSize, 0u);

    hk::BookRecord record;
    ASSERT_EQ(find({}, record), 1);
    // Five most-played moves: e4, d4, then the single games by score, b3 before g3 on equal terms.
    ASSERT_EQ(hk::candidateCount(record), 5);
    const hb::Colour W = hb::White, B = hb::Black;
    EXPECT_EQ(record.candidates[0].move, code("e2e4", W));
    EXPECT_EQ(record.candidates[0].games, 4);
    EXPECT_EQ(record.candidates[0].score, 5);
    EXPECT_EQ(record.candidates[1].move, code("d2d4", W));
    EXPECT_EQ(record.candidates[1].games, 2);
    EXPECT_EQ(record.candidates[1].score, 2);
    EXPECT_EQ(record.candidates[2].move, code("c2c4", W));
    EXPECT_EQ(record.candidates[3].move, code("g1f3", W));
    EXPECT_EQ(record.candidates[4].move, code("b2b3", W));

    // Black's score is counted from Black's side.
    ASSERT_EQ(find({"e2e4"}, record), 1);
    ASSERT_EQ(hk::candidateCount(record), 2);
    EXPECT_EQ(record.candidates[0].move, code("e7e5", B));
    EXPECT_EQ(record.candidates[0].games, 3);
    EXPECT_EQ(record.candidates[0].score, 1);
    EXPECT_EQ(record.candidates[1].move, code("c7c5", B));
    EXPECT_EQ(record.candidates[1].score, 2);

    // A check sign and a "?" on the move do not matter.
    ASSERT_EQ(find({"e2e4", "e7e5"}, record), 1);
    EXPECT_EQ(record.candidates[0].move, code("g1f3", W));
    EXPECT_EQ(record.candidates[0].games, 3);
    EXPECT_EQ(record.candidates[0].score, 5);

    // Three plies only: the position after 2. Nf3 is not in the book, nor the unfinished game's.
    EXPECT_EQ(find({"e2e4", "e7e5", "g1f3"}, record), 0);
    EXPECT_EQ(find({"e2e4", "d7d5"}, record), 0);

    // The set-up game: the promotion written without "=" is the queen promotion.
    hb::GameBoard game;
    ASSERT_EQ(hb::setupFromFen(game, "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1"), 0);
    ASSERT_EQ(findKey(hb::writeFen(game), record), 1);
    EXPECT_EQ(record.candidates[0].move, hb::makeMove(49, 57, hb::PromoteQueen));

    // And the engine's own probe reads the file.
    hb::GameBoard afterE4;
    hb::resetGameToStart(afterE4);
    hb::listLegalMoves(afterE4);
    ASSERT_EQ(hb::playGameMove(afterE4, hb::parseCoordinate("e2e4", W)), 0);
    ASSERT_EQ(hb::playGameMove(afterE4, hb::parseCoordinate("e7e5", B)), 0);
    hk::seedRandom(1);
    EXPECT_EQ(hk::bookProbe(afterE4, {book, book, {}}), code("g1f3", W));
}

TEST_F(BookMaker, MinimumGamesLeavesRareMovesOut) {
    const CommandRun run = runBook({"make", pgn, "-o", book, "--min-games", "2", "--max-ply", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    hk::BookRecord record;
    ASSERT_EQ(find({}, record), 1);
    EXPECT_EQ(hk::candidateCount(record), 2);  // e4 and d4
    ASSERT_EQ(find({"e2e4"}, record), 1);
    EXPECT_EQ(hk::candidateCount(record), 1);  // e5; c5 was played once
    EXPECT_EQ(find({"d2d4"}, record), 0);      // d5 and Nf6 once each
    EXPECT_EQ(std::filesystem::file_size(book), 2u * hk::BookRecordSize);
}

TEST_F(BookMaker, DumpedMovesCanBeExcludedAndTheNextCandidateTakesTheirPlace) {
    ASSERT_EQ(runBook({"make", pgn, "-o", book, "--max-ply", "1"}).status, 0);
    const CommandRun dump = runBook({"dump", "-b", book});
    ASSERT_EQ(dump.status, 0) << dump.err;
    const std::string startKey = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/ w KQkq -";
    // Within one half-move the illegal game 11 counts too: five games of 1. e4.
    EXPECT_EQ(dump.out.substr(0, dump.out.find('\n')), startKey + "\te2e4\t5\t7");
    // Five moves of the start position and the set-up game's promotion.
    EXPECT_EQ(std::count(dump.out.begin(), dump.out.end(), '\n'), 6);

    // Excluding 1. d4 (with whatever follows the move on the line) lets g3, the sixth, in.
    const std::string excluded = dir.file("excluded.txt");
    bt::writeTextFile(excluded, startKey + "\td2d4\t2\t2\n");
    ASSERT_EQ(runBook({"make", pgn, "-o", book, "--max-ply", "1", "--exclude", excluded}).status, 0);
    hk::BookRecord record;
    ASSERT_EQ(find({}, record), 1);
    ASSERT_EQ(hk::candidateCount(record), 5);
    for (const auto& c : record.candidates) EXPECT_NE(c.move, code("d2d4", hb::White));
    EXPECT_EQ(record.candidates[4].move, code("g2g3", hb::White));
}

TEST_F(BookMaker, FailedRunLeavesTheOldBookAlone) {
    bt::writeTextFile(book, "old book");
    CommandRun run = runBook({"make", pgn, dir.file("missing.pgn"), "-o", book});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("missing.pgn"), std::string::npos) << run.err;

    const std::string broken = dir.file("broken.pgn");
    bt::writeTextFile(broken, "[White \"X\"]\n1. e4 e5 2. Qxf7 1-0\n1. e4 {open comment\n");
    run = runBook({"make", broken, "-o", book});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("game 1 (X - ?"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("game 2 (? - ?"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("no usable game"), std::string::npos) << run.err;

    std::ifstream in(book);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old book");
    // No temporary file is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_TRUE(entry.path() == pgn || entry.path() == book || entry.path() == broken) << entry.path();
}

TEST_F(BookMaker, TheTemporaryFileNeverFollowsALinkPlantedBesideTheOutput) {
    const std::string victim = dir.file("victim");
    bt::writeTextFile(victim, "precious");
    std::filesystem::create_symlink(victim, book + ".tmp");
    const CommandRun run = runBook({"make", pgn, "-o", book});
    EXPECT_EQ(run.status, 0) << run.err;
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(book + ".tmp"));
    EXPECT_FALSE(std::filesystem::is_symlink(book));
    hk::BookRecord record;
    EXPECT_EQ(find({"e2e4"}, record), 1);
}

TEST_F(BookMaker, WrongUsage) {
    EXPECT_EQ(runBook({}).status, 2);
    EXPECT_EQ(runBook({"make", pgn}).status, 2);                                // no output
    EXPECT_EQ(runBook({"make", "-o", book}).status, 2);                         // no input
    EXPECT_EQ(runBook({"make", pgn, "-o", book, "--max-ply", "0"}).status, 2);  // not a count
    EXPECT_EQ(runBook({"make", pgn, "-o", book, "--max-ply", "3x"}).status, 2);
    EXPECT_EQ(runBook({"make", pgn, "-o", book, "--fast"}).status, 2);
    EXPECT_EQ(runBook({"show"}).status, 2);
    EXPECT_EQ(runBook({"burn"}).status, 2);
    EXPECT_FALSE(std::filesystem::exists(book));
}

TEST_F(BookMaker, ShowPrintsTheRecordAndTheChances) {
    ASSERT_EQ(runBook({"make", pgn, "-o", book}).status, 0);
    CommandRun run =
        runBook({"show", "-b", book, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR", "b", "KQkq", "-", "0", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("key: rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR/ b KQkq -\n"), std::string::npos)
        << run.out;
    // e5: 3 games, 1 half point (16.7%, 2 slots); c5: 1 game won (11 slots).
    EXPECT_NE(run.out.find("e7e5   e5       games     3  score  16.7%  chance 15% (2 of 13 slots)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("c7c5   c5       games     1  score 100.0%  chance 85% (11 of 13 slots)"), std::string::npos) << run.out;

    run = runBook({"show", "-b", book, "startpos"});
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("e2e4   e4 "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("e2e4 in 60%"), std::string::npos) << run.out;

    run = runBook({"show", "-b", book, "8/8/8/8/8/8/8/K6k w - - 0 1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("not in book"), std::string::npos);

    run = runBook({"show", "-b", dir.file("none.bo2"), "startpos"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no book file"), std::string::npos);
}
