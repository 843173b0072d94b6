// Tests of replacing the outputs: every file call watched through a FileSystem that
// records them and can refuse the k-th, or stop at the k-th as a killed run would, so that
// each step's failure is seen to leave either both new files or both old ones (and only
// files it names), and each kill to be rolled back by the next run.
#include "io/pending_output.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "io/file_system.h"
#include "io/temporary_files.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

namespace fs = std::filesystem;

// Records the calls that change files, make them durable or lock them. Call failAt
// (counting from 1) fails with EIO; from call dieAt on every call fails and does nothing,
// as in a killed run, whose descriptors the system closes.
class WatchedFileSystem : public FileSystem {
 public:
  std::vector<std::string> calls;
  int failAt = 0;
  int dieAt = 0;
  std::function<bool(const std::string&)> refuses;     // calls that always fail
  std::function<void(const std::string&)> beforeCall;  // runs before each recorded call
  std::vector<mode_t> createdModes;

  int createExclusive(const std::string& path, int& fd) override {
    int error = step("create " + base(path), [&] { return FileSystem::createExclusive(path, fd); });
    struct stat status = {};
    if (error == 0 && fstat(fd, &status) == 0) createdModes.push_back(status.st_mode & 07777);
    return error;
  }
  int openForWriting(const std::string& path, bool truncate, int& fd) override {
    return step("open " + base(path),
                [&] { return FileSystem::openForWriting(path, truncate, fd); });
  }
  int write(int fd, const void* data, size_t n) override {
    return step("write", [&] { return FileSystem::write(fd, data, n); });
  }
  int writeAt(int fd, const void* data, size_t n, int64_t offset) override {
    return step("mark", [&] { return FileSystem::writeAt(fd, data, n, offset); });
  }
  int sync(int fd) override {
    return step("sync", [&] { return FileSystem::sync(fd); });
  }
  int close(int fd) override {
    calls.push_back("close");
    return FileSystem::close(fd);
  }
  int truncate(int fd, int64_t length) override {
    return step("truncate", [&] { return FileSystem::truncate(fd, length); });
  }
  int reserve(int fd, int64_t length) override {
    return step("reserve", [&] { return FileSystem::reserve(fd, length); });
  }
  int setMode(int fd, mode_t mode) override {
    return step("chmod", [&] { return FileSystem::setMode(fd, mode); });
  }
  int copyOwnerAndMode(int fd, const struct stat& like) override {
    return step("chmod", [&] { return FileSystem::copyOwnerAndMode(fd, like); });
  }
  int rename(const std::string& from, const std::string& to) override {
    return step("rename " + base(from) + " " + base(to),
                [&] { return FileSystem::rename(from, to); });
  }
  int link(const std::string& from, const std::string& to) override {
    return step("link " + base(from) + " " + base(to), [&] { return FileSystem::link(from, to); });
  }
  int remove(const std::string& path) override {
    struct stat status = {};
    std::string missing = lstat(path.c_str(), &status) == 0 ? "" : " (missing)";
    return step("remove " + base(path) + missing, [&] { return FileSystem::remove(path); });
  }
  int syncFolder(const std::string& folder) override {
    return step("syncFolder", [&] { return FileSystem::syncFolder(folder); });
  }
  int lock(int fd, bool wait) override {
    return step("lock", [&] { return FileSystem::lock(fd, wait); });
  }
  int listFolder(const std::string& folder, std::vector<std::string>& names) override {
    return step("list", [&] { return FileSystem::listFolder(folder, names); });
  }
  int read(int fd, void* data, size_t n, size_t& got) override {
    if (dead()) return EIO;
    return FileSystem::read(fd, data, n, got);
  }

 private:
  // Temporary names differ from run to run: ".rpgc-PID-N.a.gds.tmp" reads "tmp".
  static std::string base(const std::string& path) {
    std::string name = fs::path(path).filename().string();
    if (name.starts_with(".rpgc-")) return name.substr(name.rfind('.') + 1);
    return name;
  }
  bool dead() const { return dieAt > 0 && static_cast<int>(calls.size()) >= dieAt; }
  template <typename Call>
  int step(std::string what, Call call) {
    bool wasDead = dead();
    calls.push_back(what);
    if (wasDead || dead()) return EIO;
    if (beforeCall) beforeCall(what);
    if ((failAt > 0 && static_cast<int>(calls.size()) == failAt) || (refuses && refuses(what))) {
      calls.back() += " FAILS";
      return EIO;
    }
    return call();
  }
};

// How the targets exist before the run: not at all, as plain files, or with a second
// hard link each (so that they are rewritten in place).
enum class Targets { kNone, kPlain, kLinked };

class PendingOutputTest : public ::testing::Test {
 protected:
  static constexpr const char* kOldPair = "old athe old b";
  static constexpr const char* kNewPair = "the new anew b";

  void freshFolder(Targets targets) {
    dir_.emplace();
    targets_ = targets;
    if (targets == Targets::kNone) return;
    write("a.gds", "old a");
    write("b.gdf", "the old b");
    for (const char* name : {"a.gds", "b.gdf"}) fs::last_write_time(file(name), kPast);
    if (targets == Targets::kLinked) {
      fs::create_hard_link(file("a.gds"), file("a-link.gds"));
      fs::create_hard_link(file("b.gdf"), file("b-link.gdf"));
    }
  }
  std::string file(const std::string& name) const { return dir_->file(name); }
  void write(const std::string& name, const std::string& content) {
    std::ofstream(file(name), std::ios::binary) << content;
  }
  std::string content(const std::string& name) const {
    return test::readFileBytes(dir_->path() / name);
  }
  std::string pair() const { return content("a.gds") + content("b.gdf"); }
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_->path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> targetNames() const {
    switch (targets_) {
      case Targets::kNone:
        return {};
      case Targets::kPlain:
        return {"a.gds", "b.gdf"};
      case Targets::kLinked:
        return {"a-link.gds", "a.gds", "b-link.gdf", "b.gdf"};
    }
    return {};
  }
  // Writes "the new a" and "new b" as a.gds and b.gdf and commits them; true on success.
  bool writePair(FileSystem& files, std::vector<CommitProblem>& problems) {
    PendingOutput a(file("a.gds"), files, nullptr);
    PendingOutput b(file("b.gdf"), files, nullptr);
    bool written = a.stream().write("the new a", 9) && b.stream().write("new b", 5) && a.finish() &&
                   b.finish();
    PendingOutput* outputs[] = {&a, &b};
    if (written) return commitOutputs(outputs, files, problems);
    a.abandon(problems);
    b.abandon(problems);
    return false;
  }
  // The targets hold one whole pair, their other links the same, and each other file in
  // the folder is named by a problem that says it could not be removed.
  void expectOnePair(bool committed, const std::vector<CommitProblem>& problems) {
    std::vector<std::string> expected = targetNames();
    if (committed) {
      EXPECT_EQ(pair(), kNewPair);
      expected = {"a.gds", "b.gdf"};
      if (targets_ == Targets::kLinked) expected = targetNames();
    } else if (targets_ != Targets::kNone) {
      EXPECT_EQ(pair(), kOldPair);
      EXPECT_EQ(fs::last_write_time(file("a.gds")), kPast) << "make must see the old file";
    }
    if (targets_ == Targets::kLinked) {
      EXPECT_EQ(content("a-link.gds") + content("b-link.gdf"), pair());
    }
    for (const CommitProblem& problem : problems) {
      if (problem.what == CommitProblem::What::kRemove) {
        expected.push_back(fs::path(problem.path).filename().string());
      }
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listing(), expected);
  }

  static inline const fs::file_time_type kPast =
      fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
  std::optional<test::TempDir> dir_{std::in_place};
  Targets targets_ = Targets::kNone;
};

// Regression for outputs that could be lost in a power failure: the data is synced
// before the renames and the folder after them, all under the folder's lock; and for
// temporary files and kept copies readable by anyone: they start private, and a new file
// takes the target's permission bits only once complete.
TEST_F(PendingOutputTest, SyncsFilesThenJournalsThenRenamesUnderTheLockThenSyncsTheFolder) {
  freshFolder(Targets::kPlain);
  ASSERT_EQ(chmod(file("a.gds").c_str(), 0640), 0);
  WatchedFileSystem files;
  std::vector<CommitProblem> problems;
  ASSERT_TRUE(writePair(files, problems));
  EXPECT_TRUE(problems.empty());
  std::vector<std::string> steps;
  for (const std::string& call : files.calls) {
    if (call != "write" && call != "close" && call != "list") steps.push_back(call);
  }
  EXPECT_EQ(steps, (std::vector<std::string>{
                       // Each output: the folder's leftovers, then a locked temporary file.
                       // (the second sees the first's file in use by its lock).
                       "lock", "create tmp", "lock", "lock", "lock", "create tmp", "lock",
                       // Complete: the target's mode, then on the disk.
                       "chmod", "sync", "chmod", "sync",
                       // The commit: the folder's lock, the earlier files kept, the journal.
                       "lock", "link a.gds old", "link b.gdf old", "create journal", "sync",
                       "syncFolder", "rename tmp a.gds", "rename tmp b.gdf", "syncFolder",
                       // Marked complete, it goes, then the kept files.
                       "mark", "sync", "remove journal", "remove old", "remove old"}));
  EXPECT_EQ(pair(), kNewPair);
  EXPECT_EQ(listing(), (std::vector<std::string>{"a.gds", "b.gdf"}));
  for (mode_t mode : files.createdModes) EXPECT_EQ(mode, 0600u);
  struct stat status = {};
  ASSERT_EQ(stat(file("a.gds").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
}

// Regressions for a new string table left beside the old database when the second
// rename failed, and for a hard-linked output left holding part of the new content when
// its rewrite in place failed (a full disk): every failing call leaves the old pair, or the
// new one with the files it could not remove named, and nothing else.
TEST_F(PendingOutputTest, AFailureAtAnyCallLeavesOnePairAndReportsItself) {
  for (Targets targets : {Targets::kNone, Targets::kPlain, Targets::kLinked}) {
    WatchedFileSystem counted;
    std::vector<CommitProblem> ignored;
    freshFolder(targets);
    ASSERT_TRUE(writePair(counted, ignored));
    int calls = static_cast<int>(counted.calls.size());
    for (int k = 1; k <= calls; ++k) {
      if (counted.calls[static_cast<size_t>(k - 1)] == "close") continue;
      freshFolder(targets);
      WatchedFileSystem files;
      files.failAt = k;
      std::vector<CommitProblem> problems;
      bool ok = writePair(files, problems);
      SCOPED_TRACE(files.calls[static_cast<size_t>(k - 1)] + " in run with targets " +
                   std::to_string(static_cast<int>(targets)));
      expectOnePair(ok, problems);
    }
  }
}

// Regressions for a run killed during a rewrite in place (the hard-linked target left empty
// or partial) or between the renames (a new string table beside the old database), whose
// kept copies the next run deleted: the next run puts the earlier pair back, with its
// links and times, or finds the new one complete, and leaves nothing else.
TEST_F(PendingOutputTest, ARunKilledAtAnyCallIsRolledBackByTheNextRun) {
  for (Targets targets : {Targets::kNone, Targets::kPlain, Targets::kLinked}) {
    WatchedFileSystem counted;
    std::vector<CommitProblem> ignored;
    freshFolder(targets);
    ASSERT_TRUE(writePair(counted, ignored));
    int calls = static_cast<int>(counted.calls.size());
    for (int k = 1; k <= calls; ++k) {
      freshFolder(targets);
      WatchedFileSystem files;
      files.dieAt = k;
      std::vector<CommitProblem> problems;
      writePair(files, problems);
      SCOPED_TRACE(files.calls[static_cast<size_t>(k - 1)] + " in run with targets " +
                   std::to_string(static_cast<int>(targets)));
      { PendingOutput nextRun(file("a.gds"), FileSystem::real(), nullptr); }
      if (targets == Targets::kNone) {
        std::vector<std::string> names = pair().empty()
                                             ? std::vector<std::string>()
                                             : std::vector<std::string>{"a.gds", "b.gdf"};
        EXPECT_TRUE(pair().empty() || pair() == kNewPair) << pair();
        EXPECT_EQ(listing(), names);
      } else {
        expectOnePair(pair() == kNewPair, {});
      }
    }
  }
}

// Regression: a stop signal during the replacement ended the run as failed with the new
// outputs in place. Until the journal is marked complete the replacement is undone (and
// the signal then ends the run); after that, the signal is taken and said.
TEST_F(PendingOutputTest, AStopSignalDuringTheReplacementUndoesItOrIsSaidAfterIt) {
  static volatile sig_atomic_t caught = 0;
  struct sigaction catching = {};
  catching.sa_handler = [](int) { caught = 1; };
  struct sigaction previous = {};
  ASSERT_EQ(sigaction(SIGINT, &catching, &previous), 0);
  struct Row {
    const char* call;  // the signal comes before its n-th occurrence
    int occurrence;
    bool undone;
  };
  for (Row row : {Row{"truncate", 1, true}, Row{"syncFolder", 2, true}, Row{"mark", 1, false}}) {
    SCOPED_TRACE(row.call);
    caught = 0;
    freshFolder(Targets::kLinked);
    WatchedFileSystem files;
    int seen = 0;
    files.beforeCall = [&](const std::string& call) {
      if (call == row.call && ++seen == row.occurrence) raise(SIGINT);
    };
    std::vector<CommitProblem> problems;
    bool ok = writePair(files, problems);
    EXPECT_EQ(ok, !row.undone);
    EXPECT_EQ(caught, row.undone ? 1 : 0) << "delivered only once the replacement is undone";
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].errorCode, EINTR);
    EXPECT_EQ(problems[0].what,
              row.undone ? CommitProblem::What::kReplace : CommitProblem::What::kInterruptedAfter);
    expectOnePair(ok, row.undone ? problems : std::vector<CommitProblem>());
  }
  sigaction(SIGINT, &previous, nullptr);
}

// Regression: a stop signal between making a temporary file and remembering it left the
// file behind. Both now happen with the stop signals held back.
TEST_F(PendingOutputTest, AStopSignalAsATemporaryFileIsMadeFindsItRemembered) {
  class SignalOnCreate : public FileSystem {
    int createExclusive(const std::string& path, int& fd) override {
      int error = FileSystem::createExclusive(path, fd);
      raise(SIGINT);
      return error;
    }
  };
  static TemporaryFiles* temporaries = nullptr;
  static volatile sig_atomic_t rememberedAtSignal = -1;
  struct sigaction catching = {};
  catching.sa_handler = [](int) { rememberedAtSignal = temporaries->count(); };
  struct sigaction previous = {};
  ASSERT_EQ(sigaction(SIGINT, &catching, &previous), 0);
  TemporaryFiles remembered;
  temporaries = &remembered;
  SignalOnCreate files;
  {
    PendingOutput out(file("a.gds"), files, &remembered);
    EXPECT_TRUE(out.ready());
  }
  sigaction(SIGINT, &previous, nullptr);
  EXPECT_EQ(rememberedAtSignal, 1);
  EXPECT_EQ(remembered.count(), 0) << "dropped when abandoned";
}

// A target that another run replaced (or made) while this one compiled is what a failed
// replacement puts back, without a word: it is looked at again under the lock.
TEST_F(PendingOutputTest, ATargetReplacedMeanwhileIsWhatAFailurePutsBack) {
  freshFolder(Targets::kPlain);
  WatchedFileSystem files;
  files.refuses = [](const std::string& call) { return call == "rename tmp b.gdf"; };
  PendingOutput a(file("a.gds"), files, nullptr);
  PendingOutput b(file("b.gdf"), files, nullptr);
  ASSERT_TRUE(a.stream().write("the new a", 9) && b.stream().write("new b", 5));
  ASSERT_TRUE(a.finish() && b.finish());
  write("other.gds", "another run's a");
  fs::rename(file("other.gds"), file("a.gds"));
  std::vector<CommitProblem> problems;
  PendingOutput* outputs[] = {&a, &b};
  EXPECT_FALSE(commitOutputs(outputs, files, problems));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].what, CommitProblem::What::kReplace);
  EXPECT_EQ(content("a.gds") + content("b.gdf"), "another run's athe old b");
}

// Regression: temporary files that could not be removed (a folder made read-only) were
// left without a word; each is now named.
TEST_F(PendingOutputTest, TemporaryFilesThatCannotBeRemovedAreNamed) {
  freshFolder(Targets::kPlain);
  WatchedFileSystem files;
  files.refuses = [](const std::string& call) {
    return (call.starts_with("remove") && !call.ends_with("(missing)")) ||
           call == "rename tmp b.gdf";
  };
  std::vector<CommitProblem> problems;
  EXPECT_FALSE(writePair(files, problems));
  expectOnePair(false, problems);
  EXPECT_GE(problems.size(), 3u) << "b's temporary file, its kept copy and the journal";
}

// Regression: a run in another PID namespace removed the temporary files of a live run,
// judged dead by its process id. Whether a run has ended is decided by its file's lock.
TEST_F(PendingOutputTest, TemporaryFilesAreRemovedWhenUnlockedWhateverTheirProcessId) {
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  std::string gone = std::to_string(child);
  std::string live = std::to_string(getpid());
  for (const std::string& name :
       std::vector<std::string>{".rpgc-" + gone + "-0.a.gds.tmp", ".rpgc-" + gone + "-1.tmp",
                                ".rpgc-" + live + "-999.a.gds.tmp", ".rpgc-x.tmp"}) {
    write(name, "left");
  }
  int held = open(file(".rpgc-" + gone + "-0.a.gds.tmp").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  { PendingOutput out(file("a.gds"), FileSystem::real(), nullptr); }
  close(held);
  EXPECT_EQ(listing(), (std::vector<std::string>{".rpgc-" + gone + "-0.a.gds.tmp", ".rpgc-x.tmp"}));
}

TEST_F(PendingOutputTest, TargetsThatAreNotPlainFiles) {
  // A folder fails at once; a device is written directly (nothing is renamed over it).
  fs::create_directory(file("dir.gds"));
  PendingOutput folder(file("dir.gds"), FileSystem::real(), nullptr);
  EXPECT_FALSE(folder.ready());
  EXPECT_EQ(folder.errorCode(), EISDIR);
  EXPECT_FALSE(folder.stream().write("x", 1)) << "the first write fails, not the finish";
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
