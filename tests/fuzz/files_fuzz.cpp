// The configuration file, game files and position files, any content: the
// first byte picks the reader, the rest is the file. Settings stay within
// their ranges, and a loaded game or position is one the engine can go on
// with: its move list is the one its position has, and its FEN sets it up again.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "board/board_helpers.h"
#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "frontend/config.h"
#include "frontend/gamelog.h"
#include "frontend/inputline.h"
#include "frontend/settings.h"
#include "fuzzcheck.h"

namespace hb = halberd::board;
namespace hf = halberd::frontend;
using halberd::fuzz::require;
using halberd::testing::snapshotOf;

namespace {

void checkGame(const hb::GameBoard& game) {
    if (game.gameResult != 0) return;
    hb::GameBoard listed = game;
    hb::gotoPly(listed, listed.plyCounter + 1);
    require(snapshotOf(listed).legalMoves == snapshotOf(game).legalMoves, "the game's move list is not its position's");
    hb::GameBoard again;
    hb::resetGameToStart(again);
    require(hb::setupFromFen(again, hb::writeFen(game)) >= 0, "the loaded position cannot be set up again");
    require(hb::writeFen(again) == hb::writeFen(game), "the loaded position reads back differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::istringstream text(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    switch (data[0] % 3) {
        case 0: {
            hf::Settings settings;
            settings.tbPath = "/opt/halberd";
            hf::FileLines lines(text, "halberd.cfg");
            std::string line;
            while (lines.next(line)) hf::applyConfigLine(settings, line);
            require(settings.tbPath.size() <= hf::PathCapacity, "the tablebase list outgrew its capacity");
            require(settings.tbCacheBytes > 0, "a tablebase cache of no size");
            require(settings.optUseBook.load() == 0 || settings.optUseBook.load() == 1, "a book flag not 0 or 1");
            require(settings.logEnabled == 0 || settings.logEnabled == 1, "a log flag not 0 or 1");
            break;
        }
        case 1: {
            hb::GameBoard game;
            hb::resetGameToStart(game);
            hb::listLegalMoves(game);
            hf::loadGame(game, text, "game file");
            checkGame(game);
            break;
        }
        default: {
            hb::GameBoard game;
            hb::resetGameToStart(game);
            hb::listLegalMoves(game);
            if (hf::loadPosition(game, text, "position file") == 0) checkGame(game);
            break;
        }
    }
    return 0;
}
