#pragma once
// Process-wide settings with their defaults, and the directory of the running
// program where the configuration file and the opening book are looked for.
#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace halberd::frontend {

// Longest text the tablebase directory list and the executable directory hold.
inline constexpr std::size_t PathCapacity = 299;

// The most variations a search shows at once.
inline constexpr int MaxMultiPv = 256;

struct Settings {
    int hashExponent = 0;  // the hash tables get 2^(hashExponent + 4) bytes
    int threads = 1;       // search threads, set at start-up
    std::string tbPath;    // tablebase directories separated by ";"
    // What the UCI option NalimovPath put in tbPath last, and where: an
    // interface sets the option's value, so the next value replaces it.
    std::string tbOptionPath;
    std::size_t tbOptionAt = 0;
    int tbCacheBytes = 4 * 1024 * 1024;
    std::atomic<int> optUseBook = 1;  // read by the thinking thread
    std::atomic<int> optResign = 1;
    // The Ponder option: UCI answers name the move to ponder on, and in xboard
    // mode the engine ponders even when the interface cannot send "hard".
    std::atomic<int> optPonder = 0;
    // UCI_AnalyseMode: the interface analyses, so the book does not answer.
    std::atomic<int> optAnalyseMode = 0;
    // MultiPV: the best moves each search shows, each with its own variation.
    std::atomic<int> multiPv = 1;
    // Chess960: castling from any start, written the way the protocol wants it.
    std::atomic<int> chess960 = 0;
    int logEnabled = 0;
};

Settings& settings();

// Sets the tablebase cache to n MiB when n is at least 1, at most what the
// setting can count; other values change nothing.
void setTablebaseCacheMegabytes(Settings& settings, int megabytes);

// Appends a directory to the ";"-separated tablebase list when the list, its
// separator and the directory fit in PathCapacity; when they do not, says so on
// standard error and returns false (nothing changes). An empty directory adds
// nothing.
bool appendTablebaseDirectory(std::string& tbPath, std::string_view directory);

// The NalimovPath option's new value: the directories its last value added
// leave the list (those of the start-up, the configuration and EGTPATH stay)
// and `directories` are appended. False, as for appending, when they do not
// fit; nothing changes then.
bool replaceOptionDirectories(Settings& settings, std::string_view directories);

// The directory part of a link target, with its trailing "/": empty when the
// target has no "/" or when the directory does not fit in PathCapacity (a cut
// directory would name some other place).
std::string directoryOfLink(std::string_view target);

// Directory of the running program with a trailing "/", or empty when it cannot
// be found; a found directory is kept for the run, a failure is retried next time.
std::string executableDirectory();

// An installed engine keeps its book and sample configuration in
// PREFIX/share/games/halberd beside PREFIX/games/halberd; these places are
// looked at after the ones beside the program.
constexpr std::string_view InstalledDataFromProgram = "../share/games/halberd/";

// The installed data directory relative to the program, or empty when the
// program's directory is unknown.
std::string installedDataDirectory();

}  // namespace halberd::frontend
