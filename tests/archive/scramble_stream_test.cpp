// Tests of ScrambleStream: the rolling filter's bytes for given call lengths, and
// writeItems giving exactly the bytes of one write call per piece.
#include "archive/scramble_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "archive/memory_stream.h"
#include "support/format_bytes.h"
#include "support/recording_stream.h"

namespace rpgc {
namespace {

using test::Bytes;

Bytes contents(const MemoryStream& stream) {
  return Bytes(stream.bytes(), stream.bytes() + stream.length());
}

Bytes randomBytes(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(n);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

// Writes plain through a fresh filter as the given calls; returns what reached the inner stream.
Bytes scrambleThroughStream(const Bytes& plain, const std::vector<int32_t>& calls) {
  MemoryStream inner;
  ScrambleStream scrambler(inner);
  size_t at = 0;
  for (int32_t n : calls) {
    EXPECT_TRUE(scrambler.write(plain.data() + at, n));
    at += static_cast<size_t>(n);
  }
  return contents(inner);
}

TEST(ScrambleStreamTest, WorkedExamples) {
  struct Row {
    Bytes plain;
    std::vector<int32_t> calls;
    Bytes scrambled;
  };
  const std::vector<Row> rows = {
      {{'a', 'b', 'c'}, {3}, {0x62, 0x16, 0xEB}},
      {{'a', 'b', 'c'}, {1, 1, 1}, {0x60, 0x15, 0xEB}},
      {{0x07, 0x00, 0x00, 0x00}, {4}, {0x03, 0x12, 0x1F, 0x39}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.calls.size() << " calls");
    Bytes callerCopy = row.plain;
    EXPECT_EQ(scrambleThroughStream(callerCopy, row.calls), row.scrambled);
    EXPECT_EQ(callerCopy, row.plain);  // the caller's bytes are left alone
    EXPECT_EQ(test::scrambleCalls(row.plain, row.calls), row.scrambled);  // the test's own filter
  }
}

// Calls of many lengths, those past 255 included (the countdown factor wraps at 256).
TEST(ScrambleStreamTest, MatchesTheFilterForAnyCallLengths) {
  const std::vector<int32_t> calls = {1, 0, 4, 2, 255, 256, 257, 1, 1, 3, 511, 1000, 4, 7, 70000};
  size_t total = 0;
  for (int32_t n : calls) total += static_cast<size_t>(n);
  Bytes plain = randomBytes(total, 1);
  Bytes scrambled = scrambleThroughStream(plain, calls);
  EXPECT_EQ(scrambled, test::scrambleCalls(plain, calls));
}

TEST(ScrambleStreamTest, ZeroByteWriteChangesNothing) {
  const uint8_t text[] = {'a', 'b', 'c'};
  MemoryStream inner;
  ScrambleStream scrambler(inner);
  ASSERT_TRUE(scrambler.write(text, 2));
  ScrambleState before = scrambler.state();
  EXPECT_TRUE(scrambler.write(text, 0));
  EXPECT_TRUE(scrambler.writeItems(text, 1, 0));
  EXPECT_TRUE(scrambler.writeItems(text, 0, 5));
  EXPECT_EQ(scrambler.state().a, before.a);
  EXPECT_EQ(scrambler.state().b, before.b);
  EXPECT_EQ(inner.length(), 2);
  ASSERT_TRUE(scrambler.write(text + 2, 1));
  EXPECT_EQ(contents(inner), test::scrambleCalls({'a', 'b', 'c'}, {2, 1}));
}

TEST(ScrambleStreamTest, WriteItemsEqualsOneWritePerPiece) {
  struct Row {
    int32_t size;
    int32_t count;
  };
  const Row rows[] = {{1, 1},     {1, 10},    {1, 65536}, {1, 70001}, {4, 3},
                      {4, 16384}, {4, 16385}, {4, 40000}, {3, 30000}, {70000, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.count << " pieces of " << row.size);
    Bytes plain = randomBytes(static_cast<size_t>(row.size) * static_cast<size_t>(row.count), 3);

    MemoryStream byItemsInner;
    ScrambleStream byItems(byItemsInner);
    ASSERT_TRUE(byItems.write(plain.data(), 1));  // a state that is not fresh
    ASSERT_TRUE(byItems.writeItems(plain.data(), row.size, row.count));

    MemoryStream byCallsInner;
    ScrambleStream byCalls(byCallsInner);
    ASSERT_TRUE(byCalls.write(plain.data(), 1));
    for (int32_t i = 0; i < row.count; ++i) {
      ASSERT_TRUE(byCalls.write(plain.data() + static_cast<size_t>(i) * row.size, row.size));
    }

    EXPECT_EQ(contents(byItemsInner), contents(byCallsInner));
    EXPECT_EQ(byItems.state().a, byCalls.state().a);
    EXPECT_EQ(byItems.state().b, byCalls.state().b);
  }
}

TEST(ScrambleStreamTest, WriteItemsOverAStreamThatCountsCalls) {
  Bytes plain = randomBytes(4 * 20000, 4);
  test::RecordingStream inner;
  ScrambleStream scrambler(inner);
  ASSERT_TRUE(scrambler.writeItems(plain.data(), 4, 20000));
  EXPECT_EQ(inner.bytes(), test::scrambleCalls(plain, std::vector<int32_t>(20000, 4)));
}

TEST(ScrambleStreamTest, InnerFailurePassesThrough) {
  const uint8_t text[] = {'a', 'b', 'c', 'd'};
  test::RecordingStream inner(1);
  ScrambleStream scrambler(inner);
  EXPECT_FALSE(scrambler.write(text, 4));
  EXPECT_FALSE(scrambler.writeItems(text, 1, 4));
  EXPECT_FALSE(scrambler.write(text, -1));
  EXPECT_FALSE(scrambler.writeItems(text, 65536, 65536));  // size times count passes 2^31 - 1
  EXPECT_FALSE(scrambler.writeItems(text, -1, 4));
}

}  // namespace
}  // namespace rpgc
