// Tests of the text escapes: one policy for bytes that do not show as themselves, in the
// text and the JSON rendering, and rpgdump's bare-or-quoted names.
#include "diagnostics/text_escape.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/invisible_characters.h"
#include "core/utf8.h"
#include "tools/escaped_output.h"
#include "tools/text_output.h"

namespace rpgc {
namespace {

TEST(TextEscapeTest, Rows) {
  struct Row {
    std::string bytes;
    const char* text;
    const char* json;
    const char* shown;
  };
  const Row rows[] = {
      {"Sword", "Sword", "\"Sword\"", "Sword"},
      {"", "", "\"\"", "\"\""},
      {"a b", "a b", "\"a b\"", "\"a b\""},
      {"q\"\\", "q\"\\", "\"q\\\"\\\\\"", "\"q\\\"\\\\\""},
      {"\n\t\r\x01\x7F\x1B[1m", "\\n\\t\\r\\x01\\x7f\\x1b[1m",
       "\"\\n\\t\\r\\u0001\\u007f\\u001b[1m\"", "\"\\n\\t\\r\\u0001\\u007f\\u001b[1m\""},
      {std::string("a\0b", 3), "a\\x00b", "\"a\\u0000b\"", "\"a\\u0000b\""},
      {"M\xC3\xA6re \xE2\x82\xAC \xF0\x9F\x97\xA1 \xC2\xA0",
       "M\xC3\xA6re \xE2\x82\xAC \xF0\x9F\x97\xA1 \\u00A0",
       "\"M\xC3\xA6re \xE2\x82\xAC \xF0\x9F\x97\xA1 \xC2\xA0\"",
       "\"M\xC3\xA6re \xE2\x82\xAC \xF0\x9F\x97\xA1 \xC2\xA0\""},
      {"M\xC3\xA6re", "M\xC3\xA6re", "\"M\xC3\xA6re\"", "M\xC3\xA6re"},
      // U+009B starts a terminal's control sequence, as does the byte 0x9B alone.
      {"\xC2\x9B\xC2\x85", "\\xc2\\x9b\\xc2\\x85", "\"\\u009b\\u0085\"", "\"\\u009b\\u0085\""},
      {"a\x9B"
       "2J",
       "a\\x9b2J", "\"a\\udc9b2J\"", "\"a\\udc9b2J\""},
      {"\xE9t\xE9", "\\xe9t\\xe9", "\"\\udce9t\\udce9\"", "\"\\udce9t\\udce9\""},  // Latin-1
      {"\xC0\xAF", "\\xc0\\xaf", "\"\\udcc0\\udcaf\"", "\"\\udcc0\\udcaf\""},  // an overlong '/'
      {"\xED\xA0\x80", "\\xed\\xa0\\x80", "\"\\udced\\udca0\\udc80\"",
       "\"\\udced\\udca0\\udc80\""},  // a surrogate
      {"\xF4\x90\x80\x80", "\\xf4\\x90\\x80\\x80", "\"\\udcf4\\udc90\\udc80\\udc80\"",
       "\"\\udcf4\\udc90\\udc80\\udc80\""},                                    // past U+10FFFF
      {"\xE2\x82", "\\xe2\\x82", "\"\\udce2\\udc82\"", "\"\\udce2\\udc82\""},  // cut short
      {"(none)", "(none)", "\"(none)\"", "\"(none)\""},
      {"[a]", "[a]", "\"[a]\"", "\"[a]\""},
      {"a;b/c,d=e", "a;b/c,d=e", "\"a;b/c,d=e\"", "a;b/c,d=e"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.json);
    EXPECT_EQ(escapeText(row.bytes), row.text);
    EXPECT_EQ(jsonString(row.bytes), row.json);
    EXPECT_EQ(shownText(row.bytes), row.shown);
  }
}

// The JSON rendering read back as Python's surrogateescape reads it: \udcNN is the byte
// NN, any other escape or character its UTF-8 bytes.
std::string bytesOfJson(std::string_view json) {
  std::string bytes;
  for (size_t i = 1; i + 1 < json.size(); ++i) {
    if (json[i] != '\\') {
      bytes.push_back(json[i]);
      continue;
    }
    char kind = json[++i];
    if (kind != 'u') {
      bytes.push_back(kind == 'n' ? '\n' : kind == 't' ? '\t' : kind == 'r' ? '\r' : kind);
      continue;
    }
    auto code = static_cast<unsigned>(std::stoul(std::string(json.substr(i + 1, 4)), nullptr, 16));
    i += 4;
    if (code >= 0xDC80 && code <= 0xDCFF) {
      bytes.push_back(static_cast<char>(code - 0xDC00));
    } else if (code < 0x80) {
      bytes.push_back(static_cast<char>(code));
    } else {
      bytes.push_back(static_cast<char>(0xC0 | code >> 6));
      bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return bytes;
}

// Any bytes: the JSON rendering gives them back, and the text rendering holds only
// characters that show as themselves.
TEST(TextEscapeTest, JsonGivesAnyBytesBackAndTextShowsOnlyPrintableCharacters) {
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes(random() % 12, '\0');
    for (char& c : bytes) c = static_cast<char>(round % 2 == 0 ? random() : 0x80 + random() % 0x50);
    EXPECT_EQ(bytesOfJson(jsonString(bytes)), bytes);
    std::string text = escapeText(bytes);
    for (size_t i = 0; i < text.size(); i += characterLength(text, i)) {
      ASSERT_TRUE(isPrintable(text, i)) << text;
    }
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
    std::string piecewise;
    {
      TextOutput out(piecewise);
      putJsonString(out, text);
    }
    EXPECT_EQ(piecewise, jsonString(text));
  }
}

// Characters that show as nothing or as a blank are written as their code points, and a
// fix takes them out (a space of them between words becoming a blank).
TEST(TextEscapeTest, InvisibleCharactersShowAsCodePoints) {
  EXPECT_EQ(escapeText("Bread\xC2\xA0"), "Bread\\u00A0");
  EXPECT_EQ(escapeText("a\xE2\x80\x8B"
                       "b\xEF\xBB\xBF"),
            "a\\u200B"
            "b\\uFEFF");
  EXPECT_EQ(escapeText("Caf\xC3\xA9 \xE3\x80\x80"), "Caf\xC3\xA9 \\u3000");
  EXPECT_EQ(withoutInvisibleCharacters("FLOAT\xC2\xA0Weight\xC2\xA0"), "FLOAT Weight");
  EXPECT_EQ(withoutInvisibleCharacters("Ty\xE2\x80\x8Bpe"), "Type");
  EXPECT_EQ(findInvisibleCharacter("Caf\xC3\xA9").length, 0u);
}

}  // namespace
}  // namespace rpgc
