#pragma once
// The book file's record: 100 bytes, a zero-terminated position key of at most
// 69 characters followed by five candidates of three little-endian 16-bit words
// (games, score in half points, move). Records are converted byte by byte so the
// file format does not depend on the host's layout or byte order.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace halberd::book {

constexpr int BookRecordSize = 100;
constexpr int BookKeyField = 70;  // key text and its zero byte
constexpr int BookKeyMaxLength = BookKeyField - 1;
constexpr int BookCandidateSize = 6;
constexpr int BookCandidateCount = 5;

using BookRecordBytes = std::array<std::uint8_t, BookRecordSize>;

struct BookCandidate {
    std::uint16_t games = 0;
    std::uint16_t score = 0;  // half points of the side that played the move
    std::uint16_t move = 0;   // from, to and kind of a Move; 0 = no candidate
};

struct BookRecord {
    std::string key;
    std::array<BookCandidate, BookCandidateCount> candidates{};
};

// Key text of a raw record: up to the first zero byte of the key field.
std::string_view recordKey(const BookRecordBytes& bytes);

BookRecord decodeBookRecord(const BookRecordBytes& bytes);
// The key is cut to BookKeyMaxLength characters; unused bytes are zero.
BookRecordBytes encodeBookRecord(const BookRecord& record);

// Candidates in use: those before the first with move 0.
int candidateCount(const BookRecord& record);

}  // namespace halberd::book
