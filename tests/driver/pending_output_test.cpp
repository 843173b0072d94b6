// Tests of replacing the outputs: every file call watched through a FileSystem that
// records them and can refuse the k-th, so that each step's failure is seen to leave
// either both new files or both old ones, and nothing else, in the folder.
#include "driver/pending_output.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "archive/file_system.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

namespace fs = std::filesystem;

// Records the calls that change files or make them durable, and fails call number
// failAt (counting from 1) with EIO.
class WatchedFileSystem : public FileSystem {
 public:
  std::vector<std::string> calls;
  int failAt = 0;

  int createExclusive(const std::string& path, int& fd) override {
    return step("create " + base(path), [&] { return FileSystem::createExclusive(path, fd); });
  }
  int openForWriting(const std::string& path, bool truncate, int& fd) override {
    return step("open " + base(path),
                [&] { return FileSystem::openForWriting(path, truncate, fd); });
  }
  int write(int fd, const void* data, size_t n) override {
    return step("write", [&] { return FileSystem::write(fd, data, n); });
  }
  int sync(int fd) override {
    return step("sync", [&] { return FileSystem::sync(fd); });
  }
  int close(int fd) override {
    return step("close", [&] { return FileSystem::close(fd); });
  }
  int rename(const std::string& from, const std::string& to) override {
    return step("rename " + base(from) + " " + base(to),
                [&] { return FileSystem::rename(from, to); });
  }
  int link(const std::string& from, const std::string& to) override {
    return step("link " + base(from) + " " + base(to), [&] { return FileSystem::link(from, to); });
  }
  int remove(const std::string& path) override {
    return step("remove " + base(path), [&] { return FileSystem::remove(path); });
  }
  int syncFolder(const std::string& folder) override {
    return step("syncFolder", [&] { return FileSystem::syncFolder(folder); });
  }
  int lockFolder(const std::string& folder, int& fd) override {
    return step("lock", [&] { return FileSystem::lockFolder(folder, fd); });
  }
  int unlockFolder(int fd) override {
    calls.push_back("unlock");
    return FileSystem::unlockFolder(fd);
  }

 private:
  // Temporary names differ from run to run: ".rpgc-PID-N.tmp" reads "tmp".
  static std::string base(const std::string& path) {
    std::string name = fs::path(path).filename().string();
    if (name.starts_with(".rpgc-")) return name.substr(name.rfind('.') + 1);
    return name;
  }
  template <typename Call>
  int step(std::string what, Call call) {
    calls.push_back(what);
    if (failAt > 0 && static_cast<int>(calls.size()) == failAt) {
      calls.back() += " FAILS";
      return EIO;
    }
    return call();
  }
};

class PendingOutputTest : public ::testing::Test {
 protected:
  void freshFolder() { dir_.emplace(); }
  std::string file(const std::string& name) const { return dir_->file(name); }
  void write(const std::string& name, const std::string& content) {
    std::ofstream(file(name), std::ios::binary) << content;
  }
  std::string content(const std::string& name) const {
    return test::readFileBytes(dir_->path() / name);
  }
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_->path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // Writes "new a" and "new b" as a.gds and b.gdf and commits them; true on success.
  bool writePair(FileSystem& files, std::vector<CommitProblem>& problems) {
    PendingOutput a(file("a.gds"), files, nullptr);
    PendingOutput b(file("b.gdf"), files, nullptr);
    bool written = a.stream().write("new a", 5) && b.stream().write("new b", 5);
    if (!written || !a.finish() || !b.finish()) return false;
    PendingOutput* outputs[] = {&a, &b};
    return commitOutputs(outputs, files, problems);
  }

  std::optional<test::TempDir> dir_{std::in_place};
};

// Regression for outputs that could be lost in a power failure: the data is synced
// before the renames and the folder after them, all under the folder's lock.
TEST_F(PendingOutputTest, SyncsFilesThenRenamesUnderTheLockThenSyncsTheFolder) {
  write("a.gds", "old a");
  WatchedFileSystem files;
  std::vector<CommitProblem> problems;
  ASSERT_TRUE(writePair(files, problems));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(files.calls,
            (std::vector<std::string>{"create tmp", "create tmp", "write", "sync", "close", "write",
                                      "sync", "close", "lock", "link a.gds old", "rename tmp a.gds",
                                      "rename tmp b.gdf", "syncFolder", "remove old", "unlock"}));
  EXPECT_EQ(content("a.gds"), "new a");
  EXPECT_EQ(content("b.gdf"), "new b");
  EXPECT_EQ(listing(), (std::vector<std::string>{"a.gds", "b.gdf"}));
}

// Regression for a new string table left beside the old database when the second
// rename failed: every failing call leaves the old pair (or the new one, when it failed
// only in cleaning up, which is then reported), and no other file.
TEST_F(PendingOutputTest, AFailureAtAnyCallLeavesOnePairAndReportsItself) {
  for (bool existed : {true, false}) {
    WatchedFileSystem counted;
    std::vector<CommitProblem> ignored;
    freshFolder();
    if (existed) write("a.gds", "old a");
    if (existed) write("b.gdf", "old b");
    ASSERT_TRUE(writePair(counted, ignored));
    int calls = static_cast<int>(counted.calls.size());
    for (int k = 1; k <= calls; ++k) {
      if (counted.calls[static_cast<size_t>(k - 1)] == "unlock") continue;
      freshFolder();
      if (existed) write("a.gds", "old a");
      if (existed) write("b.gdf", "old b");
      WatchedFileSystem files;
      files.failAt = k;
      std::vector<CommitProblem> problems;
      bool ok = writePair(files, problems);
      SCOPED_TRACE(files.calls[static_cast<size_t>(k - 1)] + (existed ? ", replacing" : ", new"));
      std::vector<std::string> names = listing();
      if (ok) {
        EXPECT_EQ(content("a.gds") + content("b.gdf"), "new anew b");
        // A file left behind is one whose removal failed and was reported.
        bool leftOne = !problems.empty() && problems[0].what == CommitProblem::What::kRemove;
        EXPECT_EQ(names.size(), leftOne ? 3u : 2u);
        // Keeping the old file by a hard link falls back to a copy; any other failure shows.
        EXPECT_TRUE(!problems.empty() ||
                    files.calls[static_cast<size_t>(k - 1)].starts_with("link"));
      } else if (existed) {
        EXPECT_EQ(content("a.gds") + content("b.gdf"), "old aold b");
        EXPECT_EQ(names, (std::vector<std::string>{"a.gds", "b.gdf"}));
      } else {
        EXPECT_TRUE(names.empty()) << names[0];
      }
    }
  }
}

TEST_F(PendingOutputTest, StaleTemporariesOfEndedRunsAreRemoved) {
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  std::string stale = ".rpgc-" + std::to_string(child) + "-0.tmp";
  std::string live = ".rpgc-" + std::to_string(getpid()) + "-999.old";
  write(stale, "left by a killed run");
  write(live, "this run's");
  write(".rpgc-x.tmp", "not ours");
  PendingOutput out(file("a.gds"), FileSystem::real(), nullptr);
  EXPECT_FALSE(fs::exists(file(stale)));
  EXPECT_TRUE(fs::exists(file(live)));
  EXPECT_TRUE(fs::exists(file(".rpgc-x.tmp")));
}

TEST_F(PendingOutputTest, TargetsThatAreNotPlainFiles) {
  // A folder fails at once; a device is written directly (nothing is renamed over it).
  fs::create_directory(file("dir.gds"));
  PendingOutput folder(file("dir.gds"), FileSystem::real(), nullptr);
  EXPECT_FALSE(folder.ready());
  EXPECT_EQ(folder.errorCode(), EISDIR);
  fs::create_symlink("/dev/null", file("null.gds"));
  PendingOutput device(file("null.gds"), FileSystem::real(), nullptr);
  ASSERT_TRUE(device.ready());
  EXPECT_TRUE(device.stream().write("x", 1) && device.finish());
  std::vector<CommitProblem> problems;
  PendingOutput* outputs[] = {&device};
  EXPECT_TRUE(commitOutputs(outputs, FileSystem::real(), problems));
  EXPECT_TRUE(fs::is_symlink(file("null.gds")));
  fs::create_symlink("loop.gds", file("loop.gds"));
  EXPECT_EQ(PendingOutput(file("loop.gds"), FileSystem::real(), nullptr).errorCode(), ELOOP);
}

}  // namespace
}  // namespace rpgc
