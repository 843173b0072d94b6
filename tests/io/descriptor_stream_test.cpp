// Tests of DescriptorStream: whatever the pieces it is given, the file gets the same bytes
// in whole blocks (all but the last write call), and a failed write is kept.
#include "io/descriptor_stream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "io/file_system.h"

namespace rpgc {
namespace {

constexpr size_t kBlock = DescriptorStream::kBlock;

// Keeps what is written instead of writing it; write call failAt (from 1) fails.
class KeepingFileSystem : public FileSystem {
 public:
  std::vector<uint8_t> bytes;
  std::vector<size_t> callLengths;
  int failAt = 0;

  int write(int, const void* data, size_t n) override {
    callLengths.push_back(n);
    if (static_cast<int>(callLengths.size()) == failAt) return ENOSPC;
    const auto* at = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), at, at + n);
    return 0;
  }
};

TEST(DescriptorStreamTest, PiecesOfAnySizeLeaveInWholeBlocks) {
  // Rows: the lengths of the pieces written one after the other.
  const std::vector<std::vector<size_t>> rows = {
      {},
      {1},
      {kBlock},
      {kBlock + 1},
      {3 * kBlock + 17},
      {4, 4, 4},
      {100, kBlock - 100, 5},
      {100, 2 * kBlock, 1},
      {kBlock - 1, 1, kBlock - 1, 2},
  };
  for (const std::vector<size_t>& pieces : rows) {
    KeepingFileSystem fs;
    DescriptorStream stream(fs, 3);
    std::vector<uint8_t> expected;
    for (size_t length : pieces) {
      std::vector<uint8_t> piece(length);
      for (size_t i = 0; i < length; ++i)
        piece[i] = static_cast<uint8_t>((expected.size() + i) % 251);
      ASSERT_TRUE(stream.write(piece.data(), static_cast<int32_t>(length)));
      expected.insert(expected.end(), piece.begin(), piece.end());
    }
    ASSERT_TRUE(stream.flush());
    EXPECT_EQ(fs.bytes, expected) << pieces.size() << " pieces";
    for (size_t i = 0; i + 1 < fs.callLengths.size(); ++i) {
      EXPECT_GE(fs.callLengths[i], kBlock) << "call " << i << " of " << pieces.size() << " pieces";
    }
  }
}

TEST(DescriptorStreamTest, FirstFailureIsKept) {
  KeepingFileSystem fs;
  fs.failAt = 1;
  DescriptorStream stream(fs, 3);
  std::vector<uint8_t> block(kBlock, 1);
  EXPECT_FALSE(stream.write(block.data(), static_cast<int32_t>(block.size())));
  EXPECT_EQ(stream.errorCode(), ENOSPC);
  EXPECT_FALSE(stream.write(block.data(), 1));
  EXPECT_FALSE(stream.flush());
  EXPECT_EQ(fs.callLengths.size(), 1u);
}

}  // namespace
}  // namespace rpgc
