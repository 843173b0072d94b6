// Tests of MemoryStream: all-or-nothing reads, overwriting, gaps filled with zeros, and the
// 2^31 - 1 byte limit of 32-bit positions.
#include "archive/memory_stream.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

namespace rpgc {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes contents(const MemoryStream& stream) {
  return Bytes(stream.bytes(), stream.bytes() + stream.length());
}

TEST(MemoryStreamTest, StartsEmpty) {
  MemoryStream stream;
  EXPECT_EQ(stream.length(), 0);
  EXPECT_EQ(stream.position(), 0);
  uint8_t byte = 0;
  EXPECT_FALSE(stream.read(&byte, 1));
  EXPECT_TRUE(stream.read(&byte, 0));
}

TEST(MemoryStreamTest, ReadPastTheEndFailsWithoutMoving) {
  MemoryStream stream;
  ASSERT_TRUE(stream.write("01234567", 8));
  stream.seek(4);
  uint8_t out[8] = {};
  EXPECT_FALSE(stream.read(out, 8));
  EXPECT_EQ(stream.position(), 4);
  EXPECT_FALSE(stream.read(out, -1));
  ASSERT_TRUE(stream.read(out, 4));
  EXPECT_EQ(Bytes(out, out + 4), (Bytes{'4', '5', '6', '7'}));
  EXPECT_EQ(stream.position(), 8);
}

TEST(MemoryStreamTest, OverwriteKeepsTheLength) {
  MemoryStream stream;
  ASSERT_TRUE(stream.write("01234567", 8));
  stream.seek(0);
  ASSERT_TRUE(stream.write("abcd", 4));
  EXPECT_EQ(stream.length(), 8);
  EXPECT_EQ(stream.position(), 4);
  EXPECT_EQ(contents(stream), (Bytes{'a', 'b', 'c', 'd', '4', '5', '6', '7'}));
  stream.seek(6);
  ASSERT_TRUE(stream.write("XYZ", 3));  // overlaps the end
  EXPECT_EQ(contents(stream), (Bytes{'a', 'b', 'c', 'd', '4', '5', 'X', 'Y', 'Z'}));
}

TEST(MemoryStreamTest, SeekMovesAnywhere) {
  for (int32_t position : {0, 5, 100, -3, INT32_MAX, INT32_MIN}) {
    MemoryStream stream;
    stream.write("abc", 3);
    stream.seek(position);
    EXPECT_EQ(stream.position(), position);
    EXPECT_EQ(stream.length(), 3);
  }
}

TEST(MemoryStreamTest, WritePastTheEndFillsTheGapWithZeros) {
  struct Row {
    int32_t firstLength;  // bytes of 0xAA written first
    int32_t gapEnd;       // where the second write starts
  };
  const Row rows[] = {{0, 3}, {4, 10}, {1, 9000}, {8096, 8100}, {9000, 20000}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.firstLength << " then at " << row.gapEnd);
    MemoryStream stream;
    Bytes first(static_cast<size_t>(row.firstLength), 0xAA);
    ASSERT_TRUE(stream.write(first.data(), row.firstLength));
    stream.seek(row.gapEnd);
    ASSERT_TRUE(stream.write("xy", 2));
    EXPECT_EQ(stream.position(), row.gapEnd + 2);
    Bytes expected = first;
    expected.resize(static_cast<size_t>(row.gapEnd), 0);
    expected.push_back('x');
    expected.push_back('y');
    EXPECT_EQ(contents(stream), expected);
  }
}

TEST(MemoryStreamTest, GrowingByWordsKeepsEveryByte) {
  MemoryStream stream;
  Bytes expected;
  for (uint32_t i = 0; i < 10000; ++i) {
    uint8_t word[4] = {uint8_t(i), uint8_t(i >> 8), uint8_t(i * 7), uint8_t(i * 13)};
    ASSERT_TRUE(stream.write(word, 4));
    expected.insert(expected.end(), word, word + 4);
  }
  EXPECT_EQ(stream.length(), 40000);
  EXPECT_EQ(contents(stream), expected);
}

TEST(MemoryStreamTest, WriteAtANegativePositionFails) {
  MemoryStream stream;
  ASSERT_TRUE(stream.write("abc", 3));
  for (int32_t position : {-1, -4, INT32_MIN}) {
    stream.seek(position);
    EXPECT_FALSE(stream.write("xy", 2));
    EXPECT_FALSE(stream.write("xy", 0));
    EXPECT_EQ(stream.position(), position);
    uint8_t byte = 0;
    EXPECT_FALSE(stream.read(&byte, 1));
  }
  EXPECT_EQ(contents(stream), (Bytes{'a', 'b', 'c'}));
}

TEST(MemoryStreamTest, WritePastTheLargestLengthFails) {
  MemoryStream stream;
  ASSERT_TRUE(stream.write("abc", 3));
  struct Row {
    int32_t position;
    int32_t count;
  };
  const Row rows[] = {{INT32_MAX - 1, 2}, {INT32_MAX, 1}, {INT32_MAX - 3, 8}, {0, -1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.position);
    stream.seek(row.position);
    EXPECT_FALSE(stream.write("abcdefgh", row.count));
    EXPECT_EQ(stream.position(), row.position);
    EXPECT_EQ(stream.length(), 3);
  }
  stream.seek(0);
  EXPECT_FALSE(stream.writeItems("abcd", 65536, 65536));
  EXPECT_FALSE(stream.writeItems("abcd", -1, 4));
  EXPECT_EQ(contents(stream), (Bytes{'a', 'b', 'c'}));
}

TEST(MemoryStreamTest, WriteItemsWritesSizeTimesCount) {
  MemoryStream stream;
  ASSERT_TRUE(stream.writeItems("abcdefghijkl", 4, 3));
  EXPECT_EQ(stream.length(), 12);
  EXPECT_EQ(stream.position(), 12);
}

TEST(MemoryStreamTest, ClearReleasesAndRewinds) {
  MemoryStream stream;
  stream.write("abc", 3);
  stream.clear();
  EXPECT_EQ(stream.length(), 0);
  EXPECT_EQ(stream.position(), 0);
  ASSERT_TRUE(stream.write("z", 1));
  EXPECT_EQ(contents(stream), (Bytes{'z'}));
}

}  // namespace
}  // namespace rpgc
