// Tests of reading a file whole: the format's limit, checked before reading where the
// size is known and while reading where it is not.
#include "reader/file_image.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace rpgc::detail {
namespace {

// Regression: a file was read up to 2 GiB before its size was checked, and a device that
// never ends (/dev/zero) was read until memory ran out.
TEST(FileImageTest, FilesPastTheLimitAreRefusedAndEndlessOnesReadOnlyToIt) {
  test::TempDir dir;
  constexpr size_t kLimit = 100000;
  struct Row {
    std::string path;
    size_t size;  // of the regular file made at path
    ReadFailure failure;
  };
  const Row rows[] = {
      {dir.file("at-limit"), kLimit, ReadFailure::kNone},
      {dir.file("past-limit"), kLimit + 1, ReadFailure::kTooLarge},
      {"/dev/zero", 0, ReadFailure::kTooLarge},
      {"/dev/null", 0, ReadFailure::kNone},
      {dir.path().string(), 0, ReadFailure::kCannotOpen},  // a folder, whatever size it says
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    if (row.size > 0) std::ofstream(row.path, std::ios::binary) << std::string(row.size, 'x');
    std::vector<uint8_t> bytes;
    ReadStatus status = readWholeFile(row.path, bytes, kLimit);
    EXPECT_EQ(status.failure, row.failure);
    EXPECT_EQ(bytes.size(), status.ok() ? row.size : 0);
  }
}

}  // namespace
}  // namespace rpgc::detail
