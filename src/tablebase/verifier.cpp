#include "tablebase/verifier.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "tablebase/classes.h"
#include "tablebase/index.h"
#include "tablebase/material.h"
#include "tablebase/parallelparts.h"
#include "tablebase/probe.h"
#include "tablebase/retrograde.h"
#include "tablebase/tablefiles.h"
#include "tablebase/worktable.h"

namespace halberd::tablebase {

namespace {

using namespace halberd::board;

// The table files of a class and of the classes it leads into, read whole
// before the threads start and only read while they run.
class TableFiles {
public:
    explicit TableFiles(std::string directory) : directory_(std::move(directory)) {}

    // Reads both sides' files of a class; false when a file is missing or damaged.
    bool load(int cls) {
        auto& loaded = tables_[cls];
        const TableClass& c = tableClass(cls);
        for (int side = 0; side < 2; ++side) {
            std::string why;
            loaded[side] = readTableFile(tableFileName(directory_, std::string(c.name), side), c.size[side], &why);
            if (loaded[side].empty() && !why.empty()) reason_ = why;
        }
        return bytes(cls) != nullptr;
    }

    // Both sides' bytes of a loaded class; nullptr when it was not loaded or not read.
    const std::array<std::vector<std::int8_t>, 2>* bytes(int cls) const {
        const auto found = tables_.find(cls);
        if (found == tables_.end() || found->second[0].empty() || found->second[1].empty()) return nullptr;
        return &found->second;
    }

    // What was wrong with the last compressed file that could not be read, if any.
    const std::string& reason() const { return reason_; }

private:
    std::string directory_;
    std::map<int, std::array<std::vector<std::int8_t>, 2>> tables_;
    std::string reason_;
};

// The stored byte of a position on the board (any colours), or nothing when its
// class has no readable table.
std::optional<std::int8_t> storedByte(const TableFiles& files, const ProbeInput& input, int sideToMove, int epSquare) {
    if (std::all_of(input.counts.begin(), input.counts.end(), [](int n) { return n == 0; })) return 0;
    const TableSpot spot = tableSpot(input, sideToMove, epSquare);
    const auto* bytes = spot.cls == 0 ? nullptr : files.bytes(spot.cls);
    if (bytes == nullptr || spot.index >= (*bytes)[spot.side].size()) return std::nullopt;
    return (*bytes)[spot.side][spot.index];
}

// Plies to mate from the side to move's view as the tables count them (odd for
// a win, even for a loss, 0 = checkmated); undecided for a draw.
struct Outcome {
    bool decided = false;
    bool win = false;
    int plies = 0;
};

Outcome outcomeOf(std::int8_t byte) {
    const std::uint8_t state = stateOfByte(byte);
    if (state == 0) return {};
    return {true, ((state - 1) & 1) != 0, state - 1};
}

std::int8_t byteOf(const Outcome& o) {
    if (!o.decided) return 0;
    return byteOfState(static_cast<std::uint8_t>(o.plies + 1));
}

// What one piece of a table's indices showed.
struct PieceCheck {
    std::uint64_t positions = 0;
    std::uint64_t inconsistencies = 0;
    std::vector<std::string> examples;  // the piece's first few
    std::string missing;                // a position whose successor has no table
};

constexpr std::size_t MaxExamples = 10;

// Checks indices first..last-1 of one side's table on the thread's own board.
PieceCheck checkPiece(const TableFiles& files, int cls, int side, std::uint64_t first, std::uint64_t last,
                      GameBoard& game) {
    PieceCheck check;
    const std::vector<std::int8_t>& own = (*files.bytes(cls))[side];
    for (std::uint64_t index = first; index < last; ++index) {
        TablePosition position;
        if (!decodeIndex(cls, side, index, position) || !holdsPosition(side, position)) continue;
        // With two pawns beside the one that stepped twice, the entry of the
        // higher-file capturer stands for the same position as the lower one's
        // and is never written.
        if (position.epSquare >= 0 &&
            tableIndex(cls, side, position.stronger, position.weaker, position.epSquare, false) != index)
            continue;
        if (!accepted(setUpLists(game, position.stronger, position.weaker, side, position.epSquare))) continue;
        const auto fen = [&] { return fenOfLists(position.stronger, position.weaker, side, position.epSquare); };
        ++check.positions;
        ProbeInput before;
        gatherMaterial(game.slotSquare, std::span(game.slotType).first(32), before);
        // The best move: the quickest win, else a draw, else the longest defence.
        Outcome derived;
        bool drawn = false;
        // The set-up lists the legal moves; without any it is mate or stalemate.
        if (game.legalMoves[0] == 0 && (listLegalMoves(game) & MateFlag) != 0) derived = {true, false, 0};
        for (const Move* m = game.legalMoves.data(); *m != 0; ++m) {
            if ((*m & IllegalFlag) != 0) continue;  // the list of a mate or stalemate keeps its tried moves
            // Mate and stalemate after the move are the successor's own entry, checked
            // in its turn; so the replies need not be listed.
            const int ep = enPassantSquare(*m, game.scratch);
            const ProbeInput afterInput = materialAfter(before, game, *m);
            const auto stored = storedByte(files, afterInput, otherSide(side), ep == 0 ? -1 : ep);
            if (!stored) {
                check.missing = fen();
                return check;
            }
            const Outcome after = outcomeOf(*stored);
            if (!after.decided) {
                drawn = true;
                continue;
            }
            const Outcome mine = {true, !after.win, after.plies + 1};
            if (!derived.decided || (mine.win && (!derived.win || mine.plies < derived.plies)) ||
                (!mine.win && !derived.win && mine.plies > derived.plies))
                derived = mine;
        }
        if (drawn && !(derived.decided && derived.win)) derived = {};
        const std::int8_t expected = byteOf(derived);
        if (own[index] != expected) {
            ++check.inconsistencies;
            if (check.examples.size() < MaxExamples)
                check.examples.push_back(fen() + ": stored " + std::to_string(own[index]) + ", derived " +
                                         std::to_string(expected) + " (index " + std::to_string(index) + ")");
        }
    }
    return check;
}

}  // namespace

VerifyReport verifyClass(const std::string& className, const std::string& directory, std::FILE* progress, int threads) {
    VerifyReport report;
    const int cls = classNumberOf(className);
    const auto material = parseMaterial(className);
    if (cls == 0 || !material) {
        report.error = "unknown class " + className;
        return report;
    }
    TableFiles files(directory);
    if (!files.load(cls)) {
        report.error = "no readable tables of " + className + " in " + (directory.empty() ? "." : directory) +
                       (files.reason().empty() ? "" : " (" + files.reason() + ")");
        return report;
    }
    for (const std::string& next : conversionClasses(*material))
        if (!files.load(classNumberOf(next))) {
            report.error = "a table that " + className + " leads into is missing (" + next + ")" +
                           (files.reason().empty() ? "" : " (" + files.reason() + ")");
            return report;
        }
    constexpr std::uint64_t Piece = 1 << 14;
    for (int side = 0; side < 2; ++side) {
        const auto start = std::chrono::steady_clock::now();
        const std::uint64_t size = (*files.bytes(cls))[side].size();
        std::vector<PieceCheck> pieces((size + Piece - 1) / Piece);
        forEachPiece(size, threads, Piece, [&](std::uint64_t first, std::uint64_t last) {
            GameBoard game;  // the piece's own board: the threads share nothing they write
            resetGameToStart(game);
            pieces[first / Piece] = checkPiece(files, cls, side, first, last, game);
        });
        std::uint64_t positions = 0, inconsistencies = 0;
        for (PieceCheck& piece : pieces) {
            if (!piece.missing.empty()) {
                report.error = "a table that " + className + " leads into is missing (" + piece.missing + ")";
                return report;
            }
            positions += piece.positions;
            inconsistencies += piece.inconsistencies;
            for (std::string& example : piece.examples)
                if (report.examples.size() < MaxExamples) report.examples.push_back(std::move(example));
        }
        report.positions += positions;
        report.inconsistencies += inconsistencies;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (progress) {
            std::fprintf(progress, "%s.%s: %llu indices, %llu positions checked, %llu inconsistencies, %.1f s\n",
                         className.c_str(), side == 0 ? "nbw" : "nbb", static_cast<unsigned long long>(size),
                         static_cast<unsigned long long>(positions), static_cast<unsigned long long>(inconsistencies),
                         seconds);
            std::fflush(progress);
        }
    }
    return report;
}

}  // namespace halberd::tablebase
