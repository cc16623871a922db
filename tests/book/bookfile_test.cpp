#include "book/bookfile.h"

#include <gtest/gtest.h>

#include "booktestfiles.h"

namespace hk = halberd::book;
namespace bt = halberd::booktest;

namespace {

hk::BookRecord makeRecord(const std::string& key, std::uint16_t move) {
    hk::BookRecord record;
    record.key = key;
    record.candidates[0] = {3, 4, move};
    return record;
}

}  // namespace

TEST(BookFind, FindsARecordAnywhereInTheFileAndStopsAtIt) {
    bt::TempDir dir;
    const std::string path = dir.file("book.bo2");
    const std::vector<hk::BookRecord> records = {makeRecord("first w - -", 1), makeRecord("second b KQkq -", 2),
                                                 makeRecord("third w - e3", 3)};
    bt::writeBytes(path, bt::recordBytes(records));
    hk::BookFile file(std::fopen(path.c_str(), "rb"));
    ASSERT_TRUE(file);
    hk::BookRecordBytes buffer;

    ASSERT_EQ(hk::bookFind(file.get(), "second b KQkq -", buffer), 1);
    EXPECT_EQ(buffer, hk::encodeBookRecord(records[1]));
    EXPECT_EQ(std::ftell(file.get()), 100);  // at the start of the record found

    // Every probe scans from the start, wherever the last one left the file.
    ASSERT_EQ(hk::bookFind(file.get(), "first w - -", buffer), 1);
    EXPECT_EQ(hk::decodeBookRecord(buffer).candidates[0].move, 1);
    ASSERT_EQ(hk::bookFind(file.get(), "third w - e3", buffer), 1);
    EXPECT_EQ(hk::decodeBookRecord(buffer).candidates[0].move, 3);

    // Exact, case-sensitive comparison of the whole key.
    EXPECT_EQ(hk::bookFind(file.get(), "First w - -", buffer), 0);
    EXPECT_EQ(hk::bookFind(file.get(), "first w -", buffer), 0);
    EXPECT_EQ(hk::bookFind(file.get(), "first w - - ", buffer), 0);

    // Not found: the buffer holds the key and zeros.
    ASSERT_EQ(hk::bookFind(file.get(), "absent", buffer), 0);
    EXPECT_EQ(hk::recordKey(buffer), "absent");
    for (std::size_t i = 6; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0) << i;
}

TEST(BookFind, TruncatedLastRecordIsNotARecord) {
    bt::TempDir dir;
    const std::string path = dir.file("book.bo2");
    auto bytes = bt::recordBytes({makeRecord("whole", 1), makeRecord("cut", 2)});
    bytes.pop_back();  // the second record loses its last candidate byte
    bt::writeBytes(path, bytes);
    hk::BookFile file(std::fopen(path.c_str(), "rb"));
    hk::BookRecordBytes buffer;
    EXPECT_EQ(hk::bookFind(file.get(), "whole", buffer), 1);
    EXPECT_EQ(hk::bookFind(file.get(), "cut", buffer), 0);
    EXPECT_EQ(hk::recordKey(buffer), "cut");
}

TEST(BookFind, EmptyFileFindsNothing) {
    bt::TempDir dir;
    const std::string path = dir.file("empty.bo2");
    bt::writeBytes(path, {});
    hk::BookFile file(std::fopen(path.c_str(), "rb"));
    hk::BookRecordBytes buffer;
    EXPECT_EQ(hk::bookFind(file.get(), "anything", buffer), 0);
}

TEST(BookFind, KeyLongerThanTheFieldIsReportedAndMatchesNothing) {
    bt::TempDir dir;
    const std::string path = dir.file("book.bo2");
    const std::string longest(69, 'a');
    const std::string tooLong(70, 'a');
    // A record whose key field has no zero byte must not be taken for the 70-character key.
    hk::BookRecordBytes unterminated{};
    std::fill(unterminated.begin(), unterminated.begin() + 70, static_cast<std::uint8_t>('a'));
    auto bytes = bt::recordBytes({makeRecord(longest, 5)});
    bytes.insert(bytes.end(), unterminated.begin(), unterminated.end());
    bt::writeBytes(path, bytes);
    hk::BookFile file(std::fopen(path.c_str(), "rb"));
    hk::BookRecordBytes buffer;

    testing::internal::CaptureStdout();
    EXPECT_EQ(hk::bookFind(file.get(), longest, buffer), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // The note goes to standard error: standard output carries the protocol.
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(hk::bookFind(file.get(), tooLong, buffer), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "too long\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    // The key copied into the buffer stays inside its field.
    EXPECT_EQ(hk::recordKey(buffer), longest);
    for (std::size_t i = 69; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0) << i;
}

TEST(BookFile, MainBookFirstThenTheFallback) {
    bt::TempDir dir;
    const std::string main = dir.file("Halberd.bo2");
    const std::string fallback = dir.file("Mini.bo2");
    hk::BookRecordBytes buffer;

    EXPECT_FALSE(hk::openBookFile({main, fallback}));

    bt::writeBytes(fallback, bt::recordBytes({makeRecord("mini", 1)}));
    auto file = hk::openBookFile({main, fallback});
    ASSERT_TRUE(file);
    EXPECT_EQ(hk::bookFind(file.get(), "mini", buffer), 1);

    bt::writeBytes(main, bt::recordBytes({makeRecord("main", 1)}));
    file = hk::openBookFile({main, fallback});
    ASSERT_TRUE(file);
    EXPECT_EQ(hk::bookFind(file.get(), "main", buffer), 1);
    EXPECT_EQ(hk::bookFind(file.get(), "mini", buffer), 0);  // only one file is read
}
