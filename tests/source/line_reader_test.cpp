// Tests of the line reader on real files: line ends, trailing blanks, long lines, zero bytes
// and the files that cannot be read.
#include "source/line_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

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
