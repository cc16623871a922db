#pragma once
// The table files found in the tablebase directories: registration, the level
// they give, and the process-wide tablebase state that lives from one
// initialisation to the next.

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "files/regularfile.h"
#include "tablebase/classes.h"
#include "tablebase/emdreader.h"

namespace halberd::tablebase {

// One registered table file (one class, one side to move). Between an
// initialisation and a release only `file` and `descriptor` change: the first
// block read opens the file under `opening` and publishes its descriptor.
struct TableFile {
    std::string path;                                      // empty: no file registered
    std::uint64_t bytes = 0;                               // the file's length when it was registered
    std::unique_ptr<const emd::EmdDescriptor> compressed;  // a compressed file's description; null for a plain one
    std::mutex opening;
    files::FileHandle file;           // opened by the first block read, then kept open
    std::atomic<int> descriptor{-1};  // the open file's descriptor, -1 before
};

// Reads the directory list (directories separated by ",", ":" or ";"; an
// empty list is the current directory), registers every table file it holds
// (the first directory that holds a file wins), sets up the block cache with
// `cacheBytes` and returns the level: 5, 4 or 3 for the most men of any
// registered class, 0 for none. Prints "TbPath=<list>" and "InitTb=level" on
// standard error. A damaged file is reported with a line beginning "***"
// (reportProblem) and left unregistered.
int initialise(std::string_view directories, std::int64_t cacheBytes);

// Drops the block cache and closes the table files (registrations stay until
// the next initialisation).
void release();

// The level of the last initialisation, and the most men the search may look
// up (the level itself: 0 switches probing off).
int tablebaseLevel();

// The registered file of (class, side), or nullptr.
TableFile* registeredFile(int cls, int side);

// Registers `path` as the table of (class, side) when it is a plain table of
// the right length; false (after the "***" line for a damaged file) when not.
bool registerPlainFile(int cls, int side, const std::string& path);

// Registers `path` as the compressed table of (class, side) when it is a
// sound compressed file of the right decoded length; false when it is missing,
// or, after a "***" line, damaged.
bool registerCompressedFile(int cls, int side, const std::string& path);

}  // namespace halberd::tablebase
