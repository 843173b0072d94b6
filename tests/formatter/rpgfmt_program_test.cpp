// rpgfmt end to end: the diff on standard output, --check's exit status, -i rewriting in
// place with the file's mode kept, files left unchanged, and wrong command lines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_dir.h"

#ifndef RPGFMT_BINARY
#error "RPGFMT_BINARY must name the rpgfmt program under test"
#endif

namespace rpgc {
namespace {

const std::string kLoose = "BEGIN item Sword\n  FLOAT Weight=1.5\nEND\n";
const std::string kFormatted = "BEGIN item Sword\nFLOAT Weight = 1.5\nEND\n\n";

class RpgfmtProgramTest : public testing::Test {
 protected:
  test::ProgramRun rpgfmt(const std::vector<std::string>& args) {
    return test::runBinary(RPGFMT_BINARY, dir_.path(), args);
  }
  void write(const std::string& name, const std::string& content) {
    std::ofstream(dir_.file(name), std::ios::binary) << content;
  }
  std::string read(const std::string& name) { return test::readFileBytes(dir_.file(name)); }

  test::TempDir dir_;
};

TEST_F(RpgfmtProgramTest, PrintsADiffAndWritesNothing) {
  write("items.txt", kLoose);
  test::ProgramRun run = rpgfmt({"items.txt"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out,
            "--- items.txt\n+++ items.txt\n@@ -1,3 +1,4 @@\n BEGIN item Sword\n"
            "-  FLOAT Weight=1.5\n+FLOAT Weight = 1.5\n END\n+\n");
  EXPECT_EQ(run.err,
            "items.txt:2: note: '=' is set apart in 'Weight=1.5': rpgc skipped this line, since "
            "'=' stood glued to a word\n");
  EXPECT_EQ(read("items.txt"), kLoose);
}

TEST_F(RpgfmtProgramTest, CheckFailsOnlyWhenAFileWouldChange) {
  write("loose.txt", kLoose);
  write("tidy.txt", kFormatted);
  test::ProgramRun tidy = rpgfmt({"--check", "tidy.txt"});
  EXPECT_EQ(tidy.exitStatus, 0);
  EXPECT_EQ(tidy.out + tidy.err, "");
  test::ProgramRun loose = rpgfmt({"--check", "tidy.txt", "loose.txt"});
  EXPECT_EQ(loose.exitStatus, 1);
  EXPECT_EQ(loose.out, "");
  EXPECT_NE(loose.err.find("loose.txt: note: this file is not formatted"), std::string::npos);
  EXPECT_EQ(read("loose.txt"), kLoose);
}

TEST_F(RpgfmtProgramTest, InPlaceRewritesKeepingTheModeAndLeavesFormattedFilesAlone) {
  write("loose.txt", kLoose);
  write("tidy.txt", kFormatted);
  ASSERT_EQ(chmod(dir_.file("loose.txt").c_str(), 0640), 0);
  auto tidyTime = std::filesystem::last_write_time(dir_.file("tidy.txt"));
  test::ProgramRun run = rpgfmt({"-i", "loose.txt", "tidy.txt"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(read("loose.txt"), kFormatted);
  struct stat info = {};
  ASSERT_EQ(stat(dir_.file("loose.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(std::filesystem::last_write_time(dir_.file("tidy.txt")), tidyTime);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names.size(), 2u);  // no temporary file left
  EXPECT_EQ(rpgfmt({"--check", "loose.txt"}).exitStatus, 0);
}

TEST_F(RpgfmtProgramTest, RefusedFileIsLeftUnchanged) {
  const std::string unclear = "BEGIN item A\n  FLOAT W = 4,5\nEND\n";
  write("a.txt", unclear);
  write("b.txt", kLoose);
  test::ProgramRun run = rpgfmt({"-i", "a.txt", "b.txt"});
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(read("a.txt"), unclear);
  EXPECT_EQ(read("b.txt"), kFormatted);  // the other files are formatted all the same
  EXPECT_NE(run.err.find("a.txt:2:13: error: '4,5' may be the number 4.5"), std::string::npos);
  EXPECT_EQ(rpgfmt({"--check", "a.txt"}).exitStatus, 1);
}

TEST_F(RpgfmtProgramTest, WrongCommandLinesAndMissingFiles) {
  write("a.txt", kFormatted);
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{}, 2, "rpgfmt: error: no file named (see rpgfmt --help)\n"},
      {{"-i", "--check", "a.txt"},
       2,
       "rpgfmt: error: -i and --check do not go together (see rpgfmt --help)\n"},
      {{"-x", "a.txt"}, 2, "rpgfmt: error: unknown option '-x' (see rpgfmt --help)\n"},
      {{"missing.txt"},
       1,
       "rpgfmt: error: cannot open source file 'missing.txt': No such file or directory\n"},
      {{"--", "-i"}, 1, "rpgfmt: error: cannot open source file '-i': No such file or directory\n"},
  };
  for (const Case& c : cases) {
    test::ProgramRun run = rpgfmt(c.args);
    EXPECT_EQ(run.exitStatus, c.status) << c.err;
    EXPECT_EQ(run.err, c.err);
    EXPECT_EQ(run.out, "");
  }
  test::ProgramRun help = rpgfmt({"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_TRUE(help.out.starts_with("usage: rpgfmt [-i | --check] FILE...\n"));
}

}  // namespace
}  // namespace rpgc
