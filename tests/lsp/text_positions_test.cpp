// Columns in UTF-16 and UTF-8 units over bytes that may not be UTF-8, both ways.
#include "lsp/text_positions.h"

#include <gtest/gtest.h>

#include <string>

namespace rpgc::lsp {
namespace {

struct Row {
  std::string line;
  size_t byte;    // a byte offset at a character start
  int32_t utf16;  // its column in UTF-16 units
  int32_t utf8;   // and in UTF-8 units
};

TEST(TextPositionsTest, ColumnsAndBytesAgreeBothWays) {
  const Row rows[] = {
      {"ATOM Name = Knife", 12, 12, 12},
      {"\tATOM\tName", 6, 6, 6},            // a tab is one unit
      {"STR Caf\xC3\xA9 = x", 9, 8, 9},     // é: two bytes, one UTF-16 unit
      {"\xE2\x82\xAC x", 4, 2, 4},          // €: three bytes
      {"\xF0\x9F\x97\xA1 Sword", 5, 3, 5},  // 🗡: four bytes, a surrogate pair
      {"Caf\xE9 e", 5, 5, 7},               // Latin-1 é: one U+FFFD
      {"abc", 3, 3, 3},                     // the line's end
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(columnOfByte(row.line, row.byte, PositionEncoding::kUtf16), row.utf16);
    EXPECT_EQ(columnOfByte(row.line, row.byte, PositionEncoding::kUtf8), row.utf8);
    EXPECT_EQ(byteOfColumn(row.line, row.utf16, PositionEncoding::kUtf16), row.byte);
    EXPECT_EQ(byteOfColumn(row.line, row.utf8, PositionEncoding::kUtf8), row.byte);
  }
}

TEST(TextPositionsTest, ColumnsPastTheLineOrInsideACharacterStayOnTheLine) {
  std::string line = "\xF0\x9F\x97\xA1x";
  EXPECT_EQ(byteOfColumn(line, 1, PositionEncoding::kUtf16), 0u);  // inside the pair
  EXPECT_EQ(byteOfColumn(line, 99, PositionEncoding::kUtf16), line.size());
  EXPECT_EQ(byteOfColumn(line, -5, PositionEncoding::kUtf16), 0u);
  EXPECT_EQ(columnOfByte(line, 99, PositionEncoding::kUtf16), 3);
}

}  // namespace
}  // namespace rpgc::lsp
