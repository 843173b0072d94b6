// End-to-end tests of how runs end: signals, a closed standard output, file size and
// memory limits, runs killed at any moment, concurrent runs on the same outputs, and
// outputs that are links or have permissions of their own. Each names the fault it pins.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

namespace fs = std::filesystem;
using test::ProgramRun;

// Runs a shell script in folder with $RPGC naming the program; its exit status and what
// it printed.
ProgramRun runScript(const fs::path& folder, const std::string& script) {
  test::TempDir capture;
  std::string command =
      "cd " + test::shellQuoted(folder.string()) + " && RPGC=" + test::shellQuoted(RPGC_BINARY) +
      " sh -c " + test::shellQuoted(script) + " </dev/null >" +
      test::shellQuoted(capture.file("out")) + " 2>" + test::shellQuoted(capture.file("err"));
  ProgramRun run;
  int status = std::system(command.c_str());
  if (status != -1 && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  run.out = test::readFileBytes(capture.file("out"));
  run.err = test::readFileBytes(capture.file("err"));
  return run;
}

// A project of n generic objects and n / 3 string sections, in files of 2000 objects.
void writeProject(const fs::path& folder, int n, const std::string& tag) {
  std::ofstream description(folder / "game.gdm", std::ios::binary);
  description << "Game\n1\ngame\n";
  for (int first = 0; first < n; first += 2000) {
    std::string name = "part" + std::to_string(first / 2000) + ".txt";
    description << name << "\n";
    std::ofstream out(folder / name, std::ios::binary);
    for (int i = first; i < std::min(n, first + 2000); ++i) {
      out << "BEGIN quest Q" << i << "\nINTEGER Reward = " << i << "\nATOM Tag = " << tag
          << "\nATOMS Steps = find fetch return\nEND\n\n";
      if (i % 3 == 0) out << "STRING S" << i << "\nQuest text " << i << " " << tag << "\nEND\n\n";
    }
  }
}

std::vector<std::string> temporaries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name.starts_with(".rpgc-")) names.push_back(name);
  }
  return names;
}

class RpgcSafetyTest : public ::testing::Test {
 protected:
  void write(const std::string& name, const std::string& content) {
    std::ofstream(dir_.file(name), std::ios::binary) << content;
  }
  std::string bytesOf(const std::string& name) const {
    return test::readFileBytes(dir_.path() / name);
  }
  test::TempDir dir_;
};

// Regression: "rpgc | head" was killed by SIGPIPE, silently, leaving temporary files.
TEST_F(RpgcSafetyTest, ClosedStandardOutputFailsTheRunAndChangesNothing) {
  write("a.txt", "BEGIN quest Q\nEND\n\n");
  write("database.gdf", "earlier");
  ProgramRun run =
      runScript(dir_.path(), "(sleep 0.3; \"$RPGC\" proj a.txt; echo $? >status) | true");
  EXPECT_EQ(bytesOf("status"), "1\n");
  EXPECT_NE(run.err.find("rpgc: error: cannot write to standard output: Broken pipe"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(bytesOf("database.gdf"), "earlier");
  EXPECT_FALSE(fs::exists(dir_.path() / "database.gds"));
  EXPECT_TRUE(temporaries(dir_.path()).empty());
}

// Regression: a file size limit (SIGXFSZ) killed the run without a word.
TEST_F(RpgcSafetyTest, FileSizeLimitIsAFailedWrite) {
  writeProject(dir_.path(), 300, "x");
  write("game.gds", "earlier");
  ProgramRun run = runScript(dir_.path(), "ulimit -f 8; exec \"$RPGC\" game.gdm");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("File too large"), std::string::npos) << run.err;
  EXPECT_EQ(bytesOf("game.gds"), "earlier");
  EXPECT_TRUE(temporaries(dir_.path()).empty());
}

// Regression: running out of memory aborted without a message. (Sanitizers reserve more
// address space than the limit allows, so this runs in plain builds only.)
TEST_F(RpgcSafetyTest, OutOfMemoryIsReported) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "address space limits do not apply under AddressSanitizer";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  GTEST_SKIP() << "address space limits do not apply under AddressSanitizer";
#endif
#endif
  ProgramRun run = runScript(dir_.path(), "ulimit -v 200000; exec \"$RPGC\" proj /dev/zero");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err, "rpgc: error: out of memory; the outputs are left as they were\n");
}

// Regression: SIGTERM and kill -9 left temporary files; a stopped run now removes its
// own, a later run removes those of killed ones, and the outputs are always one whole
// pair: the earlier one or the new one.
TEST_F(RpgcSafetyTest, RunsStoppedAtAnyMomentLeaveThePreviousOutputs) {
  fs::create_directory(dir_.path() / "reference");
  writeProject(dir_.path() / "reference", 6000, "new");
  ASSERT_EQ(runScript(dir_.path() / "reference", "exec \"$RPGC\" -w game.gdm").exitStatus, 0);
  std::string newPair = bytesOf("reference/game.gds") + bytesOf("reference/game.gdf");
  writeProject(dir_.path(), 6000, "old");
  ASSERT_EQ(runScript(dir_.path(), "exec \"$RPGC\" -w game.gdm").exitStatus, 0);
  std::string oldPair = bytesOf("game.gds") + bytesOf("game.gdf");
  writeProject(dir_.path(), 6000, "new");
  std::mt19937 random(7);
  for (const char* signal : {"TERM", "INT", "KILL", "TERM", "KILL", "HUP"}) {
    int delayMs = std::uniform_int_distribution<int>(20, 400)(random);
    SCOPED_TRACE(std::string(signal) + " after " + std::to_string(delayMs) + " ms");
    size_t leftBefore = temporaries(dir_.path()).size();
    runScript(dir_.path(), "\"$RPGC\" -w game.gdm >/dev/null & sleep " +
                               std::to_string(delayMs / 1000.0) + "; kill -" + signal +
                               " $! 2>/dev/null; wait $!");
    std::string pair = bytesOf("game.gds") + bytesOf("game.gdf");
    EXPECT_TRUE(pair == oldPair || pair == newPair);
    if (std::string(signal) != "KILL") {
      // A stopped run removes its own files (those of killed ones may still be there).
      EXPECT_LE(temporaries(dir_.path()).size(), leftBefore);
    }
  }
  ASSERT_EQ(runScript(dir_.path(), "exec \"$RPGC\" -w game.gdm").exitStatus, 0);
  EXPECT_TRUE(temporaries(dir_.path()).empty()) << "the next run removes what killed runs left";
  EXPECT_EQ(bytesOf("game.gds") + bytesOf("game.gdf"), newPair);
}

// Regression: two runs writing the same outputs could leave one run's string table with
// the other's database, both reporting success.
TEST_F(RpgcSafetyTest, ConcurrentRunsLeaveOnePair) {
  for (const char* tag : {"a", "b"}) {
    fs::create_directory(dir_.path() / tag);
    writeProject(dir_.path() / tag, 1500, tag);
    std::ofstream(dir_.path() / tag / "game.gdm", std::ios::binary)
        << "Game\n1\n../out\npart0.txt\n";
    ASSERT_EQ(runScript(dir_.path() / tag, "exec \"$RPGC\" -w game.gdm").exitStatus, 0);
    fs::rename(dir_.path() / "out.gds", dir_.path() / (std::string(tag) + ".gds"));
    fs::rename(dir_.path() / "out.gdf", dir_.path() / (std::string(tag) + ".gdf"));
  }
  std::string script =
      "for i in 1 2 3 4 5 6 7 8 9 10 11 12; do"
      " (cd a && \"$RPGC\" -w game.gdm >/dev/null) & (cd b && \"$RPGC\" -w game.gdm >/dev/null) &"
      " wait;"
      " if cmp -s out.gds a.gds && cmp -s out.gdf a.gdf; then echo a;"
      " elif cmp -s out.gds b.gds && cmp -s out.gdf b.gdf; then echo b;"
      " else echo mixed; fi;"
      " done";
  ProgramRun run = runScript(dir_.path(), script);
  EXPECT_EQ(run.out.size(), 24u) << run.out;
  EXPECT_EQ(run.out.find("mixed"), std::string::npos) << run.out;
  EXPECT_TRUE(temporaries(dir_.path()).empty());
}

// Regressions: a target name of 243 to 255 bytes failed ("File name too long"); a
// dangling link was replaced by a file; permissions were reset and hard links split.
TEST_F(RpgcSafetyTest, TargetsKeepTheirNamesLinksAndPermissions) {
  write("a.txt", "BEGIN quest Q\nEND\n\n");
  std::string longBase(251, 'n');
  write("long.gdm", "P\n1\n" + longBase + "\na.txt\n");
  EXPECT_EQ(runScript(dir_.path(), "exec \"$RPGC\" long.gdm").exitStatus, 0);
  EXPECT_TRUE(fs::exists(dir_.path() / (longBase + ".gdf")));

  fs::create_directory(dir_.path() / "real");
  fs::create_symlink("real/game.gdf", dir_.path() / "database.gdf");
  write("database.gds", "earlier");
  ASSERT_EQ(chmod(dir_.file("database.gds").c_str(), 0600), 0);
  fs::create_hard_link(dir_.path() / "database.gds", dir_.path() / "other.gds");
  ProgramRun run = runScript(dir_.path(), "exec \"$RPGC\" proj a.txt");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(fs::is_symlink(dir_.path() / "database.gdf"));
  EXPECT_TRUE(fs::exists(dir_.path() / "real/game.gdf"));
  struct stat status = {};
  ASSERT_EQ(stat(dir_.file("database.gds").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  EXPECT_EQ(status.st_nlink, 2u);
  EXPECT_EQ(bytesOf("other.gds"), bytesOf("database.gds"));
  EXPECT_NE(bytesOf("other.gds"), "earlier");
}

// Regression: a file name with a line end broke the one-line message.
TEST_F(RpgcSafetyTest, ControlBytesInNamesAreWrittenOut) {
  ProgramRun run = runScript(dir_.path(), "exec \"$RPGC\" proj \"$(printf 'a\\nb\\033.txt')\"");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err,
            "rpgc: error: cannot open source file 'a\\nb\\x1b.txt': No such file or directory\n");
}

}  // namespace
}  // namespace rpgc
