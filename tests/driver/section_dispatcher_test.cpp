// Tests of compileSource: which lines are examined as section headers, which parser gets
// which header tokens, and how a failing section ends the walk.
#include "driver/section_dispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/atom_table.h"
#include "driver/compilation.h"
#include "model/f_character.h"
#include "model/f_generic.h"
#include "model/f_item.h"
#include "support/finding_recorder.h"

namespace rpgc {
namespace {

SourceLines linesOf(const std::vector<const char*>& texts) {
  SourceLines lines;
  for (const char* text : texts) lines.push(text);
  return lines;
}

std::string nameText(const Compilation& c, Atom atom) {
  return atom == kNoAtom ? "-" : std::string(c.atoms.atomView(atom));
}

/// "class name" per registered object, in registry order ("-" for no name).
std::vector<std::string> objectsOf(const Compilation& c) {
  std::vector<std::string> out;
  for (int32_t i = 0; i < c.registry.count(); ++i) {
    const GameObject* object = c.registry.at(i);
    out.push_back(std::string(object->classNameText()) + " " + nameText(c, object->name()));
  }
  return out;
}

/// "name:text|text" per string section, with " RANDOM" when flagged.
std::vector<std::string> sectionsOf(const Compilation& c) {
  std::vector<std::string> out;
  for (int32_t i = 0; i < c.strings.count(); ++i) {
    const StringSection& section = c.strings.at(i);
    std::string line = nameText(c, section.name) + ":";
    for (int32_t k = 0; k < section.texts.length(); ++k) {
      if (k > 0) line += "|";
      line += section.texts[k].view();
    }
    if (section.random) line += " RANDOM";
    out.push_back(line);
  }
  return out;
}

bool compileLines(Compilation& c, const std::vector<const char*>& texts) {
  c.blocks.file = 0;
  SourceLines lines = linesOf(texts);
  return compileSource(lines, c);
}

class SectionDispatcherTest : public ::testing::Test {
 protected:
  SectionDispatcherTest() { compilation_.blocks.findings = &errors_; }
  bool compile(const std::vector<const char*>& texts) { return compileLines(compilation_, texts); }
  std::string nameText(Atom atom) const { return rpgc::nameText(compilation_, atom); }
  std::vector<std::string> objects() const { return objectsOf(compilation_); }
  std::vector<std::string> sections() const { return sectionsOf(compilation_); }

  Compilation compilation_;
  test::FindingRecorder errors_;
};

using Names = std::vector<std::string>;

TEST_F(SectionDispatcherTest, WhichLinesStartSections) {
  struct Row {
    const char* what;
    std::vector<const char*> lines;
    Names objects;
    Names sections;
  };
  const Row rows[] = {
      {"no lines", {}, {}, {}},
      {"a single line is never examined", {"BEGIN item Sword"}, {}, {}},
      {"the last line is never examined", {"", "STRING Greetings"}, {}, {}},
      {"a header on the second-last line", {"STRING Greetings", "END"}, {}, {"Greetings:"}},
      {"lower-case keyword", {"begin item Sword", "FLOAT Weight = 1", "END", ""}, {}, {}},
      {"other capitalisation", {"Begin item Sword", "String A", "END", ""}, {}, {}},
      {"item block", {"BEGIN item Sword", "END", ""}, {"F_item Sword"}, {}},
      {"fourth header token ignored", {"BEGIN item Sword Extra", "END", ""}, {"F_item Sword"}, {}},
      {"item without a name", {"BEGIN item", "END", ""}, {"F_item -"}, {}},
      {"character block", {"BEGIN character Hero", "END", ""}, {"F_character Hero"}, {}},
      {"block of another type word", {"BEGIN quest Q1", "END", ""}, {"F_generic Q1"}, {}},
      {"BEGIN alone", {"BEGIN", "INTEGER Reward = 5", "END", ""}, {"F_generic -"}, {}},
      {"commas in a header", {"BEGIN, item, Sword", "END", ""}, {"F_generic item"}, {}},
      {"leading blanks before the header",
       {"  \t BEGIN item Sword", "END", ""},
       {"F_item Sword"},
       {}},
      {"comment after the header", {"BEGIN item Sword ; a blade", "END", ""}, {"F_item Sword"}, {}},
      {"comments, stray END and other lines",
       {"; BEGIN item A", "/ BEGIN item B", "END", "Type = x", "BEGIN item Sword", "END", ""},
       {"F_item Sword"},
       {}},
      {"SCRIPT alone", {"SCRIPT", "BEGIN item Sword", "END", ""}, {}, {}},
      {"script body is not examined",
       {"SCRIPT s", "STRING Inside", "x", "END", "", "BEGIN item Sword", "END", ""},
       {"F_item Sword"},
       {}},
      {"header right after END is skipped",
       {"STRING A", "one", "END", "STRING B", "two", "END", ""},
       {},
       {"A:one"}},
      {"header after an empty line",
       {"STRING A", "one", "END", "", "STRING B", "two", "END", ""},
       {},
       {"A:one", "B:two"}},
      {"header two lines after END",
       {"STRING A", "END", "x", "STRING B", "END", ""},
       {},
       {"A:", "B:"}},
      {"STRING alone", {"STRING", "Hi", "END", ""}, {}, {"-:Hi"}},
      {"flag token passed", {"STRING G RANDOM", "Hi", "END", ""}, {}, {"G:Hi RANDOM"}},
      {"string section without END ends the walk",
       {"STRING A", "x", "BEGIN item Sword", "y"},
       {},
       {"A:x|BEGIN item Sword|y"}},
      {"block without END ends the walk",
       {"BEGIN item Sword", "FLOAT W = 1", "STRING A", "x"},
       {"F_item Sword"},
       {}},
      {"every kind in one file",
       {"STRING Greeting",
        "Hello",
        "END",
        "",
        "BEGIN item Sword",
        "END",
        "",
        "SCRIPT Intro",
        "BEGIN item Ghost",
        "END",
        "",
        "BEGIN character Hero",
        "END",
        "",
        "BEGIN location Inn",
        "END",
        "",
        "STRING Farewell RANDOM",
        "Bye",
        "END",
        ""},
       {"F_item Sword", "F_character Hero", "F_generic Inn"},
       {"Greeting:Hello", "Farewell:Bye RANDOM"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Compilation c;
    test::FindingRecorder errors;
    c.blocks.findings = &errors;
    EXPECT_TRUE(compileLines(c, row.lines));
    EXPECT_TRUE(errors.errors.empty());
    EXPECT_EQ(objectsOf(c), row.objects);
    EXPECT_EQ(sectionsOf(c), row.sections);
  }
}

TEST_F(SectionDispatcherTest, HeaderTokensReachTheGenericParser) {
  ASSERT_TRUE(
      compile({"BEGIN", "INTEGER Reward = 5", "END", "", "BEGIN quest Q1 more", "END", ""}));
  ASSERT_EQ(compilation_.registry.count(), 2);
  auto* unnamed = dynamic_cast<F_generic*>(compilation_.registry.at(0));
  ASSERT_NE(unnamed, nullptr);
  EXPECT_EQ(unnamed->name(), kNoAtom);
  EXPECT_EQ(unnamed->Type, kNoAtom);  // absent type word
  ASSERT_EQ(unnamed->IntegerPropertyName.length(), 1);
  EXPECT_EQ(nameText(unnamed->IntegerPropertyName[0]), "Reward");
  auto* quest = dynamic_cast<F_generic*>(compilation_.registry.at(1));
  ASSERT_NE(quest, nullptr);
  EXPECT_EQ(nameText(quest->name()), "Q1");
  EXPECT_EQ(nameText(quest->Type), "quest");
  EXPECT_EQ(compilation_.atoms.find("more"), kNoAtom);  // the fourth token is not used
}

TEST_F(SectionDispatcherTest, FailingSectionStopsTheWalk) {
  EXPECT_FALSE(compile({"STRING Before", "text", "END", "",                    // 0..3
                        "BEGIN item Sword", "FLOAT Weight = 2", "END", "",     // 4..7
                        "BEGIN quest Sword", "INTEGER Reward = 5", "END", "",  // 8..11
                        "BEGIN item Shield", "END", "",                        // 12..14
                        "STRING After", "text", "END", ""}));
  EXPECT_EQ(objects(), (Names{"F_item Sword"}));
  EXPECT_EQ(sections(), (Names{"Before:text"}));
  auto* sword = dynamic_cast<F_item*>(compilation_.registry.at(0));
  ASSERT_NE(sword, nullptr);
  ASSERT_EQ(sword->FloatPropertyMin.length(), 1);  // untouched by the failed block

  ASSERT_EQ(errors_.errors.size(), 1u);
  const Finding& error = errors_.errors[0];
  EXPECT_EQ(messageOf(error),
            "'Sword' is already an item; a `quest` object cannot have the same name");
  EXPECT_EQ(error.place.file, 0);
  EXPECT_EQ(error.place.line, 8);  // the failing header
  EXPECT_EQ(error.related.line, 4);
}

TEST_F(SectionDispatcherTest, CharacterNameOfAnItemFails) {
  EXPECT_FALSE(compile({"BEGIN item Sword", "END", "", "BEGIN character Sword", "END", ""}));
  EXPECT_EQ(objects(), (Names{"F_item Sword"}));
  EXPECT_EQ(errors_.errors.size(), 1u);
}

TEST_F(SectionDispatcherTest, VerdictIsSetAfreshForEachFile) {
  EXPECT_TRUE(compile({"BEGIN item Sword", "END", ""}));
  EXPECT_FALSE(compile({"BEGIN quest Sword", "END", ""}));
  EXPECT_TRUE(compile({"BEGIN item Sword", "FLOAT Weight = 1", "END", ""}));
  // Files add to the same registry; the second item block extended the first object.
  EXPECT_EQ(objects(), (Names{"F_item Sword"}));
  EXPECT_EQ(dynamic_cast<F_item*>(compilation_.registry.at(0))->FloatPropertyName.length(), 1);
}

}  // namespace
}  // namespace rpgc
