// Tests of how findings are shown: the caret under tabs and UTF-8 text, long lines, names
// with control bytes, notes, held findings in line order, and JSON strings of any bytes.
#include "diagnostics/diagnostic_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnostics/text_escape.h"
#include "io/line_reader.h"
#include "rpgc/read_status.h"

namespace rpgc {
namespace {

class DiagnosticEngineTest : public ::testing::Test {
 protected:
  DiagnosticEngine& engine(DiagnosticFormat format = DiagnosticFormat::kText) {
    DiagnosticStyle style;
    style.format = format;
    engine_.emplace(WarningOptions(), style, [this](std::string_view text) { out_ += text; });
    return *engine_;
  }

  std::string out_;
  std::optional<DiagnosticEngine> engine_;
};

TEST_F(DiagnosticEngineTest, CaretFollowsTabsAndCharactersNotBytes) {
  DiagnosticEngine& e = engine();
  SourceLines lines = splitLines("\tATOM Caf\xC3\xA9 = x;y\n");
  int32_t file = e.addFile("a.txt");
  e.setLines(file, &lines);
  e.report(Finding(FindingCode::kCommentInWord, SourcePlace::atColumn(file, 0, 16))
               .with(";")
               .with("x;y")
               .with("x"));
  e.report(Finding(FindingCode::kStrayLine, SourcePlace::atToken(file, 0, 1)));
  e.setLines(file, nullptr);
  EXPECT_EQ(out_,
            "a.txt:1:7: warning: this line is outside any section and is ignored [-Wstray-line]\n"
            "    1 | \tATOM Caf\xC3\xA9 = x;y\n"
            "      | \t     ^~~~\n"
            "a.txt:1:16: warning: ';' starts a comment even inside a word: 'x;y' is cut to 'x' "
            "[-Wcomment-in-word]\n"
            "    1 | \tATOM Caf\xC3\xA9 = x;y\n"
            "      | \t             ^\n")
      << "held findings come out in the order of their columns";
}

TEST_F(DiagnosticEngineTest, LongLinesAreShownAroundTheColumn) {
  DiagnosticEngine& e = engine();
  std::string line = "ATOMS L = " + std::string(300, 'a') + " bad " + std::string(300, 'b');
  SourceLines lines = splitLines(line);
  int32_t file = e.addFile("long.txt");
  e.setLines(file, &lines);
  e.report(Finding(FindingCode::kStrayLine, SourcePlace::atColumn(file, 0, 312)));
  e.setLines(file, nullptr);
  size_t first = out_.find('\n') + 1;
  size_t second = out_.find('\n', first) + 1;
  std::string shown = out_.substr(first, second - first);
  std::string caret = out_.substr(second);
  EXPECT_TRUE(shown.starts_with("    1 | \u2026aaa")) << shown;
  EXPECT_LT(shown.size(), 200u) << "a window of the line, not all of it";
  // The ellipsis is one column wide in three bytes.
  EXPECT_EQ(caret.find("^~~\n"), shown.find("bad") - 2) << "the caret stands under 'bad'";
}

// Regression (found by the source fuzzer as a slow input): a line of 200,000 commas gave
// 200,000 warnings, each printing the whole line: output quadratic in the line.
TEST_F(DiagnosticEngineTest, FindingsFloodingOneLineAreCountedNotRepeated) {
  for (DiagnosticFormat format : {DiagnosticFormat::kText, DiagnosticFormat::kJson}) {
    out_.clear();
    DiagnosticEngine& e = engine(format);
    SourceLines lines = splitLines("ATOMS A = , , , , ,\nATOMS B = ,\n");
    int32_t file = e.addFile("c.txt");
    e.setLines(file, &lines);
    for (int32_t column : {11, 13, 15, 17, 19}) {
      e.report(Finding(FindingCode::kListComma, SourcePlace::atColumn(file, 0, column)));
    }
    e.report(Finding(FindingCode::kListComma, SourcePlace::atColumn(file, 1, 11)));
    e.setLines(file, nullptr);
    EXPECT_EQ(e.warningCount(), 6);
    size_t shown = 0;
    for (size_t at = out_.find("[-Wlist-comma]"); at != std::string::npos;
         at = out_.find("[-Wlist-comma]", at + 1)) {
      ++shown;
    }
    if (format == DiagnosticFormat::kJson) {
      EXPECT_EQ(std::count(out_.begin(), out_.end(), '\n'), 6) << "JSON keeps every finding";
      continue;
    }
    EXPECT_EQ(shown, 5u) << out_;  // three, the note, and line 2's own
    size_t note = out_.find(
        "c.txt:1: note: 2 more warnings like this on this line are not shown [-Wlist-comma]\n");
    EXPECT_NE(note, std::string::npos) << out_;
    EXPECT_LT(note, out_.find("c.txt:2:11:")) << "the note ends its line's findings";
  }
}

TEST_F(DiagnosticEngineTest, NamesAndNotesStayOnTheirLines) {
  DiagnosticEngine& e = engine();
  int32_t file = e.addFile("new\nline.txt");
  Finding finding(FindingCode::kCannotOpenSource, SourcePlace());
  e.report(finding.with("bad\x01name\n.txt").with("No such file"));
  EXPECT_EQ(out_, "rpgc: error: cannot open source file 'bad\\x01name\\n.txt': No such file\n");
  out_.clear();
  Finding duplicate(FindingCode::kDuplicateString, SourcePlace{file, -1, -1, 0});
  duplicate.related = SourcePlace{file, -1, -1, 0};
  duplicate.relatedNote = FindingCode::kNoteDeclaredHere;
  e.report(duplicate.with(std::string(200, 'n')));
  EXPECT_EQ(out_, "new\\nline.txt: warning: a string section named '" + std::string(40, 'n') +
                      "\u2026" + std::string(40, 'n') +
                      "' exists already; both are stored [-Wduplicate-string]\n"
                      "new\\nline.txt: note: '" +
                      std::string(40, 'n') + "\u2026" + std::string(40, 'n') +
                      "' is declared here\n");
  EXPECT_EQ(e.warningCount(), 1);
  EXPECT_EQ(e.errorCount(), 1);
}

// The section a finding is in: a line before the section's first finding in text, a field
// of each finding inside it in JSON; none for a finding on a header or outside sections.
TEST_F(DiagnosticEngineTest, FindingsInsideSectionsNameTheirSection) {
  SourceLines lines = splitLines(
      "BEGIN item WoodAxe\nx\ny\nEND\n\nBEGIN qu\xE9st Q\nx\nEND\n\nSTRING S\nx\nEND\n\n"
      "SCRIPT Go\nx\nEND\n\nx\n");
  const int32_t findingLines[] = {1, 2, 5, 6, 10, 14, 17};
  std::vector<std::string> shown[2];
  for (DiagnosticFormat format : {DiagnosticFormat::kText, DiagnosticFormat::kJson}) {
    out_.clear();
    DiagnosticEngine& e = engine(format);
    int32_t file = e.addFile("a.txt");
    e.setLines(file, &lines);
    for (int32_t line : findingLines) {
      e.report(Finding(FindingCode::kStrayLine, SourcePlace::atToken(file, line, 0)));
    }
    for (auto [header, last] : {std::pair{0, 3}, {5, 7}, {9, 11}, {13, 15}}) {
      e.sectionRead(file, header, last);
    }
    e.setLines(file, nullptr);
    std::vector<std::string>& rows = shown[format == DiagnosticFormat::kJson];
    for (size_t at = 0, end; (end = out_.find('\n', at)) != std::string::npos; at = end + 1) {
      std::string row = out_.substr(at, end - at);
      if (format == DiagnosticFormat::kText) {
        if (row.starts_with("a.txt: in ")) rows.push_back(row);
        continue;
      }
      size_t context = row.find(",\"context\":");
      rows.push_back(context == std::string::npos
                         ? "none"
                         : row.substr(context + 11, row.find('}', context) - context - 10));
    }
  }
  EXPECT_EQ(shown[0], (std::vector<std::string>{
                          "a.txt: in item 'WoodAxe':", "a.txt: in `qu\\xe9st` object 'Q':",
                          "a.txt: in string section 'S':", "a.txt: in script 'Go':"}));
  const char* item = R"({"kind":"item","name":"WoodAxe","line":1})";
  EXPECT_EQ(shown[1], (std::vector<std::string>{
                          item, item, "none",
                          R"({"kind":"object","typeWord":"qu\udce9st","name":"Q","line":6})",
                          R"({"kind":"string-section","name":"S","line":10})",
                          R"({"kind":"script","name":"Go","line":14})", "none"}));
}

// Regression: bytes 0x80 to 0xFF went to the terminal as they were, 0x9B (a control
// sequence's start) among them.
TEST_F(DiagnosticEngineTest, BytesThatAreNotUtf8AndC1ControlsAreNotPrintedRaw) {
  DiagnosticEngine& e = engine();
  SourceLines lines = splitLines(
      "ATOM \xE9\xC2\x9B"
      "b = \x80x y\n");
  int32_t file = e.addFile(
      "\x9B"
      "a.txt");
  e.setLines(file, &lines);
  e.report(Finding(FindingCode::kStrayLine, SourcePlace::atToken(file, 0, 3)));
  e.setLines(file, nullptr);
  EXPECT_EQ(out_,
            "\\x9ba.txt:1:13: warning: this line is outside any section and is ignored "
            "[-Wstray-line]\n"
            "    1 | ATOM ??b = ?x y\n"
            "      |            ^~\n")
      << "one '?' and one column for each character not shown";
}

// Regression: a byte that is not UTF-8 was written as the character of the same value
// (\u00e9 for the byte E9), the same as the UTF-8 letter; it is now the surrogate escape,
// as in rpgdump's JSON.
TEST_F(DiagnosticEngineTest, JsonStringsGiveEveryByteBack) {
  EXPECT_EQ(jsonString("caf\xC3\xA9 \xE9t\xC3"), "\"caf\xC3\xA9 \\udce9t\\udcc3\"");
  DiagnosticEngine& e = engine(DiagnosticFormat::kJson);
  e.report(Finding(FindingCode::kUsageUnknownOption, SourcePlace()).with("-x"));
  EXPECT_EQ(out_,
            "{\"file\":null,\"line\":null,\"column\":null,\"endColumn\":null,\"severity\":"
            "\"error\",\"name\":\"usage\",\"message\":\"unknown option '-x'\",\"fixes\":[],"
            "\"notes\":[]}\n");
}

// Running out of memory is said without allocating, a piece at a time: the same line as
// the finding rendered the usual way, in both formats and in colour.
TEST_F(DiagnosticEngineTest, OutOfMemoryIsTheLineTheFindingWouldGive) {
  for (DiagnosticFormat format : {DiagnosticFormat::kText, DiagnosticFormat::kJson}) {
    for (bool color : {false, true}) {
      DiagnosticStyle style;
      style.format = format;
      style.color = color;
      std::string rendered;
      std::string piecewise;
      DiagnosticEngine usual(WarningOptions(), style, [&](std::string_view t) { rendered += t; });
      DiagnosticEngine sparing(WarningOptions(), style,
                               [&](std::string_view t) { piecewise += t; });
      usual.report(Finding(FindingCode::kOutOfMemory, SourcePlace()));
      sparing.reportOutOfMemory(FindingCode::kOutOfMemory);
      EXPECT_EQ(piecewise, rendered);
      EXPECT_EQ(sparing.errorCount(), 1);
    }
  }
}

// The message table words the data a finding carries; a text that is not what its
// placeholder expects is quoted as it is.
TEST(MessageTableTest, PlaceholdersWordTheirData) {
  struct Row {
    Finding finding;
    const char* message;
  };
  auto finding = [](FindingCode code) { return Finding(code, SourcePlace()); };
  const Row rows[] = {
      {finding(FindingCode::kExtraValues).with("x").with(1),
       "this line takes one value; 'x' is ignored"},
      {finding(FindingCode::kExtraValues).with("x").with(2),
       "this line takes one value; 'x' and what follows are ignored"},
      {finding(FindingCode::kRunsToEndOfFile).withKind(SectionKind::kObject, "quest").with("Q"),
       "the `quest` object 'Q' has no END line: it takes every line up to the end of the file"},
      {finding(FindingCode::kRunsToEndOfFile).withKind(SectionKind::kObject).with("Q"),
       "the object 'Q' has no END line: it takes every line up to the end of the file"},
      {finding(FindingCode::kNameConflict)
           .with("A")
           .withKind(SectionKind::kItem)
           .withKind(SectionKind::kObject, "quest"),
       "'A' is already an item; a `quest` object cannot have the same name"},
      {finding(FindingCode::kMisspelledField)
           .with("Typ")
           .withKind(SectionKind::kCharacter)
           .with("Type"),
       "'Typ' is not a field of characters; did you mean 'Type'? This line declares a property "
       "of its own"},
      {finding(FindingCode::kReadBadEnd)
           .with(static_cast<int64_t>(FilePart::kProperty))
           .with(40)
           .with(-3),
       "a property chunk has an end offset (-3) that does not fit its record at offset 40"},
      {finding(FindingCode::kReadTruncated).with("junk").with(""),
       "junk runs past the end of junk"},
      {finding(FindingCode::kSourceNotOneWord)
           .with(static_cast<int64_t>(SourceFormPlace::kProperty))
           .with("a b")
           .with("P")
           .with(7)
           .with(static_cast<int64_t>(SourceWordRole::kValue))
           .with("x y"),
       "cannot be written as source: object \"a b\", property P: the value \"x y\" holds a blank, "
       "',', ';' or '/' and would not read back as one word at offset 7"},
      {finding(FindingCode::kDescriptionTooShort).with(1),
       "the description has 1 line, fewer than 4, so it is ignored and the defaults apply"},
  };
  for (const Row& row : rows) EXPECT_EQ(messageOf(row.finding), row.message);
}

}  // namespace
}  // namespace rpgc
