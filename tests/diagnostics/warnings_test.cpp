// Tests of the warnings: each row compiles a small source file and lists every finding
// shown, as "name line:column"; near misses list none.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/diagnostic_engine.h"
#include "driver/compilation.h"
#include "driver/named_use_check.h"
#include "driver/section_dispatcher.h"
#include "io/line_reader.h"
#include "support/source_fixture.h"

namespace rpgc {
namespace {

// The value of "key": in one JSON line of the engine (a number, or a string's plain text).
std::string field(std::string_view json, std::string_view key) {
  std::string pattern = "\"" + std::string(key) + "\":";
  size_t at = json.find(pattern);
  if (at == std::string_view::npos) return "?";
  at += pattern.size();
  if (json[at] == '"') {
    size_t end = json.find('"', at + 1);
    return std::string(json.substr(at + 1, end - at - 1));
  }
  return std::string(json.substr(at, json.find_first_of(",}", at) - at));
}

/// Compiles the files as the driver does and returns "name line:column" per finding (or,
/// with fixes set, the JSON list of each finding's fixes).
std::vector<std::string> findingsOf(const std::vector<std::string>& texts,
                                    const std::vector<std::string>& options = {"-Wall"},
                                    bool fixes = false) {
  std::vector<std::string> shown;
  WarningOptions warnings;
  Finding error;
  for (const std::string& option : options) {
    EXPECT_TRUE(warnings.apply(option, error)) << messageOf(error);
  }
  DiagnosticStyle style;
  style.format = DiagnosticFormat::kJson;
  DiagnosticEngine engine(warnings, style, [&](std::string_view json) {
    if (fixes) {
      size_t from = json.find("\"fixes\":[") + 9;
      shown.emplace_back(json.substr(from, json.find("],\"notes\"") - from));
      return;
    }
    shown.push_back(field(json, "name") + " " + field(json, "line") + ":" + field(json, "column"));
  });
  Compilation compilation;
  compilation.blocks.findings = &engine;
  for (size_t i = 0; i < texts.size(); ++i) {
    int32_t file = engine.addFile("f" + std::to_string(i) + ".txt");
    compilation.blocks.file = file;
    SourceLines lines = splitLines(texts[i]);
    engine.setLines(file, &lines);
    compileSource(lines, compilation);
    engine.setLines(file, nullptr);
  }
  checkNamedUses(compilation, engine);
  return shown;
}

struct WarningRow {
  const char* label;
  std::string source;
  std::vector<std::string> expected;
};

using V = std::vector<std::string>;

const WarningRow kRows[] = {
    // Lines of a body that are not assignments, with their likeliest cause.
    {"glued equals", "BEGIN quest Q\nFLOAT Weight=0.5\nEND\n\n", V{"not-assignment 2:7"}},
    {"no equals", "BEGIN quest Q\nFLOAT Weight 0.5 2\nEND\n\n", V{"not-assignment 2:14"}},
    {"no type word", "BEGIN quest Q\nWeight = 0.5\nEND\n\n", V{"not-assignment 2:1"}},
    {"no value", "BEGIN quest Q\nFLOAT Weight =\nEND\n\n", V{"not-assignment 2:14"}},
    {"commas in the header words", "BEGIN quest Q\nFLOAT, Weight, =, 1.5\nEND\n\n",
     V{"not-assignment 2:6"}},
    {"assignments pass", "BEGIN quest Q\nFLOAT Weight = 0.5\n  ; a comment\n\nEND\n\n", V{}},
    {"a script's lines are not assignments", "SCRIPT S\n  if x then y\n  end\nEND\n\n", V{}},
    // Type words.
    {"misspelled type word", "BEGIN quest Q\nFLAOT Speed = 1\nEND\n\n", V{"unknown-type-word 2:1"}},
    {"type word in lower case", "BEGIN character C\nfloat Speed = 1\nEND\n\n",
     V{"unknown-type-word 2:1"}},
    {"type word an item ignores", "BEGIN item I\nINTEGER Price = 10\nFLOATS W = 1 2\nEND\n\n",
     V{"ignored-type-word 2:1", "ignored-type-word 3:1"}},
    {"a fixed field takes any type word", "BEGIN item I\nINTEGER Type = x\nEND\n\n", V{}},
    // Layout.
    {"header right after END", "STRING A\nx\nEND\nSTRING B\ny\nEND\n\n",
     V{"unexamined-header 4:1"}},
    {"header on the last line", "STRING A\nx\nEND\n\nSTRING B", V{"unexamined-header 5:1"}},
    {"headers after an empty line", "STRING A\nx\nEND\n\nSTRING B\ny\nEND\n\n", V{}},
    {"keyword in lower case", "begin item X\nATOM Type = a\nEND\n\n", V{"keyword-case 1:1"}},
    {"END in another case", "BEGIN quest Q\nEnd\nEND\n\n", V{"keyword-case 2:1"}},
    {"line outside sections", "Garbage here\n\n", V{"stray-line 1:1"}},
    {"comments and blanks outside sections", "; notes\n   \n// more\n\n", V{}},
    {"misspelled section keyword", "BEGN item P\nATOM Type = x\nEND\n\n",
     V{"misspelled-keyword 1:1"}},
    {"misspelled block kind", "BEGIN charcter H\nEND\n\n", V{"misspelled-keyword 1:7"}},
    {"a kind of its own", "BEGIN quest H\nEND\n\n", V{}},
    {"block runs into the next header", "BEGIN quest A\nINTEGER R = 5\nBEGIN quest B\nEND\n\n",
     V{"missing-end 3:1"}},
    {"block runs to the end of the file", "BEGIN quest A\nINTEGER R = 5\n\n", V{"missing-end 1:1"}},
    {"string section runs to the end of the file", "STRING A\nHello\n\n", V{"missing-end 1:1"}},
    {"string section runs into a header", "STRING A\nHello\nBEGIN quest B\nEND\n\n",
     V{"missing-end 3:1"}},
    // Values.
    {"text for a number", "BEGIN quest Q\nINTEGER H = thirty\nEND\n\n", V{"not-a-number 2:13"}},
    {"hexadecimal and infinity", "BEGIN quest Q\nFLOAT H = 0x10\nFLOAT I = inf\nEND\n\n",
     V{"not-a-number 2:11", "not-a-number 3:11"}},
    {"text after a number", "BEGIN quest Q\nFLOAT S = 4.5kg\nINTEGER I = 4.5\nEND\n\n",
     V{"number-trailing-text 2:11", "number-trailing-text 3:13"}},
    {"numbers out of range",
     "BEGIN quest Q\nINTEGER B = 3000000000\nFLOAT H = 1e39\nFLOAT T = 1e-50\nEND\n\n",
     V{"number-range 2:13", "number-range 3:11", "number-range 4:11"}},
    {"numbers in range", "BEGIN quest Q\nINTEGER B = -2147483648\nFLOAT H = 3.4e38\nEND\n\n", V{}},
    {"comma in a list", "BEGIN quest Q\nINTEGERS L = 1, 2\nATOMS A = a ,b\nEND\n\n",
     V{"list-comma 2:15", "list-comma 3:13"}},
    {"decimal comma", "BEGIN item I\nFLOAT W = 4,25\nEND\n\n", V{"list-comma 2:11"}},
    {"a range written with a comma", "BEGIN item I\nFLOAT W = 1.5, 3\nFLOAT V = 2 to 5\nEND\n\n",
     V{}},
    {"extra values", "BEGIN quest Q\nFLOAT T = 1 2\nEND\n\nBEGIN item I\nFLOAT R = 2 5\nEND\n\n",
     V{"extra-values 2:13", "extra-values 6:13"}},
    {"comment inside a word", "BEGIN quest Q\nATOM M = models/x.mdl\nATOM N = a;b\nEND\n\n",
     V{"comment-in-word 2:16", "comment-in-word 3:11"}},
    {"comment after a blank", "BEGIN quest Q\nATOM M = models /x.mdl\nEND\n\n", V{}},
    {"unknown character type", "BEGIN character C\nATOM Type = Monster\nEND\n\n",
     V{"unknown-character-type 2:13"}},
    {"character types",
     "BEGIN character C\nATOM Type = monster\nEND\n\n"
     "BEGIN character D\nATOM Type = character\nEND\n\n",
     V{}},
    {"unknown string flag", "STRING G random\nHi\nEND\n\n", V{"unknown-flag 1:10"}},
    {"extra tokens", "BEGIN item S extra\nEND of it\n\nSTRING G\nHi\nEND ; done\nEND\n\n",
     V{"extra-tokens 1:14", "extra-tokens 2:5", "extra-tokens 6:1"}},
    {"commas in a header", "BEGIN, item, Sword\nEND\n\n", V{"extra-tokens 1:6"}},
    {"extended object", "BEGIN quest Q\nEND\n\nBEGIN quest Q\nEND\n\n", V{"extended-object 4:13"}},
    {"references", "BEGIN quest Q\nREFERENCE R = Nobody\nREFERENCES S = Q Nobody\nEND\n\n",
     V{"unresolved-reference 2:15", "unresolved-reference 3:18"}},
    {"character choices name objects", "BEGIN character C\nATOMS WeaponChoice = C Axe\nEND\n\n",
     V{"unresolved-reference 2:24"}},
    {"string names", "BEGIN item I\nATOMS STR_Desc = D NoSuch\nEND\n\nSTRING D\nx\nEND\n\n",
     V{"unresolved-string 2:20"}},
    {"no name", "BEGIN item\nEND\n\nSTRING\nx\nEND\n\n",
     V{"missing-name 1:11", "missing-name 4:7"}},
    {"two string sections of one name", "STRING A\nx\nEND\n\nSTRING A\ny\nEND\n\n",
     V{"duplicate-string 5:8"}},
    {"misspelled fields",
     "BEGIN item I\nATOM type = weapon\nEND\n\n"
     "BEGIN character C\nATOMS weaponchoice = I\nEND\n\n",
     V{"misspelled-field 2:6", "misspelled-field 6:7"}},
    {"property set twice in a block",
     "BEGIN item I\nATOM Type = a\nINTEGER Type = b\nFLOAT W = 1\nFLOAT W = 2\nEND\n\n"
     "BEGIN character C\nATOM Type = crowd\nATOM Type = player\nINTEGER S = 1\nINTEGER S = 2\n"
     "END\n\n",
     V{"duplicate-property 3:9", "duplicate-property 5:7", "duplicate-property 10:6",
       "duplicate-property 12:9"}},
    {"property set again by a later block",
     "BEGIN quest Q\nINTEGER R = 5\nEND\n\nBEGIN quest Q\nINTEGER R = 6\nEND\n\n",
     V{"extended-object 5:13", "duplicate-property 6:9"}},
    {"a character's type, decided by each block, said again by a later block",
     "BEGIN character C\nATOM Type = crowd\nEND\n\nBEGIN character C\nATOM Type = crowd\n"
     "ATOM Type = monster\nEND\n\n",
     V{"extended-object 5:17", "duplicate-property 7:6"}},
    {"a block that extends its object with other properties",
     "BEGIN quest Q\nINTEGER R = 5\nATOM R = x\nEND\n\nBEGIN quest Q\nINTEGER S = 6\nEND\n\n"
     "BEGIN quest P\nINTEGER R = 5\nEND\n\n",
     V{"extended-object 6:13"}},
    {"block repeated line for line",
     "BEGIN item I\nFLOAT W = 1\nEND\n\nBEGIN item I\nFLOAT  W = 1 ; again\nEND\n\n",
     V{"extended-object 5:12", "duplicate-block 5:12"}},
    {"blocks that differ in a value, or are empty",
     "BEGIN item I\nFLOAT W = 1\nEND\n\nBEGIN item I\nFLOAT W = 2\nEND\n\n"
     "BEGIN quest Q\nEND\n\nBEGIN quest Q\nEND\n\n",
     V{"extended-object 5:12", "duplicate-property 6:7", "extended-object 12:13"}},
    {"invisible characters in names",
     "BEGIN item Bread\xC2\xA0\nATOM Type\xE2\x80\x8B = food\nREFERENCE M = Tom\xC2\xA0"
     "as\n"
     "FLOAT\xC2\xA0Weight = 1\nEND\n\nSTRING\xE2\x80\x8B A\nx\nEND\n\n",
     V{"invisible-character 1:12", "invisible-character 2:6", "invisible-character 3:15",
       "invisible-character 4:1", "invisible-character 7:1", "unresolved-reference 3:15"}},
    {"letters that are not ASCII",
     "BEGIN item Caf\xC3\xA9\nATOM Type = \xC3\xA9"
     "p\xC3\xA9\nEND\n\n",
     V{}},
    {"misspelled field with a wrong type word", "BEGIN item I\nATOMS STR_desc = X\nEND\n\n",
     V{"misspelled-field 2:7"}},
    {"misspelled field in a character, type word unknown",
     "BEGIN character C\nATOMZ WeaponChoise = I\nEND\n\n", V{"misspelled-field 2:7"}},
    {"a designer's own property", "BEGIN character C\nINTEGER Rolle = 1\nEND\n\n", V{}},
};

// Fixes: what the finding's "did you mean" or "write" says, as a replacement of its range.
TEST(WarningsTest, FindingsSayHowToFixWhatTheyCan) {
  auto fix = [](int line, int column, int end, std::string text) {
    return "{\"line\":" + std::to_string(line) + ",\"column\":" + std::to_string(column) +
           ",\"endColumn\":" + std::to_string(end) + ",\"replacement\":\"" + text + "\"}";
  };
  EXPECT_EQ(findingsOf({"BEGIN character Tomas\nEND\n\nSTRING TomasDesc\nx\nEND\n\n"
                        "BEGIN quest Q\n  FLAOT W = 1\nREFERENCE M = Tomass\n"
                        "ATOM STR_D = TomasDsc\nINTEGERS L = 1,2\nFLOATS F = 4,5\nEND\n\n"
                        "BEGN item X\nEND\n\nbegin item Y\nEND\n\nBEGIN charcter H\nEND\n\n"
                        "BEGIN item I\nATOM type = x\nEND\n\n"},
                       {"-Wall"}, true),
            (V{fix(9, 3, 8, "FLOAT"), fix(12, 14, 17, "1 2"), fix(13, 12, 15, "4.5"),
               fix(16, 1, 5, "BEGIN"), fix(19, 1, 6, "BEGIN"), fix(22, 7, 15, "character"),
               fix(26, 6, 10, "Type"), fix(10, 15, 21, "Tomas"), fix(11, 14, 22, "TomasDesc")}))
      << "the references come last, once every file is compiled";
  // Near misses: nothing close enough to guess, and a guess the budget of a run still
  // affords for every distinct name.
  // A missing type word: the field's own, or what the values read as.
  EXPECT_EQ(findingsOf({"BEGIN character C\nCrowdMin = 3\nAbilityLevel = 1 2\nStrength = 1.5\n"
                        "END\n\nBEGIN item I\nSTR_Desc = D\nWeight = 2\nEND\n\n"
                        "BEGIN quest Q\nTags = a b\nEND\n\n"},
                       {"-Wno-unresolved-string"}, true),
            (V{fix(2, 1, 1, "INTEGER "), fix(3, 1, 1, "INTEGERS "), fix(4, 1, 1, "FLOAT "),
               fix(8, 1, 1, "ATOMS "), fix(9, 1, 1, "FLOAT "), fix(13, 1, 1, "ATOMS ")}));
  // Layout: '=' set apart, a comma taken out, END added before the header a section runs
  // into or at the end of the file (the line after the last).
  EXPECT_EQ(findingsOf({"BEGIN quest Q\nFLOAT Weight=0.5\nATOMS Tags = a , b\nINTEGERS L = 1 ,2\n"
                        "END\n\nSTRING S\ntext\nBEGIN quest R\nEND\n\nBEGIN quest T\nATOM A = x\n"},
                       {"-Wall"}, true),
            (V{fix(2, 7, 17, "Weight = 0.5"), fix(3, 15, 17, ""), fix(4, 15, 17, " "),
               fix(9, 1, 1, "END\\n\\n"), fix(14, 1, 1, "END\\n")}));
  EXPECT_EQ(findingsOf({"BEGIN quest Q\nREFERENCE M = Zebulon\nINTEGERS L = 1 2\nEND\n\n"},
                       {"-Wall"}, true),
            V{""});
}

class WarningRows : public ::testing::TestWithParam<WarningRow> {};

TEST_P(WarningRows, ShowExactlyTheExpectedFindings) {
  EXPECT_EQ(findingsOf({GetParam().source}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sources, WarningRows, ::testing::ValuesIn(kRows), test::RowLabel());

TEST(WarningOptionsTest, NamesTurnWarningsOffAndOn) {
  std::string source = "BEGIN quest Q\nFLOAT Weight=0.5\nEND\n\nBEGIN quest Q\nEND\n\n";
  EXPECT_EQ(findingsOf({source}, {}), V{"not-assignment 2:7"}) << "extended-object is off";
  EXPECT_EQ(findingsOf({source}, {"-Wno-not-assignment"}), V{});
  EXPECT_EQ(findingsOf({source}, {"-Wextended-object", "-w"}), V{});
  EXPECT_EQ(findingsOf({source}, {"-Werror=extended-object"}),
            (V{"not-assignment 2:7", "extended-object 5:13"}));
  WarningOptions options;
  Finding error;
  EXPECT_FALSE(options.apply("-Wno-unresolved-referenc", error));
  EXPECT_EQ(messageOf(error),
            "unknown warning 'unresolved-referenc'; did you mean 'unresolved-reference'?");
  EXPECT_TRUE(options.apply("-Werror=list-comma", error));
  EXPECT_EQ(options.severity(FindingCode::kDecimalComma), Severity::kError);
  EXPECT_EQ(options.severity(FindingCode::kStrayLine), Severity::kWarning);

  // Other compilers' group names take their nearest meaning here.
  EXPECT_EQ(findingsOf({source}, {"-Wextra"}), (V{"not-assignment 2:7", "extended-object 5:13"}));
  EXPECT_EQ(findingsOf({source}, {"-Wno-all", "-Wextended-object"}), V{"extended-object 5:13"});
  WarningOptions all;
  EXPECT_TRUE(all.apply("-Werror=all", error));
  EXPECT_EQ(all.severity(FindingCode::kExtendedObject), Severity::kError);
  EXPECT_TRUE(all.shown(FindingCode::kExtendedObject));
  EXPECT_TRUE(all.apply("-Wno-error=all", error));
  EXPECT_EQ(all.severity(FindingCode::kExtendedObject), Severity::kWarning);
}

TEST(WarningOptionsTest, ContentGroupNamesWarningsThatExist) {
  size_t members = 0;
  for (std::string_view name : warningNames()) members += isContentWarning(name) ? 1 : 0;
  WarningOptions options;
  Finding error;
  EXPECT_TRUE(options.apply("-Werror=content", error));
  EXPECT_EQ(options.severity(FindingCode::kDuplicatePropertyInBlock), Severity::kError);
  EXPECT_EQ(options.severity(FindingCode::kDecimalComma), Severity::kError);
  EXPECT_EQ(options.severity(FindingCode::kStrayLine), Severity::kWarning);
  EXPECT_EQ(options.severity(FindingCode::kUnresolvedReference), Severity::kWarning);
  EXPECT_EQ(members, 20u) << "a name of the group that is no warning's";
}

TEST(WarningsTest, FindingsAcrossFilesPointAtBothPlaces) {
  // A reference is checked against every file's objects, once all are compiled.
  EXPECT_EQ(findingsOf({"BEGIN quest Q\nREFERENCE R = Later\nEND\n\n",
                        "BEGIN item Later\nEND\n\nBEGIN quest Q\nEND\n\n"}),
            V{"extended-object 4:13"});
}

TEST(WarningsTest, ByteOrderMarkIsNotPartOfTheFirstHeader) {
  EXPECT_EQ(findingsOf({"\xEF\xBB\xBF"
                        "BEGIN quest Q\nEND\n\nBEGIN quest Q\nEND\n\n"}),
            V{"extended-object 4:13"});
}

}  // namespace
}  // namespace rpgc
