// The outline reads a file as the compiler does: what the compiler does not read as a
// section (a header right after END, the file's last line) holds no name's place.
#include "lsp/source_outline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "io/line_reader.h"

namespace rpgc::lsp {
namespace {

std::vector<std::string> placesOf(const std::string& text, std::string_view name,
                                  bool stringSection = false) {
  SourceLines lines = splitLines(text);
  std::vector<std::string> places;
  forEachNamePlace(lines, outlineOf(lines), name, stringSection, [&](int32_t line, WordSpan span) {
    places.push_back(std::to_string(line) + ":" + std::to_string(span.start));
  });
  return places;
}

TEST(SourceOutlineTest, NamesStandWhereTheCompilerReadsThem) {
  const std::string text =
      "BEGIN item Knife\n"            // 0
      "REFERENCE Maker = Marta\n"     // 1
      "END\n"                         // 2
      "BEGIN item Lost\n"             // 3: right after END, never read
      "REFERENCE Maker = Marta\n"     // 4
      "END\n"                         // 5: a stray END, looked at as a header
      "BEGIN quest Marta\n"           // 6: read (the line after a stray END is looked at)
      "REFERENCES Friends = Marta\n"  // 7
      "ATOM STR_Name = Marta\n"       // 8: a string section's name, not an object's
      "END\n"                         // 9
      "\n"                            // 10
      "STRING Marta\n"                // 11
      "REFERENCE Maker = Marta\n"     // 12: text, not a value
      "END\n"                         // 13
      "\n"                            // 14
      "BEGIN item Marta\n";           // 15: the last line, never read
  EXPECT_EQ(placesOf(text, "Marta"), (std::vector<std::string>{"1:18", "6:12", "7:21"}));
  EXPECT_EQ(placesOf(text, "Marta", true), (std::vector<std::string>{"8:16", "11:7"}));
  EXPECT_TRUE(placesOf(text, "Lost").empty());
  std::vector<OutlineSection> outline = outlineOf(splitLines(text));
  ASSERT_EQ(outline.size(), 3u);
  EXPECT_EQ(outline[1].header, 6);
  EXPECT_EQ(outline[2].end, 13);
}

}  // namespace
}  // namespace rpgc::lsp
