// PGN text of any content through the reader and the book builder: every game
// read is counted, left unfinished or refused with a reason, and the records
// built survive their 100-byte encoding.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "book/bookbuilder.h"
#include "book/bookchoice.h"
#include "book/pgnreader.h"
#include "fuzzcheck.h"

namespace hk = halberd::book;
using halberd::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    hk::PgnReader reader(in);
    hk::BookBuilder builder(hk::BookBuildOptions{});
    hk::PgnGame game;
    int games = 0;
    while (reader.next(game)) {
        require(++games <= static_cast<int>(size), "more games than bytes");
        require(game.moves.size() <= hk::MaxPgnMoves && game.tags.size() <= hk::MaxPgnTags, "unbounded game");
        std::string error;
        const int verdict = builder.addGame(game, error);
        require(verdict != hk::GameRejected || !error.empty(), "a game refused without a reason");
    }
    for (const hk::BookRecord& record : builder.records()) {
        const hk::BookRecord decoded = hk::decodeBookRecord(hk::encodeBookRecord(record));
        require(decoded.key == record.key, "a key does not survive the record");
        for (std::size_t i = 0; i < record.candidates.size(); ++i)
            require(decoded.candidates[i].move == record.candidates[i].move &&
                        decoded.candidates[i].games == record.candidates[i].games &&
                        decoded.candidates[i].score == record.candidates[i].score,
                    "a candidate does not survive the record");
        require(hk::totalSlots(decoded) <= hk::BookCandidateCount * hk::MaxCandidateSlots, "too many slots");
    }
    return 0;
}
