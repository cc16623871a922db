#include "book/bookrecord.h"

#include <algorithm>
#include <cstring>

namespace halberd::book {

namespace {

std::uint16_t readWord(const BookRecordBytes& bytes, int offset) {
    return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

void writeWord(BookRecordBytes& bytes, int offset, std::uint16_t value) {
    bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr int candidateOffset(int index) { return BookKeyField + index * BookCandidateSize; }

}  // namespace

std::string_view recordKey(const BookRecordBytes& bytes) {
    const auto end = std::find(bytes.begin(), bytes.begin() + BookKeyField, std::uint8_t{0});
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<std::size_t>(end - bytes.begin())};
}

BookRecord decodeBookRecord(const BookRecordBytes& bytes) {
    BookRecord record;
    record.key = std::string(recordKey(bytes));
    for (int i = 0; i < BookCandidateCount; ++i) {
        const int offset = candidateOffset(i);
        record.candidates[i] = {readWord(bytes, offset), readWord(bytes, offset + 2), readWord(bytes, offset + 4)};
    }
    return record;
}

BookRecordBytes encodeBookRecord(const BookRecord& record) {
    BookRecordBytes bytes{};
    const auto length = std::min<std::size_t>(record.key.size(), BookKeyMaxLength);
    std::memcpy(bytes.data(), record.key.data(), length);
    for (int i = 0; i < BookCandidateCount; ++i) {
        const int offset = candidateOffset(i);
        writeWord(bytes, offset, record.candidates[i].games);
        writeWord(bytes, offset + 2, record.candidates[i].score);
        writeWord(bytes, offset + 4, record.candidates[i].move);
    }
    return bytes;
}

int candidateCount(const BookRecord& record) {
    int n = 0;
    while (n < BookCandidateCount && record.candidates[n].move != 0) ++n;
    return n;
}

}  // namespace halberd::book
