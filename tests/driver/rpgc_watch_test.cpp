// End-to-end test of rpgc --watch: the real program in the background, its sources
// changed the way editors change them, and Ctrl-C at the end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

namespace fs = std::filesystem;

size_t countOf(const std::string& text, const std::string& piece) {
  size_t count = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) {
    ++count;
  }
  return count;
}

class RpgcWatchTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (child_ > 0) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
  }

  void write(const std::string& name, const std::string& content) {
    std::ofstream(dir_.file(name), std::ios::binary) << content;
  }
  // As editors that save by writing a new file and renaming it over the old one.
  void replace(const std::string& name, const std::string& content) {
    write(name + ".new", content);
    fs::rename(dir_.path() / (name + ".new"), dir_.path() / name);
  }
  std::string err() const { return test::readFileBytes(capture_.file("stderr")); }
  std::string bytesOf(const std::string& name) const {
    return test::readFileBytes(dir_.path() / name);
  }
  std::set<std::string> listing() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  void start(const std::vector<const char*>& args) {
    child_ = fork();
    ASSERT_GE(child_, 0);
    if (child_ == 0) {
      if (chdir(dir_.path().c_str()) != 0) _exit(127);
      if (!freopen(capture_.file("stdout").c_str(), "w", stdout)) _exit(127);
      if (!freopen(capture_.file("stderr").c_str(), "w", stderr)) _exit(127);
      std::vector<char*> argv{const_cast<char*>("rpgc")};
      for (const char* arg : args) argv.push_back(const_cast<char*>(arg));
      argv.push_back(nullptr);
      execv(RPGC_BINARY, argv.data());
      _exit(127);
    }
  }

  // Waits (a generous while, for a loaded machine) until the program's standard error
  // shows what is expected.
  bool waitFor(const std::function<bool(const std::string&)>& shown) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      if (shown(err())) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // Writes content into the pipe at name once a run has opened it for reading (which is
  // when the open for writing succeeds), after calling meanwhile: the run cannot end
  // before. False when no run opens it in a generous while.
  bool feed(const std::string& name, const std::string& content,
            const std::function<void()>& meanwhile = {}) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      int fd = open(dir_.file(name).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        if (meanwhile) meanwhile();
        bool written =
            ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
        close(fd);
        return written;
      }
      if (errno != ENXIO) return false;  // ENXIO: no reader yet
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  void stop() {
    ASSERT_EQ(kill(child_, SIGINT), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child_, &status, 0), child_);
    child_ = -1;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  }

  test::TempDir dir_;
  test::TempDir capture_;
  pid_t child_ = -1;
};

// Regression: the files were watched only once the first run had ended, so a source saved
// while it ran was never compiled. The run is held in the middle of reading by a source
// that is a pipe (behind a link, so that writing it is no change of a watched file).
TEST_F(RpgcWatchTest, ASourceChangedWhileARunReadsStartsAnotherRun) {
  write("p.gdm", "P\n1\nout\na.txt\nslow.txt\n");
  write("a.txt", "BEGIN quest Q\nINTEGER X = 1\nEND\n\n");
  fs::create_directory(dir_.path() / "pipes");
  ASSERT_EQ(mkfifo(dir_.file("pipes/slow").c_str(), 0600), 0);
  fs::create_symlink("pipes/slow", dir_.path() / "slow.txt");
  const std::string slow = "BEGIN quest S\nEND\n\n";
  start({"--watch", "-q", "p.gdm"});
  // While the first run waits for slow.txt, a.txt changes.
  ASSERT_TRUE(feed("slow.txt", slow, [&] {
    write("a.txt", "BEGIN quest Q\nINTEGER X = 2x\nEND\n\n");
  })) << err();
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: written in ") == 1; }))
      << err();
  ASSERT_TRUE(feed("slow.txt", slow)) << "no second run: " << err();
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: written in ") == 2; }))
      << err();
  std::string second = err().substr(err().find("rpgc: written in ") + 1);
  EXPECT_NE(second.find("a.txt:2:13: warning: '2x' has text after its number"), std::string::npos)
      << err();
  stop();
}

// The description removed and made again (as an editor that saves by rename does), naming
// a source in a folder that does not exist yet: each step is a run, and once the folder
// is made its file is watched too.
TEST_F(RpgcWatchTest, ADescriptionMadeAgainAndASourceInANewFolderAreWatched) {
  write("p.gdm", "P\n1\nout\na.txt\n");
  write("a.txt", "BEGIN quest Q\nEND\n\n");
  start({"--watch", "-q", "p.gdm"});
  ASSERT_TRUE(waitFor([](const std::string& e) {
    return e.find("rpgc: note: watching") != e.npos;
  })) << err();
  fs::remove(dir_.path() / "p.gdm");
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: failed in ") == 1; }))
      << err();
  EXPECT_NE(err().find("rpgc: error: cannot open description file 'p.gdm'"), std::string::npos)
      << err();
  replace("p.gdm", "P\n1\nout\na.txt\nnew/c.txt\n");
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: failed in ") == 2; }))
      << err();
  fs::create_directory(dir_.path() / "new");
  write("new/c.txt", "BEGIN quest C\nEND\n\n");
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: written in ") == 2; }))
      << err();
  write("new/c.txt", "BEGIN quest C\nINTEGER X = 2x\nEND\n\n");
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: written in ") == 3; }))
      << err();
  EXPECT_NE(err().find("new/c.txt:2:13: warning: '2x'"), std::string::npos) << err();
  stop();
}

TEST_F(RpgcWatchTest, ChangesRebuildErrorsKeepTheOutputsAndControlCEndsCleanly) {
  write("p.gdm", "P\n1\nout\nsub/a.txt\n");
  fs::create_directory(dir_.path() / "sub");
  write("sub/a.txt", "BEGIN quest Q\nINTEGER X = 1\nEND\n\n");
  start({"--watch", "-q", "p.gdm"});
  ASSERT_TRUE(waitFor([](const std::string& e) {
    return e.find("rpgc: note: watching") != e.npos;
  })) << err();
  EXPECT_TRUE(err().starts_with("rpgc: written in ")) << err();
  std::string first = bytesOf("out.gdf");

  // A source saved by rename, in a folder of its own: rebuilt, with this run's warning.
  replace("sub/a.txt", "BEGIN quest Q\nINTEGER X = 2x\nEND\n\n");
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: written in ") == 2; }))
      << err();
  EXPECT_NE(err().find("sub/a.txt:2:13: warning: '2x' has text after its number"),
            std::string::npos);
  EXPECT_TRUE(err().ends_with(" s (1 warning)\n")) << err();
  std::string second = bytesOf("out.gdf");
  EXPECT_NE(second, first);

  // An error: reported alone, and the last good outputs stay.
  write("sub/a.txt", "BEGIN quest Q\nEND\n\nBEGIN item Q\nEND\n\n");
  ASSERT_TRUE(waitFor([](const std::string& e) { return e.find("rpgc: failed in ") != e.npos; }))
      << err();
  std::string third = err().substr(err().rfind(" s (1 warning)\n") + 15);
  EXPECT_EQ(countOf(third, "warning"), 0u) << "only this run's diagnostics: " << third;
  EXPECT_TRUE(third.ends_with(" s (1 error); the outputs are unchanged\n")) << third;
  EXPECT_EQ(bytesOf("out.gdf"), second);

  // The description changes, and names a new source, which is then watched too.
  write("b.txt", "BEGIN quest R\nEND\n\n");
  write("p.gdm", "P\n1\nout\nsub/a.txt\nb.txt\n");
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: failed in ") == 2; }))
      << err();
  write("sub/a.txt", "BEGIN quest Q\nEND\n\n");
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: written in ") == 3; }))
      << err();
  replace("b.txt", "BEGIN quest S\nEND\n\n");
  ASSERT_TRUE(waitFor([](const std::string& e) { return countOf(e, "rpgc: written in ") == 4; }))
      << err();
  EXPECT_EQ(test::readFileBytes(capture_.file("stdout")), "Error\nError\n");

  stop();
  EXPECT_EQ(listing(), (std::set<std::string>{"b.txt", "out.gdf", "out.gds", "p.gdm", "sub"}));
}

}  // namespace
}  // namespace rpgc
