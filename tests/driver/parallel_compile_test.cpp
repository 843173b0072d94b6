// End-to-end tests of compiling files at once: whatever the number of threads, a run
// writes the same bytes and shows the same texts on both outputs.
//
// The generated project makes the files depend on each other every way they can: objects
// declared in late files and extended in many, references and string names that only
// later files declare (or none), duplicate string sections, a name taken by two classes,
// names too long for the files, and string sections whose lines findings show after
// folding.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 23;
constexpr int kObjects = 300;

// The file that first declares object i: late files too, never in order.
int homeOf(int i) {
  return (i * 7 + 5) % kFiles;
}

std::string objectName(int i) {
  return "Obj" + std::to_string(i);
}

// One block of object i, declared or extended in file.
std::string block(int i, int file) {
  std::string name = objectName(i);
  std::string later = objectName((i * 13 + 1) % kObjects);  // declared anywhere, maybe later
  std::string out;
  switch (i % 3) {
    case 0:
      out = "BEGIN item " + name + "\nATOM Type = weapon\nFLOAT Weight = " + std::to_string(file) +
            ".5\nATOMS Materials = iron f" + std::to_string(file) + "\nREFERENCE Maker = " + later +
            "\nATOMS STR_Desc = Text" + std::to_string(i) + "\nEND\n\n";
      break;
    case 1:
      out = "BEGIN character " + name + "\nATOM Type = monster\nATOMS WeaponChoice = " + later +
            " Missing" + std::to_string(i) + "\nINTEGER Level = " + std::to_string(file) +
            "\nEND\n\n";
      break;
    default:
      out = "BEGIN quest " + name + "\nINTEGER Reward = " + std::to_string(i * file) +
            "\nATOMS Steps = s" + std::to_string(file) + " s" + std::to_string(i) +
            "\nREFERENCES Giver = " + later + " Nobody" + std::to_string(i % 5) +
            "\nFLOAT Weight=2\nEND\n\n";
      break;
  }
  return out;
}

// A project whose files depend on each other; faults adds names too long to store and a
// name taken by an item in one file and by a character in a later one.
void writeProject(const fs::path& folder, bool faults) {
  std::vector<std::string> files(kFiles);
  for (int i = 0; i < kObjects; ++i) {
    int home = homeOf(i);
    files[static_cast<size_t>(home)] += block(i, home);
    // Every fourth object is extended in several later files; every third file extends
    // nothing, so that it does not depend on the files before it.
    for (int file = home + 1; i % 4 == 0 && file < kFiles; file += 1 + i % 3) {
      if (file % 3 != 0) files[static_cast<size_t>(file)] += block(i, file);
    }
    // Others are extended only by what no earlier block set (a fixed field, the type word
    // of a generic object, declared properties of the file's own names), twice in one file.
    for (int file = home + 2; i % 4 == 1 && file < kFiles; file += 2 + i % 5) {
      std::string name = objectName(i);
      std::string own = std::to_string(file);
      std::string header = i % 3 == 0 ? "BEGIN item " + name + "\nATOMS ModNames = m" + own
                           : i % 3 == 1
                               ? "BEGIN character " + name + "\nATOMS BootsChoice = b" + own
                               : "BEGIN errand" + own + " " + name;
      files[static_cast<size_t>(file)] +=
          header + "\nINTEGER Extra" + own + " = " + own + "\nATOMS Tags" + own + " = t" + own +
          " u\nEND\n\n" + "BEGIN quest Unrelated" + std::to_string(i) + "_" + own + "\nEND\n\n" +
          header + "\nFLOAT More" + own + " = 1.5\nEND\n\n";
    }
  }
  for (int file = 0; file < kFiles; ++file) {
    std::string& text = files[static_cast<size_t>(file)];
    std::string number = std::to_string(file);
    // A duplicate across files, blanks that fold and a misplaced END.
    text += "STRING Text" + std::to_string(file * 17 % kObjects) + " RANDOM\n\t Hello  \t there " +
            number + "\n   END  of it\nEND\n\n";
    if (file % 3 != 0) text += "STRING Shared\nline " + number + "\nEND\n\n";
    text += "STRING Own" + number + "\nline " + number + "\n    END\nSTRING Right" + number +
            "\nx\nEND\n\n";
    if (faults) {
      text += "BEGIN quest Long" + std::string(1030, static_cast<char>('a' + file % 3)) +
              "\nINTEGER Value = 1\nEND\n\n";
    }
  }
  if (faults) {
    files[3] += "BEGIN item Clash\nATOM Type = ring\nEND\n\n";
    files[17] += "BEGIN character Clash\nATOM Type = ghost\nEND\n\n";
  }
  std::ofstream description(folder / "game.gdm", std::ios::binary);
  description << "Game\n1.5\ngame\n";
  for (int file = 0; file < kFiles; ++file) {
    std::string name = "part" + std::to_string(file) + ".txt";
    description << name << "\n";
    std::ofstream(folder / name, std::ios::binary) << files[static_cast<size_t>(file)];
  }
}

struct Outcome {
  test::ProgramRun run;
  std::string stringTable;
  std::string database;
};

Outcome compile(const fs::path& folder, const std::string& options) {
  fs::remove(folder / "game.gds");
  fs::remove(folder / "game.gdf");
  Outcome outcome;
  std::vector<std::string> args;
  std::istringstream words(options + " game.gdm");
  for (std::string word; words >> word;) args.push_back(word);
  outcome.run = test::runProgram(folder, args);
  outcome.stringTable = test::readFileBytes(folder / "game.gds");
  outcome.database = test::readFileBytes(folder / "game.gdf");
  return outcome;
}

void expectSame(const Outcome& one, const Outcome& other, const std::string& what) {
  EXPECT_EQ(other.run.exitStatus, one.run.exitStatus) << what;
  EXPECT_EQ(other.run.out, one.run.out) << what;
  EXPECT_EQ(other.run.err, one.run.err) << what;
  EXPECT_TRUE(other.stringTable == one.stringTable) << what;
  EXPECT_TRUE(other.database == one.database) << what;
}

TEST(ParallelCompileTest, EveryNumberOfThreadsGivesTheSameRun) {
  test::TempDir dir;
  writeProject(dir.path(), false);
  for (const char* options : {"-Wall", "-Wall --diagnostics-format=json", "-w"}) {
    Outcome alone = compile(dir.path(), std::string(options) + " -j 1");
    ASSERT_EQ(alone.run.exitStatus, 0) << alone.run.err;
    ASSERT_FALSE(alone.database.empty());
    if (std::string(options) == "-Wall") {
      // The project exercises what it means to: extensions, late references, folding.
      EXPECT_NE(alone.run.err.find("[-Wextended-object]"), std::string::npos);
      EXPECT_NE(alone.run.err.find("[-Wduplicate-string]"), std::string::npos);
      EXPECT_NE(alone.run.err.find("Missing"), std::string::npos);
    }
    for (const char* jobs : {"-j 2", "-j 8", "--jobs=5"}) {
      expectSame(alone, compile(dir.path(), std::string(options) + " " + jobs),
                 std::string(options) + " " + jobs);
    }
  }
}

// With a source map kept, each file compiles whole into the run, after the files before
// it: what merging the files' units gives must be that, bytes and texts.
TEST(ParallelCompileTest, MergedUnitsGiveWhatFilesCompiledInTurnGive) {
  test::TempDir dir;
  writeProject(dir.path(), false);
  for (const char* options : {"", "-w", "-Wall", "-Wall -Wno-extended-object"}) {
    Outcome inTurn = compile(dir.path(), std::string(options) + " -j 1 --source-map map.json");
    ASSERT_EQ(inTurn.run.exitStatus, 0) << inTurn.run.err;
    for (const char* jobs : {"-j 1", "-j 2"}) {
      expectSame(inTurn, compile(dir.path(), std::string(options) + " " + jobs),
                 std::string(options) + " " + jobs);
    }
  }
}

TEST(ParallelCompileTest, FailuresAndChecksAreTheSameWithThreads) {
  test::TempDir dir;
  writeProject(dir.path(), true);
  Outcome failed = compile(dir.path(), "-j 1");
  EXPECT_EQ(failed.run.exitStatus, 1);
  EXPECT_TRUE(failed.database.empty());
  Outcome checked = compile(dir.path(), "--check -Wall -j 1");
  EXPECT_EQ(checked.run.exitStatus, 1);
  for (const char* jobs : {"-j 2", "-j 8"}) {
    expectSame(failed, compile(dir.path(), jobs), jobs);
    expectSame(checked, compile(dir.path(), std::string("--check -Wall ") + jobs), jobs);
  }
  setenv("RPGC_JOBS", "3", 1);
  expectSame(checked, compile(dir.path(), "--check -Wall"), "RPGC_JOBS=3");
  unsetenv("RPGC_JOBS");
}

}  // namespace
}  // namespace rpgc
