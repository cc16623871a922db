#include "book/bookfile.h"

#include <algorithm>
#include <cstring>

namespace halberd::book {

BookFile openBookFile(const BookPaths& paths) {
    for (const std::string* path : {&paths.main, &paths.fallback, &paths.installed}) {
        if (path->empty()) continue;
        if (BookFile file(std::fopen(path->c_str(), "rb")); file) return file;
    }
    return nullptr;
}

namespace {

void clearWithKey(BookRecordBytes& buffer, const std::string& key) {
    buffer.fill(0);
    std::memcpy(buffer.data(), key.data(), std::min<std::size_t>(key.size(), BookKeyMaxLength));
}

}  // namespace

int bookFind(std::FILE* file, const std::string& key, BookRecordBytes& buffer) {
    if (key.size() > static_cast<std::size_t>(BookKeyMaxLength)) {
        // Standard output carries the protocol; the note must not land in it.
        std::fputs("too long\n", stderr);
        clearWithKey(buffer, key);
        return 0;
    }
    std::rewind(file);
    BookRecordBytes record;
    while (std::fread(record.data(), 1, record.size(), file) == record.size()) {
        if (recordKey(record) == key) {
            buffer = record;
            std::fseek(file, -BookRecordSize, SEEK_CUR);
            return 1;
        }
    }
    clearWithKey(buffer, key);
    return 0;
}

}  // namespace halberd::book
