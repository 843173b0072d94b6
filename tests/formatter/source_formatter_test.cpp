// formatSource: the layout row by row, the fixes with their notes, the files left
// unchanged, and on every row and the example project that the result compiles to the same
// bytes (by the test's own compile) and formats to itself.
#include "formatter/source_formatter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/compile_in_memory.h"
#include "support/program_run.h"

namespace rpgc {
namespace {

using C = FindingCode;

std::vector<FindingCode> codesOf(const FormattedSource& formatted) {
  std::vector<FindingCode> codes;
  for (const Finding& finding : formatted.findings) codes.push_back(finding.code);
  return codes;
}

// Formatting the result again changes nothing and says nothing.
void expectFixedPoint(const std::string& text) {
  FormattedSource again = formatSource(text);
  EXPECT_FALSE(again.refused);
  EXPECT_EQ(again.text, text);
  EXPECT_TRUE(again.findings.empty());
}

struct LayoutRow {
  const char* name;
  std::string source;
  std::string formatted;
};

const LayoutRow kLayoutRows[] = {
    {"BlanksBetweenWordsAndAtLineEnds",
     "  BEGIN   item  Sword   ; the best\n\tFLOAT  Weight =  1.5   \n  FLOAT Damage = 1.5 ,3\n"
     "  END  \n",
     "BEGIN item Sword ; the best\nFLOAT Weight = 1.5\nFLOAT Damage = 1.5, 3\nEND\n\n"},
    {"EmptyLinesCollapseAndSectionsStandApart",
     "\n\n; notes\n\n\nSTRING A\nx\nEND\n; after\nSTRING B\n\n\ny\n\nEND\n\n\n",
     "; notes\n\nSTRING A\nx\nEND\n\n; after\nSTRING B\ny\nEND\n\n"},
    {"BodyLinesFlushLeftCommentsKept",
     "BEGIN quest Q\n\n   ; the reward\n  INTEGER Gold = 5 / copper\n\n\n  ATOM Tag = a/b\n"
     "  FLOAT Weight 1.5\n\nEND ; of Q\n",
     "BEGIN quest Q\n; the reward\nINTEGER Gold = 5 / copper\n\nATOM Tag = a/b\n"
     "FLOAT Weight 1.5\nEND ; of Q\n\n"},
    {"ScriptLinesStayAsWritten", "SCRIPT S\n  if x then\n\n      y = 1   \n  end\n  END\n",
     "SCRIPT S\n  if x then\n\n      y = 1\n  end\nEND\n\n"},
    {"StringTextsLoseOnlyLeadingBlanks", "STRING T RANDOM\n   a   b ; c\n\t  END\n",
     "STRING T RANDOM\na   b ; c\nEND\n\n"},
    {"FixedFieldTypeWordInCapitals", "BEGIN item S\natom Type = weapon\nEND\n",
     "BEGIN item S\nATOM Type = weapon\nEND\n\n"},
    {"CrLfLineEndsAndByteOrderMarkKept", "\xEF\xBB\xBF  STRING T\r\nx  \r\nEND\r\n",
     "\xEF\xBB\xBFSTRING T\r\nx\r\nEND\r\n\r\n"},
    {"StrayLinesAndCommasInHeadersKept", "  stray words here\nBEGIN, item, Sword\nEND\n\n",
     "stray words here\nBEGIN, item, Sword\nEND\n\n"},
    {"NothingButBlanks", "\n \n\t\n", ""},
    {"MarkBytesOnALaterLineStayText", "\n\x0f\xEF\xBB\xBF; x\n", "\n\xEF\xBB\xBF; x\n"},
};

void PrintTo(const LayoutRow& row, std::ostream* out) {
  *out << row.name;
}

class LayoutTest : public testing::TestWithParam<LayoutRow> {};

TEST_P(LayoutTest, FormatsAndKeepsTheOutputs) {
  const LayoutRow& row = GetParam();
  FormattedSource formatted = formatSource(row.source);
  ASSERT_FALSE(formatted.refused);
  EXPECT_EQ(formatted.text, row.formatted);
  EXPECT_TRUE(formatted.findings.empty());
  test::CompiledFiles before = test::compileInMemory("P", 1.0f, {row.source});
  test::CompiledFiles after = test::compileInMemory("P", 1.0f, {formatted.text});
  EXPECT_EQ(before.strings, after.strings);
  EXPECT_EQ(before.database, after.database);
  expectFixedPoint(formatted.text);
}

INSTANTIATE_TEST_SUITE_P(Rows, LayoutTest, testing::ValuesIn(kLayoutRows),
                         [](const auto& row) { return std::string(row.param.name); });

struct FixRow {
  const char* name;
  std::string source;
  std::string formatted;
  std::vector<FindingCode> notes;
  int32_t firstNoteLine;
};

const FixRow kFixRows[] = {
    {"GluedEquals",
     "BEGIN quest Q\nINTEGER Gold=5\nINTEGER Fee= 2\nEND\n",
     "BEGIN quest Q\nINTEGER Gold = 5\nINTEGER Fee = 2\nEND\n\n",
     {C::kFormatEqualsSetApart, C::kFormatEqualsSetApart},
     1},
    {"LowerCaseHeaderAndTypeWord",
     "begin quest Q\nfloat Speed=1.5\nEND\n",
     "BEGIN quest Q\nFLOAT Speed = 1.5\nEND\n\n",
     {C::kFormatKeywordCase, C::kFormatEqualsSetApart, C::kFormatTypeWordCase},
     0},
    {"EndInOtherCaseEndsTheBlock",
     "BEGIN item S\nATOM Type = x\nEnd\n\nBEGIN item T\nATOM Type = y\nEND\n",
     "BEGIN item S\nATOM Type = x\nEND\n\nBEGIN item T\nATOM Type = y\nEND\n\n",
     {C::kFormatKeywordCase},
     2},
    {"HeaderRightAfterEnd",
     "STRING A\nx\nEND\nSTRING B\ny\nEND\n",
     "STRING A\nx\nEND\n\nSTRING B\ny\nEND\n\n",
     {C::kFormatLineBeforeHeader},
     3},
    {"LostSectionFixedInASecondRound",
     "STRING A\nx\nEND\nBEGIN quest Q\nINTEGER Gold=5\nEND\n",
     "STRING A\nx\nEND\n\nBEGIN quest Q\nINTEGER Gold = 5\nEND\n\n",
     {C::kFormatLineBeforeHeader, C::kFormatEqualsSetApart},
     3},
    {"FlagAndBlockKindCase",
     "STRING A random\nx\nEND\n\nBEGIN Item S\nATOM Type = x\nEND\n",
     "STRING A RANDOM\nx\nEND\n\nBEGIN item S\nATOM Type = x\nEND\n\n",
     {C::kFormatFlagCase, C::kFormatBlockKindCase},
     0},
    {"CommasBetweenListValues",
     "BEGIN quest Q\nATOMS Tags = a, b,c\nINTEGERS L = 1 , 2\nINTEGERS M = 5,0 7\n"
     "FLOAT N = , , , , , , , , , , 2\nEND\n",
     "BEGIN quest Q\nATOMS Tags = a b c\nINTEGERS L = 1 2\nINTEGERS M = 5 0 7\nFLOAT N = "
     "2\nEND\n\n",
     {C::kFormatListComma, C::kFormatListComma, C::kFormatListComma, C::kFormatListComma},
     1},
};

void PrintTo(const FixRow& row, std::ostream* out) {
  *out << row.name;
}

class FixTest : public testing::TestWithParam<FixRow> {};

TEST_P(FixTest, FixesWithANoteEach) {
  const FixRow& row = GetParam();
  FormattedSource formatted = formatSource(row.source);
  ASSERT_FALSE(formatted.refused);
  EXPECT_EQ(formatted.text, row.formatted);
  EXPECT_EQ(codesOf(formatted), row.notes);
  ASSERT_FALSE(formatted.findings.empty());
  EXPECT_EQ(formatted.findings[0].place.line, row.firstNoteLine);
  expectFixedPoint(formatted.text);
}

INSTANTIATE_TEST_SUITE_P(Rows, FixTest, testing::ValuesIn(kFixRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FormatSourceTest, ListCommaNoteCountsTheCommas) {
  FormattedSource formatted = formatSource("BEGIN quest Q\nATOMS Tags = a, b,c\nEND\n");
  ASSERT_EQ(formatted.findings.size(), 1u);
  EXPECT_EQ(formatted.findings[0].texts[0], "2");
}

struct RefusalRow {
  const char* name;
  std::string source;
  FindingCode code;
  int32_t line;
};

const RefusalRow kRefusalRows[] = {
    {"DecimalComma", "BEGIN item A\nFLOAT W = 4,5\nEND\n", C::kFormatDecimalComma, 1},
    {"DecimalCommaInAList", "BEGIN quest Q\nFLOATS W = 1 4,5\nEND\n", C::kFormatDecimalComma, 1},
    {"BlockToTheEndOfTheFile", "\nBEGIN item A\nATOM Type = x\n", C::kFormatRunsToEndOfFile, 1},
    {"BlockIntoTheNextHeader", "BEGIN item A\nATOM Type = x\n\nBEGIN item B\nEND\n",
     C::kFormatRunsIntoHeader, 3},
    {"HeaderOnTheLastLine", "STRING A\nx\nEND\n\nSTRING B", C::kFormatHeaderOnLastLine, 4},
    {"LowerCaseHeaderWithoutEnd", "begin item A\nATOM Type = x\n", C::kFormatRunsToEndOfFile, 0},
    {"ZeroByte", std::string("STRING A\nx\0y\nEND\n", 17), C::kFormatZeroByte, 1},
};

void PrintTo(const RefusalRow& row, std::ostream* out) {
  *out << row.name;
}

class RefusalTest : public testing::TestWithParam<RefusalRow> {};

TEST_P(RefusalTest, LeavesTheFileAndSaysWhere) {
  const RefusalRow& row = GetParam();
  FormattedSource formatted = formatSource(row.source);
  EXPECT_TRUE(formatted.refused);
  EXPECT_TRUE(formatted.text.empty());
  ASSERT_FALSE(formatted.findings.empty());
  EXPECT_EQ(formatted.findings[0].code, row.code);
  EXPECT_EQ(formatted.findings[0].place.line, row.line);
}

INSTANTIATE_TEST_SUITE_P(Rows, RefusalTest, testing::ValuesIn(kRefusalRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FormatSourceTest, ExampleProjectCompilesToTheSameFilesAndFormatsToItself) {
  std::filesystem::path folder = std::filesystem::path(RPGC_SOURCE_DIR) / "examples/duskvale";
  std::vector<std::string> sources;
  std::vector<std::string> formatted;
  for (const char* name :
       {"strings.txt", "items.txt", "characters.txt", "world.txt", "festival.txt", "scripts.txt"}) {
    sources.push_back(test::readFileBytes(folder / name));
    FormattedSource result = formatSource(sources.back());
    ASSERT_FALSE(result.refused) << name;
    EXPECT_TRUE(result.findings.empty()) << name;
    formatted.push_back(result.text);
    expectFixedPoint(result.text);
  }
  test::CompiledFiles before = test::compileInMemory("Duskvale", 1.0f, sources);
  test::CompiledFiles after = test::compileInMemory("Duskvale", 1.0f, formatted);
  ASSERT_TRUE(before.ok && after.ok);
  EXPECT_EQ(before.strings, after.strings);
  EXPECT_EQ(before.database, after.database);
}

}  // namespace
}  // namespace rpgc
