// ProjectModel against the compiler: after every edit, the findings of the files compiled
// one by one and put together are those of one whole compile of the same texts (as
// `rpgc --check` makes it), and an edit compiles again only the files it concerns.
#include "lsp/project_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "diagnostics/message_table.h"
#include "driver/compilation.h"
#include "driver/named_use_check.h"
#include "driver/section_dispatcher.h"
#include "io/line_reader.h"

namespace rpgc::lsp {
namespace {

WarningOptions everyWarning() {
  WarningOptions options;
  Finding ignored;
  options.apply("-Wall", ignored);
  return options;
}

std::string shown(const SourcePlace& place) {
  return std::to_string(place.file) + ":" + std::to_string(place.line) + ":" +
         std::to_string(place.token) + ":" + std::to_string(place.column);
}

std::string shown(const Finding& finding) {
  std::string text = shown(finding.place) + " " + std::string(messageRow(finding.code).name) +
                     ": " + messageOf(finding);
  if (finding.relatedNote != FindingCode::kCount) text += " [" + shown(finding.related) + "]";
  return text;
}

class Collector : public FindingSink {
 public:
  explicit Collector(const WarningOptions& options) : options_(options) {
    for (size_t i = 0; i < kFindingCodeCount; ++i) {
      wanted_.set(i, options.shown(static_cast<FindingCode>(i)));
    }
  }
  void report(Finding finding) override {
    if (options_.shown(finding.code)) texts.push_back(shown(finding));
  }
  std::vector<std::string> texts;

 private:
  WarningOptions options_;
};

// One compile of every file in one Compilation, every section compiled, then the checks
// of the end of the run.
std::vector<std::string> wholeCompile(const std::vector<std::string>& files) {
  WarningOptions options = everyWarning();
  Collector sink(options);
  Compilation compilation;
  compilation.keepGoing = true;
  compilation.blocks.findings = &sink;
  for (size_t i = 0; i < files.size(); ++i) {
    compilation.blocks.file = static_cast<int32_t>(i);
    SourceLines lines = splitLines(files[i]);
    compileSource(lines, compilation);
  }
  checkNamedUses(compilation, sink);
  reportLongNames(compilation, sink);
  std::sort(sink.texts.begin(), sink.texts.end());
  return sink.texts;
}

std::vector<std::string> modelFindings(const ProjectModel& model) {
  std::vector<std::string> texts;
  for (int32_t file = 0; file < model.fileCount(); ++file) {
    for (const Finding& finding : model.findingsOf(file)) texts.push_back(shown(finding));
  }
  std::sort(texts.begin(), texts.end());
  return texts;
}

const std::string kLongName(1100, 'L');

// A project whose files meet in every way a whole compile notices: names declared in
// one file and used, extended, declared again as another kind or duplicated in another.
const std::vector<std::string> kProject = {
    // 0
    "BEGIN item Knife\n"
    "ATOM Type = weapon\n"
    "ATOM STR_Desc = KnifeDesc\n"
    "REFERENCE Maker = Marta\n"
    "END\n"
    "\n"
    "BEGIN quest Rescue\n"
    "REFERENCE Giver = Nobody\n"
    "ATOM Hint = " +
        kLongName +
        "\n"
        "END\n",
    // 1
    "STRING KnifeDesc\n"
    "A knife.\n"
    "END\n"
    "\n"
    "BEGIN character Marta\n"
    "ATOM Type = crowd\n"
    "ATOMS WeaponChoice = Knife\n"
    "END\n"
    "\n"
    "BEGIN location Rescue\n"
    "FLOAT Size = 2\n"
    "END\n",
    // 2
    "BEGIN character Knife\n"
    "FLAOT Speed = 1\n"
    "ATOM Hint = " +
        kLongName +
        "\n"
        "END\n"
        "\n"
        "STRING KnifeDesc\n"
        "Again.\n"
        "END\n"
        "\n"
        "BEGIN item Rescue\n"
        "ATOM Type = weapon\n"
        "END\n"
        "\n"
        "BEGN item Lantern\n"
        "END\n",
};

struct Edit {
  const char* what;
  int file;            // the file edited; -1: none
  std::string text;    // its new text
  int expectCompiled;  // how many files the refresh compiles; -1: not checked
};

TEST(ProjectModelTest, EveryEditGivesTheFindingsOfAWholeCompile) {
  std::vector<std::string> files = kProject;
  ProjectModel model(everyWarning());
  model.setFileCount(static_cast<int32_t>(files.size()));
  for (size_t i = 0; i < files.size(); ++i) {
    model.setLines(static_cast<int32_t>(i), splitLines(files[i]));
  }
  EXPECT_EQ(model.refresh(), 3);
  EXPECT_EQ(modelFindings(model), wholeCompile(files));
  EXPECT_FALSE(wholeCompile(files).empty());

  const Edit edits[] = {
      {"a body line changes", 2, files[2] + "\nBEGIN item Extra\nFLOAT Weight = 1\nEND\n", 1},
      {"only values change, the declarations stay", 2,
       files[2] + "\nBEGIN item Extra\nFLOAT Weight = 2\nREFERENCE Maker = Nobody\nEND\n", 1},
      {"a body line fixed", 2,
       "BEGIN character Knife\nFLOAT Speed = 1\nEND\n\nSTRING KnifeDesc\nAgain.\nEND\n", 1},
      {"a block added that extends an earlier file's object", 1,
       files[1] + "\nBEGIN item Knife\nFLOAT Weight = 1\nEND\n\nSTRING Fresh\nNew.\nEND\n", -1},
      {"a block removed that later files clash with", 0,
       "BEGIN item Knife\nATOM Type = weapon\nATOM STR_Desc = Fresh\nEND\n", -1},
      {"a block added after END, which the compiler never reads", 1,
       files[1] + "\nBEGIN item Knife\nEND\nBEGIN quest Lost\nEND\n", -1},
      {"an earlier file now declares a name a later file uses", 0,
       files[0] + "\nBEGIN character Nobody\nEND\n", -1},
      {"the earlier declaration moves a line down", 0,
       "\n" + files[0] + "\nBEGIN character Nobody\nEND\n", 3},
      {"the conflicting block is removed", 0, "BEGIN quest Rescue\nEND\n", -1},
      {"a file emptied", 1, "", -1},
      {"a string section declared first in the first file", 0,
       "STRING KnifeDesc\nFirst.\nEND\n\nBEGIN shop Rescue\nEND\n", -1},
      {"a block without END", 1, "BEGIN item Marta\nATOM Type = weapon\n", -1},
      {"nothing changes", -1, "", 0},
  };
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.what);
    if (edit.file >= 0) {
      files[static_cast<size_t>(edit.file)] = edit.text;
      model.setLines(edit.file, splitLines(edit.text));
    }
    int32_t compiled = model.refresh();
    if (edit.expectCompiled >= 0) {
      EXPECT_EQ(compiled, edit.expectCompiled);
    }
    EXPECT_EQ(modelFindings(model), wholeCompile(files));
  }
}

TEST(ProjectModelTest, AddingAndRemovingFilesGivesTheFindingsOfAWholeCompile) {
  std::vector<std::string> files = kProject;
  ProjectModel model(everyWarning());
  auto load = [&] {
    model.setFileCount(static_cast<int32_t>(files.size()));
    for (size_t i = 0; i < files.size(); ++i) {
      model.setLines(static_cast<int32_t>(i), splitLines(files[i]));
    }
    model.refresh();
    return modelFindings(model);
  };
  EXPECT_EQ(load(), wholeCompile(files));
  files.erase(files.begin());
  EXPECT_EQ(load(), wholeCompile(files));
  files.insert(files.begin() + 1, "BEGIN item Marta\nEND\n\nSTRING KnifeDesc\nEND\n");
  EXPECT_EQ(load(), wholeCompile(files));
  files.clear();
  EXPECT_EQ(load(), wholeCompile(files));
}

TEST(ProjectModelTest, KeepsTheFirstDeclarationOfEachName) {
  ProjectModel model;
  model.setFileCount(2);
  model.setLines(0, splitLines("BEGIN quest Rescue\nEND\n\nSTRING Hello\nHi\nEND\n"));
  model.setLines(1, splitLines("BEGIN quest2 Rescue\nEND\n\nSTRING Hello\nHo\nEND\n"));
  model.refresh();
  const ProjectModel::ObjectEntry* rescue = model.object("Rescue");
  ASSERT_NE(rescue, nullptr);
  EXPECT_EQ(rescue->origin.file, 0);
  EXPECT_EQ(rescue->typeWord, "quest2");  // the type word as the last block left it
  ASSERT_NE(model.stringSection("Hello"), nullptr);
  EXPECT_EQ(model.stringSection("Hello")->file, 0);
  EXPECT_EQ(model.object("Nothing"), nullptr);
}

}  // namespace
}  // namespace rpgc::lsp
