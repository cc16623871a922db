#include "frontend/perftcommand.h"

#include <cstdio>

#include "board/fen.h"
#include "board/makemove.h"
#include "frontend/positionproblem.h"
#include "frontend/textnumber.h"

namespace halberd::frontend {

namespace {

constexpr char Usage[] = "usage: halberd perft DEPTH [FEN] [--slow] [--960]\n";

}  // namespace

std::optional<PerftRequest> parsePerftArguments(std::span<const std::string_view> arguments) {
    if (arguments.empty()) return std::nullopt;
    PerftRequest request;
    const auto depth = wholeNumber(arguments[0], 1, MaxPerftDepth);
    if (!depth) return std::nullopt;
    request.depth = *depth;
    for (const std::string_view word : arguments.subspan(1)) {
        if (word == "--slow") {
            request.mode = board::PerftMode::CopyMake;
            continue;
        }
        if (word == "--960") {
            request.chess960 = true;
            continue;
        }
        if (word.starts_with("--")) return std::nullopt;
        if (!request.fen.empty()) request.fen += ' ';
        request.fen += word;
    }
    return request;
}

int runPerftWord(board::GameBoard& game, std::span<const std::string_view> arguments) {
    const auto request = parsePerftArguments(arguments);
    if (!request) {
        std::fputs(Usage, stderr);
        return 2;
    }
    game.chess960 = request->chess960;
    if (!request->fen.empty()) {
        const board::SetupStatus result = board::setupFromFen(game, request->fen);
        if (!board::accepted(result)) {
            std::fprintf(stderr, "%s\n", illegalPositionText(result, request->fen).c_str());
            std::fputs(Usage, stderr);
            return 2;
        }
    } else {
        board::listLegalMoves(game);
    }
    board::perftDivide(game, request->depth, request->mode, stdout);
    std::fflush(stdout);
    return 0;
}

}  // namespace halberd::frontend
