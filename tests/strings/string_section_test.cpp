// Tests of string sections: the header's name and flag, blank folding of text lines, where a
// section ends, and the bytes of a section's record.
#include "strings/string_section.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "core/atom_table.h"
#include "strings/string_table.h"
#include "support/format_bytes.h"
#include "support/source_fixture.h"
#include "support/written_body.h"

namespace rpgc {
namespace {

using namespace std::string_literals;
using test::linesOf;
using test::textsOf;
using Texts = std::vector<std::string>;

class StringSectionTest : public ::testing::Test {
 protected:
  /// The body bytes of a file of the given sections; fileAtoms_ gets its atom table.
  test::Bytes written(const std::vector<const StringSection*>& sections) {
    test::WrittenBody file = test::writtenBody(atoms_, [&](ArchiveWriter& archive) {
      for (const StringSection* section : sections) {
        if (!section->write(archive)) return false;
      }
      return true;
    });
    EXPECT_TRUE(file.ok);
    fileAtoms_ = file.atomTexts;
    return file.body;
  }

  AtomTable atoms_;
  StringTable table_;
  std::vector<std::string> fileAtoms_;
};

TEST_F(StringSectionTest, RandomGreeting) {
  SourceLines lines = linesOf(
      {"STRING Greeting RANDOM", "Hello", "Good   day,   traveller ; welcome", "", "END", "after"});
  EXPECT_EQ(parseStringSection(lines, 1, "Greeting", "RANDOM", atoms_, table_), 5);
  ASSERT_EQ(table_.count(), 1);
  const StringSection& section = table_.at(0);
  EXPECT_EQ(section.name, atoms_.find("Greeting"));
  EXPECT_NE(section.name, kNoAtom);
  EXPECT_TRUE(section.random);
  EXPECT_EQ(textsOf(section.texts), (Texts{"Hello", "Good day, traveller ; welcome"}));
  EXPECT_EQ(section.texts[1].size(), 30) << "the size follows the folded text";
  EXPECT_EQ(lines[2], "Good day, traveller ; welcome") << "folded in place";
  EXPECT_EQ(lines[5], "after") << "lines after END are not touched";
}

TEST_F(StringSectionTest, FlagIsExactlyRandom) {
  struct {
    RefString flag;
    bool random;
  } rows[] = {
      {RefString("RANDOM"), true},    {RefString("random"), false}, {RefString("Random"), false},
      {RefString("RANDOMLY"), false}, {RefString(""), false},       {RefString(), false},
  };
  for (const auto& row : rows) {
    SourceLines lines = linesOf({"Hi", "END"});
    parseStringSection(lines, 0, "Greeting", row.flag, atoms_, table_);
    EXPECT_EQ(table_.at(table_.count() - 1).random, row.random) << "flag " << row.flag.text();
  }
}

struct FoldRow {
  const char* label;
  std::string line;
  Texts texts;  // what the section keeps of the line
};

// Failure messages name the row by its label.
void PrintTo(const FoldRow& row, std::ostream* out) {
  *out << row.label;
}

const FoldRow kFoldRows[] = {
    {"tab and inner spaces", "\tHi   there", {"Hi there"}},
    {"leading and trailing blanks", "   a b   ", {"a b"}},
    {"control bytes are blanks", "a\001\002\037b\rc\013", {"a b c"}},
    {"blank-only line is no text", " \t \r", {}},
    {"empty line is no text", "", {}},
    {"punctuation is text", "x=1, /y; \"q\"", {"x=1, /y; \"q\""}},
    {"DEL is text", "a\177b", {"a\177b"}},
    {"UTF-8 kept", "  Caf\xc3\xa9   cr\xc3\xa8me ", {"Caf\xc3\xa9 cr\xc3\xa8me"}},
    {"Latin-1 kept, also between blanks", "a \xe9 b\xff", {"a \xe9 b\xff"}},
    {"byte 0x80 alone", "\x80", {"\x80"}},
    {"END with a comment is text", "END ; done", {"END ; done"}},
    {"lower-case end is text", "end", {"end"}},
    {"END twice is text", "END END", {"END END"}},
    {"zero byte ends the text", "ab  \0cd"s, {"ab"}},
};

class FoldRows : public StringSectionTest, public ::testing::WithParamInterface<FoldRow> {};

TEST_P(FoldRows, OneTextLine) {
  const FoldRow& row = GetParam();
  SourceLines lines = linesOf({row.line, "END"});
  EXPECT_EQ(parseStringSection(lines, 0, "S", RefString(), atoms_, table_), 2);
  ASSERT_EQ(table_.count(), 1);
  EXPECT_EQ(textsOf(table_.at(0).texts), row.texts);
  for (const RefString& text : table_.at(0).texts) {
    EXPECT_EQ(text.size(), static_cast<int32_t>(text.view().size()) + 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, FoldRows, ::testing::ValuesIn(kFoldRows), test::RowLabel());

TEST_F(StringSectionTest, EndLineForms) {
  struct {
    const char* line;
    bool ends;
  } rows[] = {
      {"END", true},  {"   END   ", true}, {"\tEND\r", true}, {"END ; done", false},
      {"end", false}, {"END.", false},     {"E N D", false},  {"ENDE", false},
  };
  for (const auto& row : rows) {
    SourceLines lines = linesOf({"STRING S", "a", row.line, "b", "END"});
    int32_t next = parseStringSection(lines, 1, "S", RefString(), atoms_, table_);
    EXPECT_EQ(next, row.ends ? 3 : 5) << row.line;
    int32_t texts = table_.at(table_.count() - 1).texts.length();
    EXPECT_EQ(texts, row.ends ? 1 : 3) << row.line;
  }
}

TEST_F(StringSectionTest, NoTextsStillAppended) {
  SourceLines lines = linesOf({"STRING Empty", "", "   ", "END"});
  EXPECT_EQ(parseStringSection(lines, 1, "Empty", RefString(), atoms_, table_), 4);
  ASSERT_EQ(table_.count(), 1);
  EXPECT_EQ(table_.at(0).texts.length(), 0);
  EXPECT_FALSE(table_.at(0).random);
}

TEST_F(StringSectionTest, MissingNameGivesNoAtom) {
  SourceLines lines = linesOf({"STRING", "x", "END", "STRING", "y", "END"});
  parseStringSection(lines, 1, RefString(), RefString(), atoms_, table_);
  parseStringSection(lines, 4, RefString(""), RefString(), atoms_, table_);
  ASSERT_EQ(table_.count(), 2);
  EXPECT_EQ(table_.at(0).name, kNoAtom);
  EXPECT_EQ(table_.at(1).name, kNoAtom);
  EXPECT_EQ(atoms_.count(), 0);
}

TEST_F(StringSectionTest, DuplicateNamesGiveTwoRecords) {
  SourceLines lines = linesOf({"STRING Greeting", "Hello", "END", "STRING Greeting", "Hi", "END"});
  EXPECT_EQ(parseStringSection(lines, 1, "Greeting", RefString(), atoms_, table_), 3);
  EXPECT_EQ(parseStringSection(lines, 4, "Greeting", RefString(), atoms_, table_), 6);
  ASSERT_EQ(table_.count(), 2);
  EXPECT_EQ(table_.at(0).name, table_.at(1).name);
  EXPECT_EQ(textsOf(table_.at(0).texts), Texts{"Hello"});
  EXPECT_EQ(textsOf(table_.at(1).texts), Texts{"Hi"});
}

TEST_F(StringSectionTest, MissingEndTakesTheRestOfTheFile) {
  SourceLines lines = linesOf({"STRING Tail", "one", "", "two  "});
  EXPECT_EQ(parseStringSection(lines, 1, "Tail", RefString(), atoms_, table_), 5);
  ASSERT_EQ(table_.count(), 1);
  EXPECT_EQ(textsOf(table_.at(0).texts), (Texts{"one", "two"}));
}

TEST_F(StringSectionTest, ManyTexts) {
  // Past the text list's block size.
  SourceLines lines;
  Texts expected;
  for (int i = 0; i < 33; ++i) {
    lines.push("  text  " + std::to_string(i));
    expected.push_back("text " + std::to_string(i));
  }
  lines.push("END");
  EXPECT_EQ(parseStringSection(lines, 0, "Many", RefString(), atoms_, table_), 34);
  EXPECT_EQ(textsOf(table_.at(0).texts), expected);
}

TEST_F(StringSectionTest, WriteGreeting) {
  SourceLines lines =
      linesOf({"STRING Greeting RANDOM", "Hello", "Good   day,   traveller ; welcome", "", "END"});
  parseStringSection(lines, 1, "Greeting", "RANDOM", atoms_, table_);
  test::Bytes body = written({&table_.at(0)});
  test::ByteBuilder expected;
  expected
      .i32(0)  // the name: entry 0 of the file's atom table
      .i32(1)  // random
      .i32(2)  // two texts
      .string("Hello")
      .string("Good day, traveller ; welcome");
  EXPECT_EQ(body, expected.bytes());
  EXPECT_EQ(fileAtoms_, Texts{"Greeting"});
}

TEST_F(StringSectionTest, WriteSeveralSections) {
  SourceLines lines = linesOf({"STRING A", "x \xe9  y", "END", "STRING", "END", "STRING B random",
                               "END", "STRING A", "z", "END"});
  parseStringSection(lines, 1, "A", RefString(), atoms_, table_);
  parseStringSection(lines, 4, RefString(), RefString(), atoms_, table_);
  parseStringSection(lines, 6, "B", "random", atoms_, table_);
  parseStringSection(lines, 8, "A", RefString(), atoms_, table_);
  ASSERT_EQ(table_.count(), 4);
  test::Bytes body = written({&table_.at(0), &table_.at(1), &table_.at(2), &table_.at(3)});
  test::ByteBuilder expected;
  expected.i32(0).i32(0).i32(1).string("x \xe9 y");  // A
  expected.i32(1).i32(0).i32(0);                     // no name, no texts
  expected.i32(2).i32(0).i32(0);                     // B, flag not RANDOM
  expected.i32(0).i32(0).i32(1).string("z");         // A again: the same table entry
  EXPECT_EQ(body, expected.bytes());
  EXPECT_EQ(fileAtoms_, (Texts{"A", "", "B"}));
}

}  // namespace
}  // namespace rpgc
