#pragma once
// The book files and the sequential scan for a position's record.
#include <cstdio>
#include <memory>
#include <string>

#include "book/bookrecord.h"
#include "files/regularfile.h"

namespace halberd::book {

using BookFile = files::FileHandle;

constexpr const char* MainBookName = "Halberd.bo2";
constexpr const char* FallbackBookName = "Mini.bo2";

// Where a probe looks: the main book first, then the fallback, then the
// installed book (empty when there is none to look at).
struct BookPaths {
    std::string main;
    std::string fallback;
    std::string installed;
};

// The first of the two files that opens for reading, or none.
BookFile openBookFile(const BookPaths& paths);

// Scans the file from its start for the record of `key`. Found: 1, the record in
// `buffer` and the file positioned at the record's start. Not found: 0 and
// `buffer` holds the key and zeros. A key longer than BookKeyMaxLength cannot be
// stored in a record; "too long" goes to standard error and nothing matches. A truncated last
// record ends the scan like the end of the file.
int bookFind(std::FILE* file, const std::string& key, BookRecordBytes& buffer);

}  // namespace halberd::book
