#include "frontend/settingcommands.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>

#include "frontend/inputline.h"
#include "frontend/memory.h"
#include "frontend/settings.h"
#include "frontend/state.h"
#include "frontend/tablebases.h"
#include "frontend/textnumber.h"
#include "frontend/thinking.h"
#include "search/threads.h"
#include "search/transposition.h"

namespace halberd::frontend {

namespace {

constexpr std::size_t MemoryArguments = 6;  // after "MEMORY"
constexpr std::size_t CoresArguments = 5;   // after "CORES"
// Beyond the largest table; keeps the byte count from overflowing.
constexpr std::int64_t MaxMegabytes = std::int64_t{1} << 30;

bool isWhiteSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// The flag "NAME=number" anywhere in the line gives, or nothing when the name is not there.
std::optional<bool> flagIn(std::string_view line, std::string_view name) {
    const auto at = line.find(name);
    if (at == std::string_view::npos) return std::nullopt;
    return leadingInteger(line.substr(at + name.size())) != 0;
}

std::string_view withoutLastMark(std::string_view directory) {
    if (!directory.empty() && std::isalnum(static_cast<unsigned char>(directory.back())) == 0)
        directory.remove_suffix(1);
    return directory;
}

}  // namespace

bool addTablebaseDirectory(std::string_view directory) {
    if (!appendTablebaseDirectory(settings().tbPath, withoutLastMark(directory))) return false;
    startTablebases();
    tellTableCount();
    return true;
}

bool setOptionDirectories(std::string_view directories) {
    if (!replaceOptionDirectories(settings(), withoutLastMark(directories))) return false;
    startTablebases();
    tellTableCount();
    return true;
}

Next xboardMemory(LoopState& state) {
    const auto value = integerText(std::string_view(state.line).substr(MemoryArguments));
    if (!value) {
        reportBadValue(state);
        return Next::ReadLine;
    }
    // The tables take 4 MB to 2 GB; a size outside is held to them, and said.
    if (const std::string note =
            outOfRangeNote("memory", *value, search::TTMinBytes >> 20, search::TTMaxBytes >> 20);
        !note.empty())
        writeReply("# " + note + "\n");
    stopThinking();
    const std::int64_t megabytes = std::clamp<std::int64_t>(*value, 0, MaxMegabytes);
    settings().tbCacheBytes = tablebaseCacheForMemory(static_cast<int>(megabytes));
    if (const std::string fallBack = resizeHashTablesSaying(megabytes); !fallBack.empty())
        writeReply("telluser " + fallBack + "\n");
    return Next::ReadLine;
}

Next xboardCores(LoopState& state) {
    const auto cores = integerText(std::string_view(state.line).substr(CoresArguments));
    if (!cores) {
        reportBadValue(state);
        return Next::ReadLine;
    }
    if (const std::string note = outOfRangeNote("cores", *cores, 1, search::MaxThreads); !note.empty())
        writeReply("# " + note + "\n");
    stopThinking();
    setSearchThreads(static_cast<int>(std::clamp<std::int64_t>(*cores, 1, search::MaxThreads)));
    return Next::ReadLine;
}

Next xboardEgtpath(LoopState& state) {
    const std::string_view line = state.line;
    const auto first = std::find_if(line.begin(), line.end(), isWhiteSpace);
    if (first == line.end()) return Next::ReadLine;
    const auto second = std::find_if(first + 1, line.end(), isWhiteSpace);
    if (second == line.end()) return Next::ReadLine;
    const std::string_view kind(first + 1, second);
    if (kind.size() < 7 || !startsWithAnyCase(kind, "NALIMOV")) return Next::ReadLine;
    stopThinking();
    addTablebaseDirectory(std::string_view(second + 1, line.end()));
    return Next::ReadLine;
}

Next xboardOption(LoopState& state) {
    if (const auto on = flagIn(state.line, "USE BOOK=")) settings().optUseBook.store(*on ? 1 : 0);
    if (const auto on = flagIn(state.line, "RESIGN=")) settings().optResign.store(*on ? 1 : 0);
    if (const auto on = flagIn(state.line, "PONDER=")) setPonderSwitch(*on);
    if (const auto at = state.line.find("MULTIPV="); at != std::string::npos) {
        if (const auto count = integerTextWithin(std::string_view(state.line).substr(at + 8), 1, MaxMultiPv))
            settings().multiPv.store(static_cast<int>(*count));
        else
            reportBadValue(state);
    }
    return Next::ReadLine;
}

}  // namespace halberd::frontend
