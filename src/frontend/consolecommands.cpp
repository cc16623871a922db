#include "frontend/consolecommands.h"

#include <cctype>
#include <mutex>

#include "board/fen.h"
#include "board/gameboard.h"
#include "frontend/state.h"

namespace halberd::frontend {

namespace {

constexpr const char* CommandHelp =
    "e2e4, Nf3, O-O play a move, in coordinates or SAN (the engine answers unless in force mode)\n"
    "go             the engine plays the side to move\n"
    "force          the engine stops answering moves\n"
    "?              move now\n"
    "undo, remove   take back one half-move, two half-moves\n"
    "new            a new game, the engine plays Black\n"
    "new 960 [N]    a new Chess960 game from start position N (0-959), else a random one\n"
    "variant V      fischerandom (Chess960: castling as O-O, O-O-O) or normal\n"
    "level M B I    M moves in B minutes (M 0: the whole game), I seconds added per move;\n"
    "               B is the engine's clock until a time command gives it\n"
    "time N, otim N the engine's and the opponent's clock in centiseconds\n"
    "st N, sd N     N seconds per move, N plies deep at most\n"
    "analyze, exit  analyse until exit; '.' shows the search's progress\n"
    "post, nopost   show or hide the thinking lines\n"
    "hard, easy     think on the opponent's time or not\n"
    "hint, bk       a move for you; the book's moves for this position\n"
    "setboard FEN   set up a position; edit sets one up piece by piece\n"
    "print, d       the board (engine's letters; with coordinates and FEN)\n"
    "memory N       hash tables of N MB; cores N: N search threads\n"
    "egtpath nalimov DIR  one more endgame tablebase directory\n"
    "uci            switch to the UCI protocol\n"
    "quit           leave\n";

constexpr const char* Frame = "  +---+---+---+---+---+---+---+---+\n";

}  // namespace

std::string standardFen(const board::GameBoard& game) {
    std::string fen = board::writeFen(game);
    if (const auto space = fen.find(' '); space != std::string::npos && space > 0 && fen[space - 1] == '/')
        fen.erase(space - 1, 1);
    return fen + " " + std::to_string(game.scratch.halfmoveClock) + " " + std::to_string((game.plyCounter + 1) / 2 + 1);
}

std::string boardWithCoordinates(const std::string& fen) {
    std::string out = Frame;
    std::size_t pos = 0;
    for (int rank = 8; rank >= 1; --rank) {
        out += std::to_string(rank) + " |";
        int file = 0;
        for (; pos < fen.size() && fen[pos] != '/' && fen[pos] != ' '; ++pos) {
            const char c = fen[pos];
            if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
                for (int n = c - '0'; n > 0 && file < 8; --n, ++file) out += "   |";
            } else if (file < 8) {
                out += std::string(" ") + c + " |";
                ++file;
            }
        }
        for (; file < 8; ++file) out += "   |";
        if (pos < fen.size() && fen[pos] == '/') ++pos;
        out += "\n";
        out += Frame;
    }
    out += "    a   b   c   d   e   f   g   h\n";
    const std::size_t side = fen.find(' ');
    const bool black = side != std::string::npos && side + 1 < fen.size() && fen[side + 1] == 'b';
    out += std::string("Side to move: ") + (black ? "Black" : "White") + "\n";
    out += "FEN: " + fen + "\n";
    return out;
}

Next consoleHelp(LoopState&) {
    writeReply(CommandHelp);
    return Next::ReadLine;
}

Next consoleBoard(LoopState& state) {
    const std::lock_guard<std::mutex> guard(boardLock());
    writeReply(boardWithCoordinates(standardFen(state.game)));
    return Next::ReadLine;
}

}  // namespace halberd::frontend
