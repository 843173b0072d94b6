// Tests of TextOutput's sink into a stream.
#include "tools/text_output.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <string_view>
#include <vector>

#include "archive/byte_stream.h"

namespace rpgc {
namespace {

// Regression: a block of 2 to 4 GiB was given to the stream as a negative 32-bit count
// and failed ("cannot write: Success"), and a larger one was cut to its size modulo 4 GiB.
// Every block is now written whole, in writes that 32 bits can count.
TEST(TextOutputTest, BlocksPastTwoGibibytesAreWrittenWholeNotCutOrFailed) {
  class CountingStream : public ByteStream {
   public:
    bool write(const void*, int32_t n) override {
      if (n < 0) return false;
      total += static_cast<uint64_t>(n);
      ++writes;
      return true;
    }
    uint64_t total = 0;
    int writes = 0;
  };
  constexpr size_t kSize = (size_t{5} << 30) + 3;  // never read: reserved, not backed
  void* bytes = mmap(nullptr, kSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (bytes == MAP_FAILED) GTEST_SKIP() << "cannot reserve 5 GiB of address space here";
  CountingStream stream;
  EXPECT_TRUE(streamSink(stream)(std::string_view(static_cast<const char*>(bytes), kSize)));
  EXPECT_EQ(stream.total, kSize);
  EXPECT_EQ(stream.writes, 6);
  munmap(bytes, kSize);
}

}  // namespace
}  // namespace rpgc
