#include "book/bookrecord.h"

#include <gtest/gtest.h>

namespace hk = halberd::book;

TEST(BookRecord, CandidatesAreLittleEndianWordsAfterTheKeyField) {
    hk::BookRecordBytes bytes{};
    bytes[0] = 'a';
    bytes[1] = 'b';
    // Candidate 0 at offset 70: games 0x0102, score 0x0304, move 0x0506.
    bytes[70] = 0x02;
    bytes[71] = 0x01;
    bytes[72] = 0x04;
    bytes[73] = 0x03;
    bytes[74] = 0x06;
    bytes[75] = 0x05;
    // Candidate 4 at offset 94: move 0xFFEE.
    bytes[98] = 0xEE;
    bytes[99] = 0xFF;
    const hk::BookRecord record = hk::decodeBookRecord(bytes);
    EXPECT_EQ(record.key, "ab");
    EXPECT_EQ(record.candidates[0].games, 0x0102);
    EXPECT_EQ(record.candidates[0].score, 0x0304);
    EXPECT_EQ(record.candidates[0].move, 0x0506);
    EXPECT_EQ(record.candidates[4].move, 0xFFEE);
    EXPECT_EQ(hk::encodeBookRecord(record), bytes);
}

TEST(BookRecord, KeyEndsAtItsZeroByteOrAtTheEndOfTheField) {
    hk::BookRecordBytes bytes{};
    bytes.fill('x');
    bytes[3] = 0;
    EXPECT_EQ(hk::recordKey(bytes), "xxx");  // bytes after the zero are not part of it
    bytes[3] = 'x';
    EXPECT_EQ(hk::recordKey(bytes).size(), 70u);  // an unterminated key does not run into the candidates

    hk::BookRecord record;
    record.key = std::string(80, 'k');
    const auto encoded = hk::encodeBookRecord(record);
    EXPECT_EQ(hk::recordKey(encoded).size(), 69u);
    EXPECT_EQ(encoded[69], 0);
}

TEST(BookRecord, CandidateListEndsAtTheFirstEmptyMove) {
    hk::BookRecord record;
    EXPECT_EQ(hk::candidateCount(record), 0);
    record.candidates[0].move = 1804;
    record.candidates[1].move = 1739;
    record.candidates[3].move = 100;  // after the gap: not in use
    EXPECT_EQ(hk::candidateCount(record), 2);
    for (auto& c : record.candidates) c.move = 1;
    EXPECT_EQ(hk::candidateCount(record), 5);
}
