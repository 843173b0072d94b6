// Tests of FileStream: directions, failed opens, positions, and opening only new files.
#include "archive/file_stream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace rpgc {
namespace {

std::string fileContents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(FileStreamTest, WrittenBytesReadBack) {
  test::TempDir dir;
  std::string path = dir.file("out.bin");
  {
    FileStream out;
    out.open(path.c_str(), true);
    ASSERT_TRUE(out.isOpen());
    EXPECT_EQ(out.errorCode(), 0);
    EXPECT_TRUE(out.write("head", 4));
    EXPECT_TRUE(out.writeItems("0123456789ab", 4, 3));
    EXPECT_TRUE(out.write("", 0));
    EXPECT_TRUE(out.close());
  }
  EXPECT_EQ(fileContents(path), "head0123456789ab");

  FileStream in;
  in.open(path.c_str(), false);
  char buffer[16] = {};
  ASSERT_TRUE(in.read(buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), "head");
  ASSERT_TRUE(in.read(buffer, 12));
  EXPECT_EQ(std::string(buffer, 12), "0123456789ab");
  EXPECT_FALSE(in.read(buffer, 1));  // at the end
}

TEST(FileStreamTest, TransfersOnlyInTheOpenedDirection) {
  test::TempDir dir;
  std::string existing = dir.file("existing.bin");
  writeFile(existing, "0123456789");
  struct Row {
    const char* label;
    std::string path;
    bool forWriting;
    bool opens;
    bool writes;
    bool reads;
  };
  const Row rows[] = {
      {"wb", dir.file("new.bin"), true, true, true, false},
      {"rb", existing, false, true, false, true},
      {"rb missing", dir.file("missing.bin"), false, false, false, false},
      {"wb in missing folder", dir.file("no/such/folder.bin"), true, false, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    FileStream stream;
    stream.open(row.path.c_str(), row.forWriting);
    EXPECT_EQ(stream.isOpen(), row.opens);
    char buffer[4] = {};
    EXPECT_EQ(stream.write("abcd", 4), row.writes);
    EXPECT_EQ(stream.writeItems("abcd", 2, 2), row.writes);
    EXPECT_EQ(stream.read(buffer, 1), row.reads);
    EXPECT_FALSE(stream.write("abcd", -1));
    EXPECT_FALSE(stream.read(buffer, -1));
    if (!row.opens) {
      EXPECT_EQ(stream.errorCode(), ENOENT);
      EXPECT_EQ(stream.tell(), 0);
      EXPECT_EQ(stream.size(), 0);
      EXPECT_FALSE(stream.seek(0));
    }
  }
  EXPECT_EQ(fileContents(existing), "0123456789");
}

TEST(FileStreamTest, ClosedStreamFailsEverything) {
  FileStream stream;
  char buffer[4] = {};
  EXPECT_FALSE(stream.isOpen());
  EXPECT_FALSE(stream.write("abcd", 4));
  EXPECT_FALSE(stream.read(buffer, 4));
  EXPECT_FALSE(stream.seek(0));
  EXPECT_EQ(stream.tell(), 0);
  EXPECT_EQ(stream.size(), 0);
  EXPECT_TRUE(stream.close());
}

TEST(FileStreamTest, SizeLeavesThePosition) {
  test::TempDir dir;
  std::string path = dir.file("ten.bin");
  writeFile(path, "0123456789");
  FileStream in;
  in.open(path.c_str(), false);
  char buffer[4] = {};
  ASSERT_TRUE(in.read(buffer, 3));
  EXPECT_EQ(in.size(), 10);
  EXPECT_EQ(in.tell(), 3);
  ASSERT_TRUE(in.read(buffer, 1));
  EXPECT_EQ(buffer[0], '3');

  FileStream out;
  out.open(dir.file("grow.bin").c_str(), true);
  ASSERT_TRUE(out.write("abcdef", 6));
  ASSERT_TRUE(out.seek(2));
  EXPECT_EQ(out.size(), 6);
  EXPECT_EQ(out.tell(), 2);
  ASSERT_TRUE(out.write("XY", 2));
  ASSERT_TRUE(out.close());
  EXPECT_EQ(fileContents(dir.file("grow.bin")), "abXYef");
}

TEST(FileStreamTest, SeekReportsFailure) {
  test::TempDir dir;
  std::string path = dir.file("ten.bin");
  writeFile(path, "0123456789");
  FileStream in;
  in.open(path.c_str(), false);
  EXPECT_TRUE(in.seek(4));
  EXPECT_EQ(in.tell(), 4);
  EXPECT_FALSE(in.seek(-1));
  EXPECT_EQ(in.tell(), 4);
  char byte = 0;
  ASSERT_TRUE(in.read(&byte, 1));
  EXPECT_EQ(byte, '4');
}

TEST(FileStreamTest, OpenNewRefusesAnExistingFile) {
  test::TempDir dir;
  std::string existing = dir.file("existing.bin");
  writeFile(existing, "keep");
  FileStream stream;
  stream.openNew(existing.c_str());
  EXPECT_FALSE(stream.isOpen());
  EXPECT_EQ(stream.errorCode(), EEXIST);
  EXPECT_FALSE(stream.write("lost", 4));
  EXPECT_EQ(fileContents(existing), "keep");

  std::string fresh = dir.file("fresh.bin");
  stream.openNew(fresh.c_str());
  ASSERT_TRUE(stream.isOpen());
  EXPECT_EQ(stream.errorCode(), 0);
  EXPECT_TRUE(stream.write("new", 3));
  EXPECT_TRUE(stream.close());
  EXPECT_EQ(fileContents(fresh), "new");
}

TEST(FileStreamTest, OpeningAgainClosesTheFirstFile) {
  test::TempDir dir;
  FileStream stream;
  stream.open(dir.file("first.bin").c_str(), true);
  ASSERT_TRUE(stream.write("one", 3));
  stream.open(dir.file("second.bin").c_str(), true);
  ASSERT_TRUE(stream.write("two", 3));
  EXPECT_EQ(fileContents(dir.file("first.bin")), "one");
  EXPECT_TRUE(stream.close());
  EXPECT_EQ(fileContents(dir.file("second.bin")), "two");
}

}  // namespace
}  // namespace rpgc
