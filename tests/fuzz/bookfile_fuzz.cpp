// Book files of any content: every record's key is found again by the scan,
// the weighted choice never leaves the record's candidates, and a probe from
// the position a key describes answers with one of that position's legal moves.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "book/bookchoice.h"
#include "book/bookfile.h"
#include "book/bookprobe.h"
#include "book/bookrecord.h"
#include "fuzzcheck.h"

namespace hb = halberd::board;
namespace hk = halberd::book;
using halberd::fuzz::require;

namespace {

bool isCandidateMove(const hk::BookRecord& record, std::uint16_t move) {
    for (int i = 0; i < hk::candidateCount(record); ++i)
        if (record.candidates[static_cast<std::size_t>(i)].move == move) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/halberd-fuzz-book-" + std::to_string(getpid()) + ".bo2";
    {
        hk::BookFile out(std::fopen(path.c_str(), "wb"));
        require(out != nullptr, "cannot write the scratch book");
        std::fwrite(data, 1, size, out.get());
    }
    const hk::BookPaths paths{path, path, {}};
    const hk::BookFile file = hk::openBookFile(paths);
    require(file != nullptr, "cannot read the scratch book");
    for (std::size_t at = 0; at + hk::BookRecordSize <= size; at += hk::BookRecordSize) {
        hk::BookRecordBytes bytes;
        std::copy(data + at, data + at + hk::BookRecordSize, bytes.begin());
        const hk::BookRecord record = hk::decodeBookRecord(bytes);
        // A key field without its zero byte is damaged: its key cannot be asked for.
        require(record.key.size() <= static_cast<std::size_t>(hk::BookKeyField), "a key longer than its field");
        const int slots = hk::totalSlots(record);
        require(slots >= 0 && slots <= hk::BookCandidateCount * hk::MaxCandidateSlots, "too many slots");
        const std::uint16_t chosen = hk::bookChoose(record);
        require(hk::candidateCount(record) == 0 ? chosen == 0 : isCandidateMove(record, chosen),
                "the choice is no candidate of the record");

        if (record.key.size() > static_cast<std::size_t>(hk::BookKeyMaxLength)) continue;
        hk::BookRecordBytes found;
        require(hk::bookFind(file.get(), record.key, found) == 1, "a record's key is not found by the scan");
        require(hk::recordKey(found) == record.key, "the scan found another key");

        hb::GameBoard game;
        hb::resetGameToStart(game);
        hb::listLegalMoves(game);
        if (hb::setupFromFen(game, record.key) != 0 || game.gameResult != 0) continue;
        hb::MoveList root = game.legalMoves;
        const hb::MoveList legal = game.legalMoves;
        if (hk::bookRootMove(root.data(), game, paths) == 0) continue;
        bool listed = false;
        for (const hb::Move* m = legal.data(); *m != 0; ++m) listed = listed || *m == root[0];
        require(listed, "the book move is not a legal move of the position");
    }
    return 0;
}
