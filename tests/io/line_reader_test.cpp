// Tests of the line reader on real files: line ends, trailing blanks, long lines, zero bytes
// and the files that cannot be read.
#include "io/line_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_system.h"
#include "support/source_fixture.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;

void writeFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  ASSERT_TRUE(out.good()) << path;
}

struct FileRow {
  const char* label;
  std::string content;
  Lines lines;
};

// Failure messages name the row by its label.
void PrintTo(const FileRow& row, std::ostream* out) {
  *out << row.label;
}

const FileRow kFileRows[] = {
    {"three lines, the middle one empty", "a\n\nc\n", {"a", "", "c"}},
    {"CR LF like LF", "BEGIN item Sword\r\nEND\r\n", {"BEGIN item Sword", "END"}},
    {"CR LF empty middle line", "a\r\n\r\nc\r\n", {"a", "", "c"}},
    {"leading blanks stay, trailing go", "  BEGIN item Sword   \n", {"  BEGIN item Sword"}},
    {"trailing tab, space and CR", "x\t \r\n", {"x"}},
    {"trailing control bytes", "x\x01\x1f\x0b\n", {"x"}},
    {"blank-only line is empty", " \t \n", {""}},
    {"comment line kept", "; a comment  \n", {"; a comment"}},
    {"trailing Latin-1 byte kept", "Caf\xe9\n", {"Caf\xe9"}},
    {"trailing UTF-8 kept", "Caf\xc3\xa9\r\n", {"Caf\xc3\xa9"}},
    {"trailing 0xFF and 0x80 kept", "a\x80\xff\n", {"a\x80\xff"}},
    {"trailing DEL kept", "a\x7f\n", {"a\x7f"}},
    {"zero byte ends the text", "ab\0cd\nef\n"s, {"ab", "ef"}},
    {"blank before a zero byte stripped", "ab \0cd\n"s, {"ab"}},
    {"zero byte first", "\0abc\nx\n"s, {"", "x"}},
    {"no final line feed", "first\nlast", {"first", "last"}},
    {"no final line feed, trailing blank", "last  ", {"last"}},
    {"final empty line", "a\n\n", {"a", ""}},
    {"single line feed", "\n", {""}},
    {"lone CR is not a line end", "a\rb\n", {"a\rb"}},
    {"empty file", "", {}},
    {"byte order mark dropped",
     "\xEF\xBB\xBF"
     "BEGIN item Sword\n",
     {"BEGIN item Sword"}},
    {"byte order mark inside kept", "a\n\xEF\xBB\xBF\n", {"a", "\xEF\xBB\xBF"}},
};

class ReadLinesRows : public ::testing::TestWithParam<FileRow> {};

TEST_P(ReadLinesRows, FileAndMemoryAgree) {
  const FileRow& row = GetParam();
  test::TempDir dir;
  std::string path = dir.file("source.txt");
  writeFile(path, row.content);

  SourceLines lines = test::linesOf({"stale"});
  int errorCode = -1;
  ASSERT_TRUE(readLines(path.c_str(), lines, &errorCode));
  EXPECT_EQ(test::textsOf(lines), row.lines);
  EXPECT_EQ(test::textsOf(readLines(path.c_str())), row.lines);
  EXPECT_EQ(test::textsOf(splitLines(row.content)), row.lines);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadLinesRows, ::testing::ValuesIn(kFileRows), test::RowLabel());

TEST(LineReaderTest, LongLineStaysOneLine) {
  std::string longLine(250000, 'x');
  longLine[119998] = 'A';  // where a fixed 120000-byte buffer would have cut
  longLine[119999] = 'B';
  std::string content = longLine + "  \r\nnext\n" + std::string(120000, 'y');
  test::TempDir dir;
  std::string path = dir.file("long.txt");
  writeFile(path, content);

  SourceLines lines;
  ASSERT_TRUE(readLines(path.c_str(), lines));
  ASSERT_EQ(lines.length(), 3);
  EXPECT_EQ(lines[0], longLine);
  EXPECT_EQ(lines[1], "next");
  EXPECT_EQ(lines[2].size(), 120000u);
  EXPECT_EQ(test::textsOf(splitLines(content)), test::textsOf(lines));
}

// A file of size bytes that is never on a disk: start, then fill up to the size. Regular
// (with its size known) or a pipe; counts what was read of it.
class MadeUpFile : public FileSystem {
 public:
  std::string start;
  char fill = 'x';
  uint64_t size = 0;
  bool regular = true;
  uint64_t bytesRead = 0;
  int opens = 0;

  int openForReading(const std::string&, int& fd) override {
    fd = 1000;
    position_ = 0;
    ++opens;
    return 0;
  }
  int close(int) override { return 0; }
  int fileStatus(int, struct stat& status) override {
    status = {};
    status.st_mode = regular ? S_IFREG : S_IFIFO;
    status.st_size = regular ? static_cast<off_t>(size) : 0;
    return 0;
  }
  int read(int, void* data, size_t n, size_t& got) override {
    got = static_cast<size_t>(std::min<uint64_t>(n, size - position_));
    char* out = static_cast<char*>(data);
    size_t fromStart = 0;
    if (position_ < start.size()) {
      fromStart = std::min(got, start.size() - static_cast<size_t>(position_));
      std::memcpy(out, start.data() + position_, fromStart);
    }
    std::memset(out + fromStart, fill, got - fromStart);
    position_ += got;
    bytesRead += got;
    return 0;
  }

 private:
  uint64_t position_ = 0;
};

struct LimitRow {
  const char* label;
  std::string content;
  bool regular;
  int32_t longLine;  // -1: none
  int errorCode;
};

void PrintTo(const LimitRow& row, std::ostream* out) {
  *out << row.label;
}

// Lines of at most 8 bytes, files of at most 32: the same rules as at the real limits.
constexpr LineLimits kSmallLimits{8, 32};

const LimitRow kLimitRows[] = {
    {"a line at the limit", "12345678\n12345678", true, -1, 0},
    {"one byte past it", "12345678\n123456789\n", true, 1, 0},
    {"trailing blanks do not count", "12345678 \t \r\nx", true, -1, 0},
    {"a blank inside counts", "1234567 8\n", true, 0, 0},
    {"a zero byte ends the text",
     "1234\0"
     "56789abcdef\n",
     true, -1, 0},
    {"a byte order mark does not count",
     "\xEF\xBB\xBF"
     "12345678\n",
     true, -1, 0},
    {"bytes 0x80 to 0xFF count", "1234567\xC3\xA9\n", true, 0, 0},
    {"a pipe's long line", "ab\n\n123456789", false, 2, 0},
    {"a pipe at the size limit", std::string(32, '\n'), false, -1, 0},
    {"a pipe past it", std::string(33, '\n'), false, -1, EFBIG},
    {"a file past it", std::string(33, '\n'), true, -1, EFBIG},
};

class LineLimitTest : public ::testing::TestWithParam<LimitRow> {};

INSTANTIATE_TEST_SUITE_P(Rows, LineLimitTest, ::testing::ValuesIn(kLimitRows));

// Regression: a line past the limit was reported as "File too large" after the whole file
// was read; it is now found at its line, as its bytes come.
TEST_P(LineLimitTest, LimitsAreFoundWhileReading) {
  const LimitRow& row = GetParam();
  MadeUpFile file;
  file.start = row.content;
  file.size = row.content.size();
  file.regular = row.regular;
  SourceLines lines;
  LineReadFailure failure;
  bool ok = readLines("made-up", lines, failure, file, kSmallLimits);
  EXPECT_EQ(ok, row.longLine < 0 && row.errorCode == 0);
  EXPECT_EQ(failure.longLine, row.longLine);
  EXPECT_EQ(failure.errorCode, row.errorCode);
  if (row.errorCode == EFBIG) {
    // A regular file is refused by its size; a pipe is read one byte past the limit.
    EXPECT_EQ(file.bytesRead, row.regular ? 0u : 33u);
  }
}

// Regression: a 2.15 GB one-line source took 6.3 GB of memory before it was refused. A
// file that large is looked through first, keeping nothing, and never read again.
TEST(LineReaderTest, ALineOfTwoGigabytesIsRefusedWithoutBeingKept) {
  MadeUpFile file;
  file.start = "BEGIN quest Q\nINTEGER Reward = ";
  file.fill = '9';
  file.size = (uint64_t{1} << 31) + (uint64_t{1} << 20);
  SourceLines lines;
  LineReadFailure failure;
  EXPECT_FALSE(readLines("made-up", lines, failure, file));
  EXPECT_EQ(failure.longLine, 1);
  EXPECT_EQ(file.opens, 1) << "the file is not read to be kept";
  EXPECT_LT(file.bytesRead, file.size);
}

TEST(LineReaderTest, EmptyFileReadsAsNoLines) {
  test::TempDir dir;
  std::string path = dir.file("empty.txt");
  writeFile(path, "");
  SourceLines lines = test::linesOf({"stale"});
  EXPECT_TRUE(readLines(path.c_str(), lines));
  EXPECT_EQ(lines.length(), 0);
  EXPECT_TRUE(readLines(path.c_str()).empty());
  EXPECT_TRUE(splitLines("").empty());
}

TEST(LineReaderTest, MissingFileFailsWithErrno) {
  test::TempDir dir;
  std::string path = dir.file("missing.txt");
  SourceLines lines = test::linesOf({"stale"});
  int errorCode = 0;
  EXPECT_FALSE(readLines(path.c_str(), lines, &errorCode));
  EXPECT_EQ(errorCode, ENOENT);
  EXPECT_EQ(lines.length(), 0) << "no lines are left from before";
  EXPECT_FALSE(readLines(path.c_str(), lines));  // no place for the error code: still false
  EXPECT_TRUE(readLines(path.c_str()).empty());
}

TEST(LineReaderTest, FolderFailsWithErrno) {
  test::TempDir dir;
  SourceLines lines;
  int errorCode = 0;
  EXPECT_FALSE(readLines(dir.path().c_str(), lines, &errorCode));
  EXPECT_EQ(errorCode, EISDIR);
  EXPECT_EQ(lines.length(), 0);
  EXPECT_TRUE(readLines(dir.path().c_str()).empty());
}

TEST(LineReaderTest, UnreadableFileFailsWithErrno) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  test::TempDir dir;
  std::string path = dir.file("locked.txt");
  writeFile(path, "BEGIN item Sword\n");
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  SourceLines lines;
  int errorCode = 0;
  EXPECT_FALSE(readLines(path.c_str(), lines, &errorCode));
  EXPECT_EQ(errorCode, EACCES);
}

TEST(LineReaderTest, ReadErrorFailsWithErrno) {
  // The process's own memory at address 0 opens but cannot be read.
  const char* path = "/proc/self/mem";
  if (access(path, R_OK) != 0) GTEST_SKIP() << path << " is not available";
  SourceLines lines = test::linesOf({"stale"});
  int errorCode = 0;
  EXPECT_FALSE(readLines(path, lines, &errorCode));
  EXPECT_EQ(errorCode, EIO);
  EXPECT_EQ(lines.length(), 0);
}

}  // namespace
}  // namespace rpgc
