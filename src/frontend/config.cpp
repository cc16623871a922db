#include "frontend/config.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "board/notation.h"
#include "frontend/editmode.h"
#include "frontend/gamelog.h"
#include "frontend/inputline.h"
#include "frontend/memory.h"
#include "frontend/positionproblem.h"
#include "frontend/state.h"
#include "frontend/tablebases.h"
#include "frontend/textnumber.h"
#include "frontend/thinking.h"
#include "search/threads.h"
#include "search/transposition.h"

namespace halberd::frontend {

namespace {

constexpr std::size_t PositionLineLimit = 63;
constexpr std::int64_t MillisPerSecond = 1000;
constexpr std::int64_t MaxSeconds = 1 << 26;
// Far beyond any table size; keeps "-h" from overflowing.
constexpr std::int64_t MaxHashExponent = 64;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int flagOf(std::string_view value) { return leadingInteger(value) != 0 ? 1 : 0; }

void setTablebaseLine(Settings& settings, std::string_view value) {
    while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
    while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.remove_suffix(1);
    appendTablebaseDirectory(settings.tbPath, value);
}

// A start-up value outside what the engine can use is held to it, and said
// on standard error.
void tellStartupNote(const std::string& note) {
    if (!note.empty()) std::fprintf(stderr, "%s\n", note.c_str());
}

int threadsSaying(std::string_view name, std::int64_t threads) {
    tellStartupNote(outOfRangeNote(name, threads, 1, search::MaxThreads));
    return static_cast<int>(std::clamp<std::int64_t>(threads, 1, search::MaxThreads));
}

// The exponent gives 2^(exponent + shift) bytes, at least the smallest table
// (the default exponent 0 asks for that); beyond the largest table it gives
// that table, and the note says so.
int hashExponentSaying(std::string_view name, std::int64_t exponent, int shift) {
    const int largest = std::bit_width(static_cast<std::uint64_t>(search::TTMaxBytes)) - 1 - shift;
    if (exponent > largest)
        tellStartupNote(std::string(name) + std::to_string(exponent) + " asks for more than the largest hash table; " +
                        std::to_string(search::TTMaxBytes >> 20) + " MB is used");
    return static_cast<int>(std::clamp<std::int64_t>(exponent, -MaxHashExponent, largest));
}

struct ConfigKey {
    std::string_view key;
    void (*apply)(Settings&, std::string_view value);
};

constexpr std::array<ConfigKey, 8> ConfigKeys = {{
    {"HASHTABLE",
     [](Settings& s, std::string_view v) {
         if (const int n = leadingInteger(v); n > 0) s.hashExponent = hashExponentSaying("HASHTABLE=", n, 4);
     }},
    {"TABLEBASE", setTablebaseLine},
    {"THREADS", [](Settings& s, std::string_view v) { s.threads = threadsSaying("THREADS=", leadingInteger64(v)); }},
    {"NULLEVAL", [](Settings&, std::string_view) {}},
    {"TB_CACHE_SIZE", [](Settings& s, std::string_view v) { setTablebaseCacheMegabytes(s, leadingInteger(v)); }},
    {"USE_BOOK", [](Settings& s, std::string_view v) { s.optUseBook.store(flagOf(v)); }},
    {"RESIGN", [](Settings& s, std::string_view v) { s.optResign.store(flagOf(v)); }},
    {"LOGFILE", [](Settings& s, std::string_view v) { s.logEnabled = flagOf(v); }},
}};

// French piece letters of the position file and the edit letters they stand for.
constexpr std::string_view FileLetters = "rdtfcp";
constexpr std::string_view EditLetters = "KQRBNP";

void applyTimeOption(std::string_view value) {
    const std::int64_t seconds = leadingInteger64(value);
    if (seconds < 1) {
        std::fputs("temps??\n", stdout);
        std::fflush(stdout);
        return;
    }
    const std::int64_t millis = std::min(seconds, MaxSeconds) * MillisPerSecond;
    commandLineSearch().budget = {millis, millis, NoDepthLimit};
}

// The search threads and the tables the settings ask for.
bool makeSearchResources(const Settings& current) {
    search::setThreadCount(current.threads);
    return allocateHashTables(hashBytesForExponent(current.hashExponent));
}

// "fichier??" with the file and what is wrong with it.
void reportUnreadableFile(std::string_view path, std::string_view cause) {
    const std::string line = "fichier?? " + std::string(path) + ": " + std::string(cause) + "\n";
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

// Why the file cannot be read (the system's words), or empty when it can.
std::string unreadableCause(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return std::strerror(EISDIR);
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return std::strerror(errno);
    std::fclose(file);
    return {};
}

// What a failed game file load means, by the result loadGameFile gave.
std::string gameFileFault(int result) {
    switch (result) {
        case GameFileRejected: return "a FEN line is not a legal position";
        case GameFileNotGame: return "not a game file (moves in coordinate notation, such as e2e4, expected)";
        default: return "an illegal move";
    }
}

void reportUnknownOption(std::string_view argument) {
    std::string usage = UsageLine;
    usage.insert(usage.size() - 1, " -- unknown option " + std::string(argument));
    std::fputs(usage.c_str(), stderr);
}

}  // namespace

void applyConfigLine(Settings& settings, std::string_view line) {
    if (line.size() > ConfigLineLimit) line = line.substr(0, ConfigLineLimit);
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    if (line.starts_with(';')) return;
    const auto equals = line.find('=');
    for (const ConfigKey& key : ConfigKeys) {
        if (!startsWithAnyCase(line, key.key)) continue;
        if (equals != std::string_view::npos) key.apply(settings, line.substr(equals + 1));
        return;
    }
}

void readConfigFile(Settings& settings, std::string_view directory) {
    if (!directory.empty()) settings.tbPath = std::string(directory.substr(0, directory.size() - 1));
    std::string path = std::string(directory) + std::string(ConfigFileName);
    std::ifstream file(path);
    if (!file && !directory.empty()) {
        path = std::string(directory) + std::string(InstalledDataFromProgram) + std::string(ConfigFileName);
        file.open(path);
    }
    if (!file) return;
    FileLines lines(file, path);
    std::string line;
    while (lines.next(line)) applyConfigLine(settings, line);
}

int loadPositionFile(board::GameBoard& game, const std::string& path) {
    std::ifstream file(path);
    if (!file) return -1;
    return loadPosition(game, file, path);
}

int loadPosition(board::GameBoard& game, std::istream& file, const std::string& name) {
    EditSession session(game);
    session.clear();
    board::Colour colour = board::White;
    board::Colour lastSelected = board::White;
    FileLines lines(file, name);
    std::string line;
    while (lines.next(line)) {
        if (line.size() > PositionLineLimit) line.resize(PositionLineLimit);
        for (char& c : line) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (line.empty()) continue;
        if (line[0] == 'b' || line[0] == 'n') {
            colour = lastSelected = line[0] == 'b' ? board::White : board::Black;
            session.setColour(colour);
            continue;
        }
        const auto piece = FileLetters.find(line[0]);
        if (piece == std::string_view::npos) continue;
        const int square = line.size() < 3 ? -1 : board::parseSquare(line[1], line[2]);
        if (square < 0 || !session.place(EditLetters[piece], square)) return -1;
    }
    return session.finish(game, board::opponent(lastSelected));
}

Startup readCommandLine(std::span<const std::string_view> arguments, board::GameBoard& game) {
    Settings& current = settings();
    readConfigFile(current, executableDirectory());
    bool analysis = false;
    bool allocated = false;
    for (const std::string_view argument : arguments) {
        if (argument.size() < 2 || argument[0] != '-') {
            reportUnknownOption(argument);
            return Startup::Usage;
        }
        const std::string_view value = argument.substr(2);
        switch (argument[1]) {
            case 'h': current.hashExponent = hashExponentSaying("-h", leadingInteger64(value), 3) - 1; break;
            case 'c': current.threads = threadsSaying("-c", leadingInteger64(value)); break;
            case 't': applyTimeOption(value); break;
            case 'p':
                if (const std::string cause = unreadableCause(std::string(value)); !cause.empty()) {
                    reportUnreadableFile(value, cause);
                    return Startup::Failed;
                }
                if (const int result = loadPositionFile(game, std::string(value)); result != 0) {
                    reportUnreadableFile(value, result == -1 ? "a man cannot be placed on the square its line names"
                                                             : illegalPositionReason(result));
                    return Startup::Failed;
                }
                analysis = true;
                break;
            case 'd': current.tbPath = std::string(value.substr(0, std::min(value.size(), PathCapacity))); break;
            case 'f':
                if (!makeSearchResources(current)) return Startup::Failed;
                allocated = true;
                if (const std::string cause = unreadableCause(std::string(value)); !cause.empty()) {
                    reportUnreadableFile(value, cause);
                    return Startup::Failed;
                }
                if (const int result = loadGameFile(game, std::string(value)); result < 0) {
                    reportUnreadableFile(value, gameFileFault(result));
                    return Startup::Failed;
                }
                analysis = true;
                break;
            default: reportUnknownOption(argument); return Startup::Usage;
        }
    }
    if (!allocated && !makeSearchResources(current)) return Startup::Failed;
    return analysis ? Startup::Analysis : Startup::CommandLoop;
}

int runCommandLineAnalysis(board::GameBoard& game) {
    startTablebases();
    postMode.store(1);
    // An analysis, which the book does not answer.
    commandLineSearch().book = false;
    const std::shared_ptr<search::Session> session = makeSession(game, commandLineSearch());
    runRootSearch(game, commandLineSearch(), *session);
    std::fflush(stdout);
    return 0;
}

}  // namespace halberd::frontend
