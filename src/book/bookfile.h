#pragma once
// The book files and the sequential scan for a position's record.
#include <cstdio>
#include <memory>
#include <string>

#include "book/bookrecord.h"

namespace halberd::book {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using BookFile = std::unique_ptr<std::FILE, FileCloser>;

constexpr const char* MainBookName = "Halberd.bo2";
constexpr const char* FallbackBookName = "Mini.bo2";

// Where a probe looks: the main book first, then the fallback.
struct BookPaths {
    std::string main;
    std::string fallback;
};

// The engine's places: Halberd.bo2 beside the executable, Mini.bo2 in the current directory.
BookPaths defaultBookPaths();

// The first of the two files that opens for reading, or none.
BookFile openBookFile(const BookPaths& paths);

// Scans the file from its start for the record of `key`. Found: 1, the record in
// `buffer` and the file positioned at the record's start. Not found: 0 and
// `buffer` holds the key and zeros. A key longer than BookKeyMaxLength cannot be
// stored in a record; "too long" goes to standard error and nothing matches. A truncated last
// record ends the scan like the end of the file.
int bookFind(std::FILE* file, const std::string& key, BookRecordBytes& buffer);

}  // namespace halberd::book
