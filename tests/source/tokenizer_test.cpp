// Tests of the tokenizer: blanks, comments, comma tokens, bytes above 0x7F and zero bytes.
#include "source/tokenizer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/source_fixture.h"

namespace rpgc {
namespace {

using namespace std::string_literals;
using Tokens = std::vector<std::string>;

struct TokenRow {
  const char* label;
  std::string line;
  Tokens tokens;
};

// Failure messages name the row by its label.
void PrintTo(const TokenRow& row, std::ostream* out) {
  *out << row.label;
}

const TokenRow kTokenRows[] = {
    {"header with blanks around", "  BEGIN item Sword   ", {"BEGIN", "item", "Sword"}},
    {"assignment", "FLOAT Weight = 1.5", {"FLOAT", "Weight", "=", "1.5"}},
    {"semicolon comment", "Value = 3 ; old value 4", {"Value", "=", "3"}},
    {"semicolon inside a word", "a;b c", {"a"}},
    {"slash starts a comment", "Path = data/file.txt", {"Path", "=", "data"}},
    {"slash inside a word", "ATOM Icon = a/b", {"ATOM", "Icon", "=", "a"}},
    {"doubled slash", "x // y", {"x"}},
    {"comment only", "; nothing here", {}},
    {"slash only", "/", {}},
    {"empty line", "", {}},
    {"blanks only", " \t \r ", {}},
    {"commas alone", ",,x,", {",", ",", "x", ","}},
    {"commas with and without blanks", "1,2 , 3", {"1", ",", "2", ",", "3"}},
    {"comma before a comment", ", ;", {","}},
    {"comma-separated header", "BEGIN, item, Sword", {"BEGIN", ",", "item", ",", "Sword"}},
    {"equals sign glued to words", "Name=Sword", {"Name=Sword"}},
    {"doubled equals sign", "a == b", {"a", "==", "b"}},
    {"quotation marks are ordinary", "\"a b\"", {"\"a", "b\""}},
    {"tab and control bytes separate",
     "a\tb\001c\037d\013e\014f\rg",
     {"a", "b", "c", "d", "e", "f", "g"}},
    {"space is the last blank, 0x21 a token byte", "a !b", {"a", "!b"}},
    {"DEL is a token byte", "a\177b", {"a\177b"}},
    {"UTF-8 name stays whole",
     "ATOM Caf\xc3\xa9 = cr\xc3\xa8me",
     {"ATOM", "Caf\xc3\xa9", "=", "cr\xc3\xa8me"}},
    {"Latin-1 byte inside a word", "Caf\351e x", {"Caf\351e", "x"}},
    {"Latin-1 byte alone", "\xe9", {"\xe9"}},
    {"bytes 0x80 and 0xFF", "\x80 \xff\xfe", {"\x80", "\xff\xfe"}},
    {"zero byte ends the text", "a b\0c d"s, {"a", "b"}},
    {"zero byte first", "\0a b"s, {}},
};

class TokenizeRows : public ::testing::TestWithParam<TokenRow> {};

TEST_P(TokenizeRows, TokenizeAndTokenizeIntoAgree) {
  const TokenRow& row = GetParam();
  RefString line(std::string_view(row.line));
  StringList tokens = tokenize(line);
  EXPECT_EQ(test::textsOf(tokens), row.tokens);
  // No tokens gives an absent list, not an empty one.
  EXPECT_EQ(tokens.refCount() != 0, !row.tokens.empty());
  for (const RefString& token : tokens) {
    EXPECT_EQ(token.size(), static_cast<int32_t>(token.view().size()) + 1);
    EXPECT_FALSE(token.sharesWith(line));
  }
  EXPECT_EQ(line.view(), row.line) << "the line itself is not changed";

  // Reused scratch with old content: it is replaced, not extended.
  std::vector<std::string_view> views = {"stale", "content"};
  tokenizeInto(row.line, views);
  EXPECT_EQ(Tokens(views.begin(), views.end()), row.tokens);
}

INSTANTIATE_TEST_SUITE_P(Lines, TokenizeRows, ::testing::ValuesIn(kTokenRows), test::RowLabel());

TEST(TokenizerTest, ViewsPointIntoTheLine) {
  std::string line = "  BEGIN item Sword";
  std::vector<std::string_view> views;
  tokenizeInto(line, views);
  ASSERT_EQ(views.size(), 3u);
  EXPECT_EQ(views[0].data(), line.data() + 2);
  EXPECT_EQ(views[2].data(), line.data() + 13);
}

TEST(TokenizerTest, AbsentLineHasNoTokens) {
  EXPECT_EQ(tokenize(RefString()).refCount(), 0);
  std::vector<std::string_view> views = {"stale"};
  tokenizeInto(std::string_view(), views);
  EXPECT_TRUE(views.empty());
}

TEST(TokenizerTest, EveryByteClassifiedOnItsOwn) {
  // Each byte value between two token letters: blanks split, token bytes join, the
  // comment bytes cut, the comma stands alone.
  for (int value = 1; value < 256; ++value) {
    char byte = static_cast<char>(value);
    std::string line = std::string("a") + byte + "b";
    Tokens expected;
    if (value <= 0x20) {
      expected = {"a", "b"};
    } else if (byte == ';' || byte == '/') {
      expected = {"a"};
    } else if (byte == ',') {
      expected = {"a", ",", "b"};
    } else {
      expected = {line};
    }
    EXPECT_EQ(test::textsOf(tokenize(RefString(line))), expected) << "byte " << value;
    EXPECT_EQ(isBlankByte(byte), value <= 0x20) << "byte " << value;
  }
  EXPECT_FALSE(isBlankByte('\0'));
}

}  // namespace
}  // namespace rpgc
