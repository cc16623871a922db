#include "book/bookbuilder.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "book/bookfile.h"
#include "files/atomicfile.h"

namespace halberd::book {

namespace {

// Half points of White's moves for a result; Black gets 2 minus that.
int whiteHalfPoints(const std::string& result) {
    if (result == "1-0") return 2;
    if (result == "0-1") return 0;
    return 1;
}

// "e8Q" is common in game files but the SAN reader wants "e8=Q".
std::string withPromotionSign(const std::string& san) {
    const auto n = san.size();
    if (n >= 3 && std::isalpha(static_cast<unsigned char>(san[n - 1])) &&
        std::isdigit(static_cast<unsigned char>(san[n - 2])) && std::islower(static_cast<unsigned char>(san[0])))
        return san.substr(0, n - 1) + '=' + san[n - 1];
    return san;
}

// Scales a tally into the record's 16-bit fields keeping the score rate.
BookCandidate toCandidate(std::uint16_t move, std::uint64_t games, std::uint64_t halfPoints) {
    constexpr std::uint64_t Limit = 65535;
    if (games > Limit) {
        halfPoints = halfPoints * Limit / games;
        games = Limit;
    }
    return {static_cast<std::uint16_t>(games), static_cast<std::uint16_t>(std::min(halfPoints, Limit)), move};
}

}  // namespace

std::string exclusionEntry(const std::string& key, std::uint16_t move) {
    return key + '\t' + board::writeCoordinate(move);
}

int BookBuilder::addGame(const PgnGame& game, std::string& error) {
    if (!game.error.empty()) {
        error = game.error;
        return GameRejected;
    }
    if (game.result == "*") return GameUnfinished;
    const std::string fen = tagValue(game, "FEN");
    if (fen.empty()) {
        board::resetGameToStart(board_);
        board::listLegalMoves(board_);
    } else if (!board::accepted(board::setupFromFen(board_, fen))) {
        error = "bad FEN tag \"" + fen + "\"";
        return GameRejected;
    }
    const int whitePoints = whiteHalfPoints(game.result);
    struct Seen {
        std::string key;
        std::uint16_t move;
        int halfPoints;
    };
    std::vector<Seen> seen;
    const auto plies = std::min<std::size_t>(game.moves.size(), static_cast<std::size_t>(options_.maxPly));
    for (std::size_t i = 0; i < plies; ++i) {
        board::Position position = board_.scratch;
        board::loadScratch(board_, position);
        const board::Move move =
            board::parseSan(withPromotionSign(game.moves[i]), board_.sideToMove, board_.legalMoves.data(), position);
        const int mover = board_.sideToMove;
        std::string key = board::writeFen(board_);
        const int played = move == board::NoMove ? board::ResultNoSuchMove : board::playGameMove(board_, move);
        if (played < 0 || played == board::ResultNeedsPromotion) {
            error =
                "illegal move " + std::to_string(i / 2 + 1) + (mover == board::White ? ". " : "... ") + game.moves[i];
            return GameRejected;
        }
        seen.push_back({std::move(key), static_cast<std::uint16_t>(move & 0x7FFF),
                        mover == board::White ? whitePoints : 2 - whitePoints});
    }
    for (const Seen& entry : seen) {
        if (entry.key.size() > static_cast<std::size_t>(BookKeyMaxLength)) {
            ++longKeys_;
            continue;
        }
        if (!options_.excluded.empty() && options_.excluded.contains(exclusionEntry(entry.key, entry.move))) continue;
        auto& moves = tallies_[entry.key];
        auto tally =
            std::find_if(moves.begin(), moves.end(), [&entry](const Tally& t) { return t.move == entry.move; });
        if (tally == moves.end()) tally = moves.insert(moves.end(), Tally{entry.move, 0, 0});
        tally->games += 1;
        tally->halfPoints += static_cast<std::uint64_t>(entry.halfPoints);
    }
    return GameCounted;
}

std::vector<BookRecord> BookBuilder::records() const {
    struct Ranked {
        std::uint64_t games;
        BookRecord record;
    };
    std::vector<Ranked> ranked;
    for (const auto& [key, moves] : tallies_) {
        std::vector<Tally> kept;
        for (const Tally& t : moves)
            if (t.games >= static_cast<std::uint64_t>(options_.minGames)) kept.push_back(t);
        if (kept.empty()) continue;
        std::sort(kept.begin(), kept.end(), [](const Tally& a, const Tally& b) {
            if (a.games != b.games) return a.games > b.games;
            if (a.halfPoints != b.halfPoints) return a.halfPoints > b.halfPoints;
            return a.move < b.move;
        });
        if (kept.size() > static_cast<std::size_t>(BookCandidateCount)) kept.resize(BookCandidateCount);
        Ranked entry{0, {key, {}}};
        for (std::size_t i = 0; i < kept.size(); ++i) {
            entry.games += kept[i].games;
            entry.record.candidates[i] = toCandidate(kept[i].move, kept[i].games, kept[i].halfPoints);
        }
        ranked.push_back(std::move(entry));
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.games != b.games) return a.games > b.games;
        return a.record.key < b.record.key;
    });
    std::vector<BookRecord> result;
    result.reserve(ranked.size());
    for (auto& entry : ranked) result.push_back(std::move(entry.record));
    return result;
}

bool writeBookFile(const std::string& path, const std::vector<BookRecord>& records, std::string& error) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(records.size() * BookRecordSize);
    for (const BookRecord& record : records) {
        const BookRecordBytes encoded = encodeBookRecord(record);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    return files::writeFileAtomically(path, bytes, error);
}

}  // namespace halberd::book
