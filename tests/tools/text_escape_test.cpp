// Tests of the text escapes: JSON strings that give every byte back, and the listing's
// bare-or-quoted names.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tools/text_escape.h"
#include "tools/text_output.h"

namespace rpgc {
namespace {

TEST(TextEscapeTest, Rows) {
  struct Row {
    std::string bytes;
    const char* json;
    const char* shown;
  };
  const Row rows[] = {
      {"Sword", "\"Sword\"", "Sword"},
      {"", "\"\"", "\"\""},
      {"a b", "\"a b\"", "\"a b\""},
      {"q\"\\", "\"q\\\"\\\\\"", "\"q\\\"\\\\\""},
      {"\n\t\r\x01\x7F", "\"\\n\\t\\r\\u0001\\u007f\"", "\"\\n\\t\\r\\u0001\\u007f\""},
      {std::string("a\0b", 3), "\"a\\u0000b\"", "\"a\\u0000b\""},
      {"M\xC3\xA6re \xE2\x82\xAC \xF0\x9F\x97\xA1", "\"M\xC3\xA6re \xE2\x82\xAC \xF0\x9F\x97\xA1\"",
       "\"M\xC3\xA6re \xE2\x82\xAC \xF0\x9F\x97\xA1\""},
      {"M\xC3\xA6re", "\"M\xC3\xA6re\"", "M\xC3\xA6re"},
      {"\xE9t\xE9", "\"\\udce9t\\udce9\"", "\"\\udce9t\\udce9\""},  // Latin-1
      {"\xC0\xAF", "\"\\udcc0\\udcaf\"", "\"\\udcc0\\udcaf\""},     // an overlong '/'
      {"\xED\xA0\x80", "\"\\udced\\udca0\\udc80\"", "\"\\udced\\udca0\\udc80\""},  // a surrogate
      {"\xF4\x90\x80\x80", "\"\\udcf4\\udc90\\udc80\\udc80\"",
       "\"\\udcf4\\udc90\\udc80\\udc80\""},                      // past U+10FFFF
      {"\xE2\x82", "\"\\udce2\\udc82\"", "\"\\udce2\\udc82\""},  // cut short
      {"(none)", "\"(none)\"", "\"(none)\""},
      {"[a]", "\"[a]\"", "\"[a]\""},
      {"a;b/c,d=e", "\"a;b/c,d=e\"", "a;b/c,d=e"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.json);
    std::string json;
    appendJsonString(json, row.bytes);
    EXPECT_EQ(json, row.json);
    EXPECT_EQ(shownText(row.bytes), row.shown);
  }
}

// Long texts are escaped a piece at a time: wherever the pieces are cut, the result must
// be that of the whole, characters of two to four bytes and stray bytes included.
TEST(TextEscapeTest, PiecewiseJsonStringsMatchTheWhole) {
  const std::string pieces[] = {"a",        "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x97\xA1", "\x80",
                                "\xE2\x82", "\n"};
  std::mt19937 random(13);
  for (int round = 0; round < 4; ++round) {
    std::string text;
    while (text.size() < 70000) text += pieces[random() % std::size(pieces)];
    std::string whole;
    appendJsonString(whole, text);
    std::string piecewise;
    {
      TextOutput out(piecewise);
      putJsonString(out, text);
    }
    EXPECT_EQ(piecewise, whole);
  }
}

}  // namespace
}  // namespace rpgc
