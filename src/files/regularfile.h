#pragma once
// Opening a data file (a table, a book) for reading without waiting on it: a
// path that has become a FIFO, a device or anything else that is no regular
// file is refused before a read could block the thread that reads it. The
// file's handle, and reads by offset that threads may make at once.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

namespace halberd::files {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

constexpr std::uint64_t AnyLength = ~std::uint64_t{0};

struct RegularFile {
    FileHandle file;  // null when the path is no regular file (of the length asked for)
    std::uint64_t bytes = 0;
};

// Opens `path` for reading when it is a regular file, and, unless
// `expectedBytes` is AnyLength, one of that many bytes (say, the length it had
// when it was first seen). The open itself never blocks.
RegularFile openRegularFile(const std::string& path, std::uint64_t expectedBytes = AnyLength);

// Reads out.size() bytes at `offset` of the open file `descriptor` without
// moving its position, so that threads may read one file at once; false when
// the file ends first or the read fails.
bool readAt(int descriptor, std::uint64_t offset, std::span<std::uint8_t> out);

}  // namespace halberd::files
