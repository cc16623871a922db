// Whole command sessions through the command loop, in-process: the input is
// the text a GUI or a person could type, in either dialect, with searches
// started and stopped by the commands that follow them. Each session begins
// from a fresh game and default settings and ends as end of input does.
// Commands that resize the hash tables are left out: a request for gigabytes
// is honoured and would only spend the fuzzer's time clearing memory. Every
// search is cut at a few thousand nodes and the sessions use one to four
// search threads, so that thousands of sessions run in a short fuzzing try.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "board/gameboard.h"
#include "board/makemove.h"
#include "frontend/clock.h"
#include "frontend/commandloop.h"
#include "frontend/enginebook.h"
#include "frontend/inputline.h"
#include "frontend/memory.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/thinking.h"
#include "fuzzcheck.h"
#include "search/timecontrol.h"

namespace hb = halberd::board;
namespace hf = halberd::frontend;
using halberd::fuzz::require;

namespace {

constexpr std::uint64_t SearchNodeCeiling = 4000;
constexpr int MaxSessionThreads = 4;

// Lines left out of a session: table resizes, and thread counts beyond four.
bool tooCostly(const std::string& line) {
    const std::string upper = hf::toUpperAscii(line);
    if (upper.find("MEMORY") != std::string::npos || upper.find("HASH") != std::string::npos) return true;
    if (upper.find("THREADS") == std::string::npos && upper.find("CORES") == std::string::npos) return false;
    const auto digits = upper.find_first_of("0123456789");
    return digits == std::string::npos || upper.size() - digits > 1 || upper[digits] - '0' > MaxSessionThreads;
}

void freshSession() {
    hf::stopThinking();
    hb::GameBoard& game = hf::theGame();
    game = hb::GameBoard{};
    hb::resetGameToStart(game);
    hb::listLegalMoves(game);
    hf::timeControl() = hf::TimeControl{};
    hf::commandLineSearch() = hf::GoRequest{};
    hf::analyzeMode.store(0);
    hf::uciMode.store(0);
    hf::postMode.store(0);
    hf::Settings& settings = hf::settings();
    settings.tbPath.clear();
    settings.optUseBook.store(1);
    settings.optResign.store(1);
    settings.optPonder.store(0);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The replies are not read; the fuzzer reports on standard error.
    const int null = open("/dev/null", O_WRONLY);
    require(null >= 0 && dup2(null, STDOUT_FILENO) >= 0, "cannot silence standard output");
    close(null);
    hb::listLegalMoves(hf::theGame());
    require(hf::allocateHashTables(hf::hashBytesForExponent(0)), "cannot allocate the hash tables");
    hf::setSearchNodeCeiling(SearchNodeCeiling);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    freshSession();
    if (size > 0) hf::setSearchThreads(1 + data[0] % MaxSessionThreads);
    std::istringstream raw(std::string(reinterpret_cast<const char*>(data), size));
    std::string session;
    std::string line;
    while (hf::readBoundedLine(raw, line) != hf::LineRead::End)
        if (!tooCostly(line)) session += line + '\n';
    std::istringstream text(session);
    hf::LineReader input(text);
    require(hf::runCommandLoop(input, hf::theGame()) == 0, "a session ended with a status other than 0");
    require(hf::thinking.load() == 0, "a search outlived its session");
    return 0;
}
