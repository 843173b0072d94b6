// Tests of the filter's step functions: unscrambling undoes scrambling for any cut into
// calls and from any state, and the one-byte-call forms equal calls of one byte.
#include "format/scramble.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "support/format_bytes.h"

namespace rpgc {
namespace {

using test::Bytes;

Bytes randomBytes(size_t n, uint32_t seed) {
  std::mt19937 random(seed);
  Bytes bytes(n);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
  return bytes;
}

// Unscrambles bytes in place from a fresh state as the given calls.
void unscrambleCalls(Bytes& bytes, const std::vector<int32_t>& calls) {
  ScrambleState state;
  size_t at = 0;
  for (int32_t n : calls) {
    unscramble(state, bytes.data() + at, n);
    at += static_cast<size_t>(n);
  }
}

// Calls of many lengths, those past 255 included (the countdown factor wraps at 256), and
// the worked values of the file format's description.
TEST(ScrambleTest, UnscrambleUndoesTheFilterForAnyCallLengths) {
  struct Row {
    Bytes plain;
    std::vector<int32_t> calls;
  };
  const std::vector<int32_t> many = {1, 0, 4, 2, 255, 256, 257, 1, 1, 3, 511, 1000, 4, 7, 70000};
  size_t total = 0;
  for (int32_t n : many) total += static_cast<size_t>(n);
  const std::vector<Row> rows = {
      {{'a', 'b', 'c'}, {3}},
      {{'a', 'b', 'c'}, {1, 1, 1}},
      {{0x07, 0x00, 0x00, 0x00}, {4}},
      {randomBytes(total, 1), many},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.calls.size() << " calls");
    Bytes scrambled = row.plain;
    ScrambleState state;
    size_t at = 0;
    for (int32_t n : row.calls) {
      scramble(state, scrambled.data() + at, n);
      at += static_cast<size_t>(n);
    }
    EXPECT_EQ(scrambled, test::scrambleCalls(row.plain, row.calls));  // the test's own filter
    unscrambleCalls(scrambled, row.calls);
    EXPECT_EQ(scrambled, row.plain);
  }
}

TEST(ScrambleTest, OneByteCallFormsEqualCallsOfOneByte) {
  Bytes plain = randomBytes(300, 3);
  Bytes scrambled = plain;
  ScrambleState state;
  scramble(state, scrambled.data(), 1);  // one call first: neither form starts fresh
  scrambleOneByteCalls(state, scrambled.data() + 1, 299);
  EXPECT_EQ(scrambled, test::scrambleCalls(plain, std::vector<int32_t>(300, 1)));
  ScrambleState back;
  unscramble(back, scrambled.data(), 1);
  unscrambleOneByteCalls(back, scrambled.data() + 1, 299);
  EXPECT_EQ(scrambled, plain);
  EXPECT_EQ(back.a, state.a);
  EXPECT_EQ(back.b, state.b);
}

}  // namespace
}  // namespace rpgc
