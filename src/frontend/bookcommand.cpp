#include "frontend/bookcommand.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "board/fen.h"
#include "board/gameboard.h"
#include "board/makemove.h"
#include "board/notation.h"
#include "book/bookbuilder.h"
#include "book/bookchoice.h"
#include "book/bookfile.h"
#include "book/bookprobe.h"
#include "book/pgnreader.h"
#include "frontend/enginebook.h"

namespace halberd::frontend {

namespace {

using namespace book;

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

int usage() {
    std::fputs(
        "usage: halberd book make GAMES.pgn... -o BOOK.bo2 [--max-ply N] [--min-games K] [--exclude FILE]\n"
        "       halberd book show [-b BOOK.bo2] FEN|startpos\n"
        "       halberd book dump [-b BOOK.bo2]\n"
        "  make  replays the games and keeps, for every position of their first N half-moves\n"
        "        (default 30), the five moves played most often; moves played fewer than K\n"
        "        times (default 1) are left out, and so are the moves FILE lists in the\n"
        "        form dump prints (KEY, tab, move)\n"
        "  show  prints the book record of a position and the chance of each move\n"
        "  dump  prints every move of the book: KEY, tab, move, tab, games, tab, score\n",
        stderr);
    return ExitUsage;
}

bool parseCount(std::string_view text, int low, int& value) {
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    return failure == std::errc() && end == text.data() + text.size() && value >= low;
}

// Lines "KEY<tab>MOVE[<tab>...]"; what follows the move is ignored.
bool readExclusions(const std::string& path, std::unordered_set<std::string>& excluded) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "book: cannot read %s; no book written\n", path.c_str());
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        excluded.insert(line.substr(0, line.find('\t', tab + 1)));
    }
    return true;
}

int makeBook(const std::vector<std::string_view>& args) {
    std::vector<std::string> inputs;
    std::string output;
    BookBuildOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "-o" && hasValue) {
            output = args[++i];
        } else if (arg == "--max-ply" && hasValue) {
            if (!parseCount(args[++i], 1, options.maxPly)) return usage();
        } else if (arg == "--min-games" && hasValue) {
            if (!parseCount(args[++i], 1, options.minGames)) return usage();
        } else if (arg == "--exclude" && hasValue) {
            if (!readExclusions(std::string(args[++i]), options.excluded)) return ExitFailed;
        } else if (arg.starts_with("-")) {
            return usage();
        } else {
            inputs.emplace_back(arg);
        }
    }
    if (inputs.empty() || output.empty()) return usage();

    BookBuilder builder(options);
    int counted = 0, unfinished = 0, rejected = 0;
    for (const std::string& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "book: cannot read %s; no book written\n", input.c_str());
            return ExitFailed;
        }
        PgnReader reader(in);
        PgnGame game;
        while (reader.next(game)) {
            std::string error;
            const int verdict = builder.addGame(game, error);
            if (verdict == GameCounted) {
                ++counted;
            } else if (verdict == GameUnfinished) {
                ++unfinished;
            } else {
                ++rejected;
                std::fprintf(stderr, "book: %s: skipped %s: %s\n", input.c_str(), describeGame(game).c_str(),
                             error.c_str());
            }
        }
        if (in.bad()) {
            std::fprintf(stderr, "book: error reading %s; no book written\n", input.c_str());
            return ExitFailed;
        }
    }
    if (counted == 0) {
        std::fputs("book: no usable game; no book written\n", stderr);
        return ExitFailed;
    }
    const std::vector<BookRecord> records = builder.records();
    std::string error;
    if (!writeBookFile(output, records, error)) {
        std::fprintf(stderr, "book: %s\n", error.c_str());
        return ExitFailed;
    }
    std::printf("%d games used, %d unfinished, %d skipped; %zu positions written to %s\n", counted, unfinished,
                rejected, records.size(), output.c_str());
    if (builder.longKeysSkipped() > 0)
        std::printf("%d positions left out: key longer than %d characters\n", builder.longKeysSkipped(),
                    BookKeyMaxLength);
    return ExitDone;
}

BookPaths pathsFromArguments(const std::vector<std::string_view>& args, std::vector<std::string_view>& rest) {
    BookPaths paths = defaultBookPaths();
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-b" && i + 1 < args.size()) {
            const std::string book(args[++i]);
            paths = {book, {}, {}};
        } else {
            rest.push_back(args[i]);
        }
    }
    return paths;
}

BookFile openOrComplain(const BookPaths& paths) {
    BookFile file = openBookFile(paths);
    if (!file)
        std::fprintf(stderr, "book: no book file (looked for %s%s%s)\n", paths.main.c_str(),
                     paths.fallback.empty() ? "" : ", ", paths.fallback.c_str());
    return file;
}

int dumpBook(const std::vector<std::string_view>& args) {
    std::vector<std::string_view> rest;
    const BookPaths paths = pathsFromArguments(args, rest);
    if (!rest.empty()) return usage();
    const BookFile file = openOrComplain(paths);
    if (!file) return ExitFailed;
    BookRecordBytes bytes;
    while (std::fread(bytes.data(), 1, bytes.size(), file.get()) == bytes.size()) {
        const BookRecord record = decodeBookRecord(bytes);
        for (int i = 0, n = candidateCount(record); i < n; ++i) {
            const BookCandidate& c = record.candidates[i];
            std::printf("%s\t%s\t%u\t%u\n", record.key.c_str(), board::writeCoordinate(c.move).c_str(), c.games,
                        c.score);
        }
    }
    return ExitDone;
}

int showPosition(const std::vector<std::string_view>& args) {
    std::vector<std::string_view> rest;
    const BookPaths paths = pathsFromArguments(args, rest);
    std::string fen;
    for (const std::string_view word : rest) {
        if (!fen.empty()) fen += ' ';
        fen += word;
    }
    if (fen.empty()) return usage();

    board::GameBoard game;
    board::resetGameToStart(game);
    board::listLegalMoves(game);
    if (fen != "startpos") {
        if (board::rejected(board::setupFromFen(game, fen))) {
            std::fprintf(stderr, "book: not a position: %s\n", fen.c_str());
            return ExitFailed;
        }
    }
    const BookFile file = openOrComplain(paths);
    if (!file) return ExitFailed;
    const std::string key = board::writeFen(game);
    std::printf("key: %s\n", key.c_str());
    BookRecordBytes bytes;
    if (!bookFind(file.get(), key, bytes)) {
        std::puts("not in book");
        return ExitFailed;
    }
    const BookRecord record = decodeBookRecord(bytes);
    const bool startRule = startRuleApplies(game);
    board::Position position = game.scratch;
    board::loadScratch(game, position);
    for (int i = 0, n = candidateCount(record); i < n; ++i) {
        const BookCandidate& c = record.candidates[i];
        std::string san;
        board::writeSan(san, c.move, game.legalMoves.data(), position);
        if (!san.empty() && san.back() == ' ') san.pop_back();
        const double rate = c.games == 0 ? 0.0 : 50.0 * c.score / c.games;
        std::printf("%-6s %-8s games %5u  score %5.1f%%  chance %s\n", board::writeCoordinate(c.move).c_str(),
                    san.empty() ? "(?)" : san.c_str(), c.games, rate, bookChanceText(record, i, startRule).c_str());
    }
    std::printf("%s\n", bookChanceNote(startRule).c_str());
    return ExitDone;
}

}  // namespace

int runBookCommand(int argc, char** argv) {
    if (argc < 2) return usage();
    const std::string_view command = argv[1];
    const std::vector<std::string_view> args(argv + 2, argv + argc);
    if (command == "make") return makeBook(args);
    if (command == "show") return showPosition(args);
    if (command == "dump") return dumpBook(args);
    return usage();
}

}  // namespace halberd::frontend
