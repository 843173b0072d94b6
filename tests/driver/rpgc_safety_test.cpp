// End-to-end tests of how runs end: signals, a closed standard output, file size and
// memory limits, runs killed at any moment, concurrent runs on the same outputs, and
// outputs that are links or have permissions of their own. Each names the fault it pins.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Regressions: SIGTERM and kill -9 left temporary files; a kill during the rewrite in
// place of a hard-linked database left it cut short, and the next run deleted the copy of
// its earlier content. A stopped run now removes its own files, a later run rolls back a
// killed one and removes its files, and the outputs are always one whole pair: the earlier
// one or the new one.
TEST_F(RpgcSafetyTest, RunsStoppedAtAnyMomentLeaveThePreviousOutputs) {
  fs::create_directory(dir_.path() / "reference");
  writeProject(dir_.path() / "reference", 6000, "new");
  ASSERT_EQ(runScript(dir_.path() / "reference", "exec \"$RPGC\" -w game.gdm").exitStatus, 0);
  std::string newPair = bytesOf("reference/game.gds") + bytesOf("reference/game.gdf");
  writeProject(dir_.path(), 6000, "old");
  ASSERT_EQ(runScript(dir_.path(), "exec \"$RPGC\" -w game.gdm").exitStatus, 0);
  std::string oldPair = bytesOf("game.gds") + bytesOf("game.gdf");
  // A second link: the database is rewritten in place, which a kill may cut in half.
  fs::create_hard_link(dir_.path() / "game.gdf", dir_.path() / "linked.gdf");
  write("tiny.txt", "BEGIN quest T\nEND\n\n");
  writeProject(dir_.path(), 6000, "new");
  std::mt19937 random(7);
  for (const char* signal : {"TERM", "INT", "KILL", "TERM", "KILL", "HUP"}) {
    int delayMs = std::uniform_int_distribution<int>(20, 400)(random);
    SCOPED_TRACE(std::string(signal) + " after " + std::to_string(delayMs) + " ms");
    size_t leftBefore = temporaries(dir_.path()).size();
    runScript(dir_.path(), "\"$RPGC\" -w game.gdm >/dev/null & sleep " +
                               std::to_string(delayMs / 1000.0) + "; kill -" + signal +
                               " $! 2>/dev/null; wait $!");
    // Any run that writes into the folder first puts back what a killed run left.
    ASSERT_EQ(runScript(dir_.path(), "exec \"$RPGC\" proj tiny.txt").exitStatus, 0);
    std::string pair = bytesOf("game.gds") + bytesOf("game.gdf");
    EXPECT_TRUE(pair == oldPair || pair == newPair);
    EXPECT_EQ(bytesOf("linked.gdf"), bytesOf("game.gdf"));
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

// Regression: with the database reached through a link by an absolute path (or through
// "sub/.."), the run locked its one folder twice and waited for itself forever.
TEST_F(RpgcSafetyTest, ARunWhoseOutputsShareAFolderByTwoPathsDoesNotWaitForItself) {
  write("a.txt", "BEGIN quest Q\nEND\n\n");
  fs::create_directory(dir_.path() / "sub");
  for (std::string link : {dir_.file("real.gdf"), std::string("sub/../real.gdf")}) {
    fs::remove(dir_.path() / "database.gdf");
    fs::create_symlink(link, dir_.path() / "database.gdf");
    ProgramRun run = runScript(dir_.path(), "exec timeout -s KILL 30 \"$RPGC\" proj a.txt");
    EXPECT_EQ(run.exitStatus, 0) << link << ": " << run.err;
    EXPECT_TRUE(fs::exists(dir_.path() / "real.gdf"));
    EXPECT_TRUE(temporaries(dir_.path()).empty());
  }
}

// Regression: signals were held back while a run waited for the folder's lock, so only
// SIGKILL ended a run that waited (for itself, or for a hung run). It now says that it
// waits, and a SIGTERM ends it like any other moment.
TEST_F(RpgcSafetyTest, ARunWaitingForTheFolderSaysSoAndCanBeStopped) {
  // Run from another folder (-C), the folder is named from where rpgc was started.
  fs::create_directory(dir_.path() / "game");
  write("game/a.txt", "BEGIN quest Q\nEND\n\n");
  write("game/database.gds", "earlier");
  int folder = open((dir_.path() / "game").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(folder, 0);
  ASSERT_EQ(flock(folder, LOCK_EX), 0);
  ProgramRun run = runScript(dir_.path(),
                             "\"$RPGC\" -C game proj a.txt >/dev/null & run=$!; sleep 3;"
                             " kill -TERM $run; (sleep 30; kill -KILL $run 2>/dev/null) & watch=$!;"
                             " wait $run; echo $? >status; kill $watch");
  close(folder);
  EXPECT_EQ(bytesOf("status"), "143\n") << "ended by SIGTERM";
  // (The shell then says the job was terminated.)
  EXPECT_TRUE(
      run.err.starts_with("rpgc: note: waiting for another run that is replacing files in "
                          "'game'\n"))
      << run.err;
  EXPECT_EQ(bytesOf("game/database.gds"), "earlier");
  EXPECT_TRUE(temporaries(dir_.path() / "game").empty());
}

// Regression: on a full disk, a hard-linked database was left holding the first 1.6 MB
// of the new one and the copy of its earlier content was deleted. The new length is now
// reserved before the rewrite, so the full disk is found before anything changes.
TEST_F(RpgcSafetyTest, AFullDiskLeavesAHardLinkedDatabaseWhole) {
  // A 1 MB database with a second link, replaced by a 2.5 MB one on a 5 MB file system.
  for (const char* project : {"small", "big"}) fs::create_directory(dir_.path() / project);
  writeProject(dir_.path() / "small", 2100, "old");
  ASSERT_EQ(runScript(dir_.path() / "small", "exec \"$RPGC\" -w game.gdm").exitStatus, 0);
  writeProject(dir_.path() / "big", 5100, "new");
  std::string description = test::readFileBytes(dir_.path() / "big/game.gdm");
  write("big/game.gdm", description.replace(description.find("\ngame\n"), 6, "\n../disk/game\n"));
  fs::create_directory(dir_.path() / "disk");
  ProgramRun run = runScript(
      dir_.path(),
      "unshare -m sh -c 'mount -t tmpfs -o size=5m tmpfs disk || exit 77;"
      " cp small/game.gds small/game.gdf disk/ && ln disk/game.gdf disk/other.gdf &&"
      " (cd big && \"$RPGC\" -w game.gdm >/dev/null); echo $? >status;"
      " { cmp -s disk/game.gds small/game.gds && echo game.gds;"
      " cmp -s disk/game.gdf small/game.gdf && echo game.gdf;"
      " cmp -s disk/other.gdf small/game.gdf && echo other.gdf; } >same; ls -A disk >left'");
  if (run.exitStatus == 77 || !fs::exists(dir_.path() / "status")) {
    GTEST_SKIP() << "cannot mount a small file system here: " << run.err;
  }
  EXPECT_EQ(bytesOf("status"), "1\n");
  EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
  EXPECT_EQ(bytesOf("same"), "game.gds\ngame.gdf\nother.gdf\n") << "the earlier pair, both links";
  EXPECT_EQ(bytesOf("left"), "game.gdf\ngame.gds\nother.gdf\n");
}

// Regression: a run in another PID namespace (a container sharing the folder) took the
// temporary file of a live run for a leftover, since no process had its id there.
TEST_F(RpgcSafetyTest, ARunInAnotherPidNamespaceLeavesALiveRunsFilesAlone) {
  write("a.txt", "BEGIN quest Q\nEND\n\n");
  std::string live = ".rpgc-" + std::to_string(getpid()) + "-0.database.gds.tmp";
  write(live, "being written");
  int held = open(dir_.file(live).c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  ProgramRun run = runScript(dir_.path(), "unshare -p -f \"$RPGC\" proj a.txt");
  close(held);
  if (run.exitStatus != 0 && run.err.find("unshare") != std::string::npos) {
    GTEST_SKIP() << "no PID namespace here: " << run.err;
  }
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(bytesOf(live), "being written");
}

// Regressions: the depfile was written after the outputs were replaced (a failure then
// reported a run whose outputs had changed), through a fixed "FILE.tmp", and with ':'
// and line ends in paths as they were. It is now replaced with the outputs, or nothing is.
TEST_F(RpgcSafetyTest, TheDepfileIsReplacedWithTheOutputsOrNothingIs) {
  write("a:b.txt", "BEGIN quest Q\nEND\n\n");
  write("line\nend.txt", "BEGIN quest Q\nEND\n\n");
  write("database.gds", "earlier");
  ProgramRun noFolder =
      runScript(dir_.path(), "exec \"$RPGC\" --depfile nowhere/out.d proj a:b.txt");
  EXPECT_EQ(noFolder.exitStatus, 1);
  EXPECT_EQ(noFolder.err,
            "rpgc: error: cannot write 'nowhere/out.d': No such file or "
            "directory\nrpgc: 1 error\n");
  ProgramRun lineEnd =
      runScript(dir_.path(), "exec \"$RPGC\" --depfile out.d proj \"$(printf 'line\\nend.txt')\"");
  EXPECT_EQ(lineEnd.exitStatus, 1);
  EXPECT_NE(lineEnd.err.find("rpgc: error: cannot write the dependency file 'out.d': the path '"),
            std::string::npos)
      << lineEnd.err;
  EXPECT_EQ(bytesOf("database.gds"), "earlier");
  EXPECT_FALSE(fs::exists(dir_.path() / "database.gdf"));
  EXPECT_FALSE(fs::exists(dir_.path() / "out.d"));
  EXPECT_TRUE(temporaries(dir_.path()).empty());

  ASSERT_EQ(runScript(dir_.path(), "exec \"$RPGC\" --depfile out.d proj a:b.txt").exitStatus, 0);
  EXPECT_NE(bytesOf("out.d").find("/a\\:b.txt\n"), std::string::npos) << bytesOf("out.d");
  EXPECT_TRUE(temporaries(dir_.path()).empty());
}

// Regression: a file name with a line end broke the one-line message.
TEST_F(RpgcSafetyTest, ControlBytesInNamesAreWrittenOut) {
  ProgramRun run = runScript(dir_.path(), "exec \"$RPGC\" proj \"$(printf 'a\\nb\\033.txt')\"");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err,
            "rpgc: error: cannot open source file 'a\\nb\\x1b.txt': No such file or directory\n"
            "rpgc: 1 error\n");
}

}  // namespace
}  // namespace rpgc
