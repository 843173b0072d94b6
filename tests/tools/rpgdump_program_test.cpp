// End-to-end tests of the rpgdump program: the listing, --diff, --source with rpgc
// compiling the result again, the error lines and the exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/amplifying_database.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

#ifndef RPGDUMP_BINARY
#error "RPGDUMP_BINARY must name the rpgdump program under test"
#endif

namespace rpgc {
namespace {

namespace fs = std::filesystem;
using test::ProgramRun;

const fs::path kExample = fs::path(RPGC_SOURCE_DIR) / "examples" / "duskvale";
const fs::path kGolden = fs::path(RPGC_SOURCE_DIR) / "tests" / "driver" / "golden";

ProgramRun dump(const fs::path& folder, const std::vector<std::string>& args) {
  return test::runBinary(RPGDUMP_BINARY, folder, args);
}

void writeFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

void writeFile(const fs::path& path, const test::Bytes& content) {
  writeFile(path, std::string(content.begin(), content.end()));
}

// Under AddressSanitizer a process reserves terabytes of address space: no limit on it
// can be set.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSpaceLimits = false;
#elif defined(__has_feature)
constexpr bool kAddressSpaceLimits = !__has_feature(address_sanitizer);
#else
constexpr bool kAddressSpaceLimits = true;
#endif

// rpgdump with its address space limited to 24 MB (ulimit -v), a few times what it needs
// to start, its output through the shell command then.
ProgramRun dumpInLittleMemory(const fs::path& folder, const std::vector<std::string>& args,
                              const std::string& then = "") {
  std::vector<std::string> shell = {"-c", "ulimit -v 24000 && \"$0\" \"$@\"" + then,
                                    RPGDUMP_BINARY};
  shell.insert(shell.end(), args.begin(), args.end());
  return test::runBinary("/bin/sh", folder, shell);
}

// The example compiled in a folder of its own; returns the folder's path.
fs::path compiledExample(const test::TempDir& dir, const std::string& name) {
  fs::path folder = dir.path() / name;
  fs::copy(kExample, folder);
  EXPECT_EQ(test::runProgram(folder, {}).exitStatus, 0);
  return folder;
}

TEST(RpgdumpProgramTest, Listing) {
  test::TempDir dir;
  writeFile(dir.path() / "world.txt",
            "BEGIN item Lamp\nATOM Type = tool\nFLOAT Weight = 1.5\nFLOAT Light = 2 to 6\n"
            "ATOM Kind = lantern\nEND\n\nBEGIN quest Watch\nREFERENCE Giver = Guard\n"
            "INTEGERS Steps = 1 2\nEND\n\nSTRING Hello RANDOM\nGood  evening.\nEND\n\n");
  ASSERT_EQ(test::runProgram(dir.path(), {"Proj", "world.txt"}).exitStatus, 0);
  const std::string strings =
      "string table of project Proj, version 1, 1 atom, 1 section\n"
      "\n"
      "section Hello RANDOM\n"
      "  \"Good evening.\"\n";
  const std::string allProperties =
      "object Lamp: F_item\n"
      "  STR_Desc: atom list []\n"
      "  Type: atom tool\n"
      "  Class: atom \"\"\n"
      "  ModNames: atom list []\n"
      "  ModFactors: float list []\n"
      "  Materials: atom list []\n"
      "  EffectMacro_0: atom list []\n"
      "  EffectMacro_1: atom list []\n"
      "  EffectMacro_2: atom list []\n";
  const std::string setProperties =
      "object Lamp: F_item\n"
      "  Type: atom tool\n";
  const std::string rest =
      "  FLOAT Weight = 1.5\n"
      "  FLOAT Light = 2 to 6\n"
      "  ATOM Kind = lantern\n"
      "\n"
      "object Watch: F_generic\n"
      "  Type: atom quest\n"
      "  REFERENCE Giver = Guard\n"
      "  INTEGERS Steps = 1 2\n";
  const std::string database =
      "object database of project Proj, version 1, 45 atoms, 2 objects\n\n";
  struct Row {
    std::vector<std::string> args;
    std::string out;
  };
  const Row rows[] = {
      {{"database.gds", "database.gdf"},
       "database.gds: " + strings + "\ndatabase.gdf: " + database + setProperties + rest},
      {{"--all", "database.gdf"}, "database.gdf: " + database + allProperties + rest},
      {{"--no-header-path", "database.gds", "database.gdf"},
       strings + "\n" + database + setProperties + rest},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.args));
    ProgramRun run = dump(dir.path(), row.args);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, row.out);
  }
}

TEST(RpgdumpProgramTest, DiffOfABuildAgainstItselfAndAgainstOneChange) {
  test::TempDir dir;
  fs::path before = compiledExample(dir, "before");
  fs::path after = compiledExample(dir, "after");
  ProgramRun same = dump(dir.path(), {"--diff", "before/duskvale.gdf", "after/duskvale.gdf"});
  EXPECT_EQ(same.exitStatus, 0);
  EXPECT_EQ(same.out, "");
  EXPECT_EQ(same.err, "");

  for (const char* file : {"characters.txt", "strings.txt"}) {
    std::string text = test::readFileBytes(after / file);
    if (std::string(file) == "characters.txt") {
      text.replace(text.find("INTEGER Health = 30"), 19, "INTEGER Health = 31");
    } else {
      text.replace(text.find("Teeth."), 6, "Fangs.");
    }
    writeFile(after / file, text);
  }
  ASSERT_EQ(test::runProgram(after, {}).exitStatus, 0);
  ProgramRun objects = dump(dir.path(), {"--diff", "before/duskvale.gdf", "after/duskvale.gdf"});
  EXPECT_EQ(objects.exitStatus, 1);
  EXPECT_EQ(objects.out, "~ object Hero: INTEGER Health = 30 -> 31\n");
  ProgramRun strings = dump(dir.path(), {"--diff", "before/duskvale.gds", "after/duskvale.gds"});
  EXPECT_EQ(strings.exitStatus, 1);
  EXPECT_EQ(strings.out, "~ string section WolfBiteDesc: text 1 \"Teeth.\" -> \"Fangs.\"\n");
}

// Questions about names on the example: objects and string sections by name or pattern,
// and the values that name them.
TEST(RpgdumpProgramTest, QueriesOnTheExample) {
  test::TempDir dir;
  fs::path example = compiledExample(dir, "example");
  const std::string wolfBite =
      "object WolfBite: F_item\n"
      "  STR_Desc: atom list [WolfBiteDesc]\n"
      "  Type: atom weapon\n"
      "  Class: atom natural\n"
      "  FLOAT Damage = 2 to 5\n"
      "  ATOM DamageKind = piercing\n";
  struct Row {
    std::vector<std::string> args;
    int exitStatus;
    std::string out;
    std::string err;
  };
  const Row rows[] = {
      {{"duskvale.gds", "duskvale.gdf", "WolfBite"}, 0, wolfBite, ""},
      {{"--object=WolfBite*", "duskvale.gdf", "duskvale.gds"},
       0,
       wolfBite + "\nsection WolfBiteDesc\n  \"Teeth.\"\n",
       ""},
      {{"duskvale.gdf", "Herp", "WolfBite"},
       1,
       wolfBite,
       "rpgdump: error: no object or string section is named 'Herp'; did you mean 'Hero'?\n"},
      // A character's equipment names objects; a value naming one twice makes one line.
      {{"--refs", "IronSword", "duskvale.gdf"},
       0,
       "object Hero: WeaponChoice: atom list [IronSword HuntingBow]\n"
       "object BrannaSmith: WeaponChoice: atom list [IronSword]\n",
       ""},
      {{"--refs=GreyWolf", "duskvale.gds", "duskvale.gdf"},
       0,
       "object WolfDen: REFERENCES Spawns = GreyWolf GreyWolf GreyWolf\n"
       "object WolfPack: REFERENCES Members = GreyWolf\n"
       "object WolfCull: REFERENCE Target = GreyWolf\n",
       ""},
      {{"--refs", "Draught*", "duskvale.gdf"},
       0,
       "object HealingDraught: STR_Desc: atom list [DraughtDesc DraughtWarning]\n",
       ""},
      {{"--refs", "WolfCull", "duskvale.gdf"}, 1, "", "rpgdump: note: nothing names 'WolfCull'\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.args));
    ProgramRun run = dump(example, row.args);
    EXPECT_EQ(run.exitStatus, row.exitStatus);
    EXPECT_EQ(run.out, row.out);
    EXPECT_EQ(run.err, row.err);
  }
}

// --diff of two builds' four files: their string tables, then their databases, the
// project name and version once; two base names stand for the four.
TEST(RpgdumpProgramTest, DiffOfTwoBuilds) {
  test::TempDir dir;
  fs::path before = compiledExample(dir, "before");
  fs::path after = compiledExample(dir, "after");
  std::string description = test::readFileBytes(after / "duskvale.gdm");
  description.replace(description.find("\n1.0\n"), 5, "\n2.0\n");
  writeFile(after / "duskvale.gdm", description);
  std::string characters = test::readFileBytes(after / "characters.txt");
  characters.replace(characters.find("INTEGER Health = 30"), 19, "INTEGER Health = 31");
  writeFile(after / "characters.txt", characters);
  std::string strings = test::readFileBytes(after / "strings.txt");
  strings.replace(strings.find("Teeth."), 6, "Fangs.");
  writeFile(after / "strings.txt", strings);
  ASSERT_EQ(test::runProgram(after, {}).exitStatus, 0);
  const std::string expected =
      "~ version 1 -> 2\n"
      "~ string section WolfBiteDesc: text 1 \"Teeth.\" -> \"Fangs.\"\n"
      "~ object Hero: INTEGER Health = 30 -> 31\n";
  const std::vector<std::string> runs[] = {
      {"--diff", "before/duskvale.gds", "before/duskvale.gdf", "after/duskvale.gds",
       "after/duskvale.gdf"},
      {"--diff", "before/duskvale.gdf", "before/duskvale.gds", "after/duskvale.gdf",
       "after/duskvale.gds"},
      {"--diff", "before/duskvale", "after/duskvale"},
  };
  for (const std::vector<std::string>& args : runs) {
    SCOPED_TRACE(testing::PrintToString(args));
    ProgramRun run = dump(dir.path(), args);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected);
  }
  ProgramRun same = dump(dir.path(), {"--diff", "before/duskvale", "before/duskvale"});
  EXPECT_EQ(same.exitStatus, 0);
  EXPECT_EQ(same.out, "");
}

TEST(RpgdumpProgramTest, SourceFolderCompilesToTheSameFiles) {
  test::TempDir dir;
  fs::path example = compiledExample(dir, "example");
  ProgramRun run = dump(example, {"--source", "-o", "../again", "duskvale.gds", "duskvale.gdf"});
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(test::readFileBytes(dir.path() / "again" / "duskvale.gdm"),
            "Duskvale\n1\nduskvale\nduskvale.txt\n");
  ASSERT_EQ(test::runProgram(dir.path() / "again", {"duskvale.gdm"}).exitStatus, 0);
  for (const char* file : {"duskvale.gds", "duskvale.gdf"}) {
    EXPECT_EQ(test::readFileBytes(dir.path() / "again" / file), test::readFileBytes(kGolden / file))
        << file;
  }
  // Without -o the same source goes to standard output.
  ProgramRun printed = dump(example, {"--source", "duskvale.gdf", "duskvale.gds"});
  EXPECT_EQ(printed.exitStatus, 0);
  EXPECT_EQ(printed.out, test::readFileBytes(dir.path() / "again" / "duskvale.txt"));
}

TEST(RpgdumpProgramTest, ErrorLinesAndExitStatus) {
  test::TempDir dir;
  std::string database = test::readFileBytes(kGolden / "duskvale.gdf");
  writeFile(dir.path() / "cut.gdf", database.substr(0, 5000));
  writeFile(dir.path() / "data.bin", database);
  writeFile(dir.path() / "strings.gds", test::readFileBytes(kGolden / "duskvale.gds"));
  writeFile(dir.path() / "renamed.gdf", test::readFileBytes(kGolden / "duskvale.gds"));
  struct Row {
    std::vector<std::string> args;
    int exitStatus;
    std::string err;
  };
  const std::string usage = " (see rpgdump --help)\n";
  const Row rows[] = {
      {{"cut.gdf"}, 2, "cut.gdf: error: the body runs past the end of the file at offset 3385\n"},
      {{"--json", "strings.gds", "missing.gds"},
       2,
       "missing.gds: error: cannot read the file: No such file or directory\n"},
      {{"data.bin"},
       2,
       "data.bin: error: cannot tell a string table (.gds) from a database (.gdf) by its name; "
       "say which with --kind gds or --kind gdf\n"},
      {{"--kind", "gds", "data.bin"},
       2,
       "data.bin: error: this is an object database, not a string table\n"},
      {{"--diff", "strings.gds", "--kind", "gdf", "data.bin"},
       2,
       "rpgdump: error: cannot compare a string table with a database" + usage},
      {{}, 2, "rpgdump: error: no file named" + usage},
      {{"--diff", "strings.gds"},
       2,
       "rpgdump: error: --diff compares two files, two base names, or OLD.gds OLD.gdf NEW.gds "
       "NEW.gdf" +
           usage},
      {{"--json", "--diff", "a", "b"},
       2,
       "rpgdump: error: choose one of --json, --source, --diff, --refs and --summary" + usage},
      {{"--refs", "X", "--summary", "a"},
       2,
       "rpgdump: error: choose one of --json, --source, --diff, --refs and --summary" + usage},
      {{"--diff", "a.gds", "b.gds", "c.gdf", "d.gdf"},
       2,
       "rpgdump: error: --diff with four files compares OLD.gds OLD.gdf with NEW.gds NEW.gdf: a "
       "string table and a database of each build" +
           usage},
      // A file renamed from one kind to the other is said to be of the other kind.
      {{"renamed.gdf"}, 2, "renamed.gdf: error: this is a string table, not an object database\n"},
      {{"--kind=gds", "data.bin"},
       2,
       "data.bin: error: this is an object database, not a string table\n"},
      {{"--kind=", "data.bin"}, 2, "rpgdump: error: --kind needs a value" + usage},
      {{"--json=x", "data.bin"}, 2, "rpgdump: error: unknown option '--json=x'" + usage},
      // Arguments that are no files and look like names are names; others stay files.
      {{"strings.gds", "missing.gdf", "SwordDesc"},
       2,
       "missing.gdf: error: cannot read the file: No such file or directory\n"},
      {{"strings.gds", "Herp*"},
       1,
       "rpgdump: error: no object or string section is named 'Herp*'\n"},
      {{"-o", "x", "strings.gds"}, 2, "rpgdump: error: -o goes with --source" + usage},
      {{"--kind", "txt", "x"}, 2, "rpgdump: error: --kind takes gds or gdf, not 'txt'" + usage},
      {{"--frob"}, 2, "rpgdump: error: unknown option '--frob'" + usage},
      {{"--source", "strings.gds", "strings.gds"},
       2,
       "rpgdump: error: --source takes one string table and one database" + usage},
      {{"--kind", "gdf", "data.bin"}, 0, ""},
      {{"--kind=gdf", "data.bin"}, 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.args));
    ProgramRun run = dump(dir.path(), row.args);
    EXPECT_EQ(run.exitStatus, row.exitStatus);
    EXPECT_EQ(run.err, row.err);
    if (row.exitStatus == 2) {
      EXPECT_EQ(run.out, "");
    }
  }
  ProgramRun help = dump(dir.path(), {"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.out.rfind("usage: rpgdump", 0), 0u);
  EXPECT_EQ(dump(dir.path(), {"--version"}).out, "rpgdump " RPGC_VERSION "\n");
}

// rpgdump through the shell: "$0" is the program.
ProgramRun dumpThroughShell(const fs::path& folder, const std::string& command) {
  return test::runBinary("/bin/sh", folder, {"-c", command, RPGDUMP_BINARY});
}

// Regression: --diff and --source opened their inputs a second time by path, so an input
// read from a pipe compared as empty: "the same content, stored differently", and "not
// stored byte for byte". Each input is read once.
TEST(RpgdumpProgramTest, APipeInputIsReadOnceAndComparedByTheBytesRead) {
  test::TempDir dir;
  writeFile(dir.path() / "d.gdf", test::readFileBytes(kGolden / "duskvale.gdf"));
  ProgramRun diff =
      dumpThroughShell(dir.path(), "cat d.gdf | \"$0\" --diff --kind gdf /dev/stdin d.gdf");
  EXPECT_EQ(diff.exitStatus, 0) << diff.err;
  EXPECT_EQ(diff.out, "");
  ProgramRun source =
      dumpThroughShell(dir.path(), "cat d.gdf | \"$0\" --source --kind gdf /dev/stdin");
  EXPECT_EQ(source.exitStatus, 0) << source.err;
  EXPECT_EQ(source.out, dump(dir.path(), {"--source", "d.gdf"}).out);
}

// --source -o puts its files in place as rpgc does: what a stopped run left in the folder
// is dealt with first and said.
TEST(RpgdumpProgramTest, SourceFolderSaysWhatStoppedRunsLeft) {
  test::TempDir dir;
  writeFile(dir.path() / "d.gdf", test::readFileBytes(kGolden / "duskvale.gdf"));
  fs::create_directory(dir.path() / "out");
  writeFile(dir.path() / "out" / ".rpgc-99-1.old", std::string("left"));
  ProgramRun run = dump(dir.path(), {"--source", "-o", "out", "d.gdf"});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1),
            "rpgdump: note: 'out/.rpgc-99-1.old' was left by a stopped run of an earlier version; "
            "it may hold the earlier content of an output, so it is left in place\n");
  EXPECT_TRUE(fs::exists(dir.path() / "out" / "d.txt"));
}

// Regression: each object, and in --diff each value, was built as one string, so a
// 4 MB database holding a million copies of a 1024-byte atom needed gigabytes (and ended
// in an uncaught std::bad_alloc). Here 16,384 copies (a 70 kB file, 16 MB of listing)
// must go through every mode within 24 MB.
TEST(RpgdumpProgramTest, AmplifyingFileIsShownInBoundedMemory) {
  if (!kAddressSpaceLimits) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
  test::TempDir dir;
  constexpr int32_t kCopies = 16384;
  writeFile(dir.path() / "hoard.gdf", test::amplifyingDatabase(kCopies));
  writeFile(dir.path() / "changed.gdf", test::amplifyingDatabase(kCopies, true));
  const std::string atom = test::amplifyingAtom();
  const std::vector<std::string> modes[] = {
      {"hoard.gdf"}, {"--json", "hoard.gdf"}, {"--source", "hoard.gdf"}};
  for (const std::vector<std::string>& args : modes) {
    SCOPED_TRACE(args.front());
    // Only the output's size is kept, not 16 MB of it.
    ProgramRun run = dumpInLittleMemory(dir.path(), args, " | wc -c");
    EXPECT_EQ(run.err, "");
    EXPECT_GE(std::stoull(run.out), kCopies * atom.size());
  }
  ProgramRun folder = dumpInLittleMemory(dir.path(), {"--source", "-o", "again", "hoard.gdf"});
  EXPECT_EQ(folder.exitStatus, 0);
  EXPECT_GE(fs::file_size(dir.path() / "again" / "hoard.txt"), kCopies * atom.size());

  // A long value of a diff line is shown from its first difference, with its length.
  ProgramRun diff = dumpInLittleMemory(dir.path(), {"--diff", "hoard.gdf", "changed.gdf"});
  EXPECT_EQ(diff.exitStatus, 1);
  EXPECT_EQ(diff.err, "");
  EXPECT_EQ(diff.out, "~ object Hoard: ATOMS Coins = \u2026 " + atom +
                          " (16,384 values) -> \u2026 Copper (16,384 values)\n");
  ProgramRun same = dumpInLittleMemory(dir.path(), {"--diff", "hoard.gdf", "hoard.gdf"});
  EXPECT_EQ(same.exitStatus, 0);
  EXPECT_EQ(same.out, "");
}

// Regression: running out of memory ended in an uncaught std::bad_alloc (exit 134 and a
// two-line crash text).
TEST(RpgdumpProgramTest, OutOfMemoryIsReportedNotACrash) {
  if (!kAddressSpaceLimits) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
  test::TempDir dir;
  ProgramRun run = dumpInLittleMemory(dir.path(), {"--kind", "gdf", "/dev/zero"});
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.err, "rpgdump: error: out of memory\n");
}

// Regression: a file was read (2 GiB of it) before its size was checked.
TEST(RpgdumpProgramTest, FileLargerThanTheLimitIsRefusedBeforeReading) {
  if (!kAddressSpaceLimits) GTEST_SKIP() << "no address-space limit under AddressSanitizer";
  test::TempDir dir;
  { std::ofstream(dir.path() / "huge.gdf") << ""; }
  std::error_code error;
  fs::resize_file(dir.path() / "huge.gdf", 3'000'000'000, error);  // sparse where it can be
  if (error) GTEST_SKIP() << "cannot make a 3 GB file here: " << error.message();
  ProgramRun run = dumpInLittleMemory(dir.path(), {"huge.gdf"});
  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.err,
            "huge.gdf: error: the file is larger than the format's limit of 2147483647 bytes\n");
}

// Regression: the listing's header printed the input path raw, control bytes and all.
TEST(RpgdumpProgramTest, ListingHeaderEscapesThePath) {
  test::TempDir dir;
  const std::string name = "x\x1b[2J\n\xe9.gdf";
  writeFile(dir.path() / name, test::readFileBytes(kGolden / "duskvale.gdf"));
  ProgramRun run = dump(dir.path(), {name});
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1),
            "x\\x1b[2J\\n\\xe9.gdf: object database of project Duskvale, version 1, 249 atoms, "
            "27 objects\n");
}

// Regression: rpgdump installed no signal handlers, so a SIGINT while --source -o wrote
// its files left their temporary files behind.
TEST(RpgdumpProgramTest, InterruptedSourceOutputLeavesNoTemporaryFiles) {
  test::TempDir dir;
  // 128 MB of source to write: time enough to be interrupted in the middle.
  writeFile(dir.path() / "hoard.gdf", test::amplifyingDatabase(131072));
  fs::path out = dir.path() / "out";
  std::string args[] = {"rpgdump", "--source", "-o", out.string(), dir.file("hoard.gdf")};
  char* argv[] = {args[0].data(), args[1].data(), args[2].data(),
                  args[3].data(), args[4].data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, RPGDUMP_BINARY, &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  // Interrupted once a file has grown: the source is being written, both files made.
  auto writing = [&out] {
    std::error_code error;
    for (fs::directory_iterator it(out, error), end; !error && it != end; it.increment(error)) {
      if (it->file_size(error) > 0 && !error) return true;
    }
    return false;
  };
  int status = 0;
  bool interrupted = false;
  while (!interrupted && waitpid(pid, &status, WNOHANG) == 0) {
    if (writing()) {
      interrupted = kill(pid, SIGINT) == 0;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  if (interrupted) waitpid(pid, &status, 0);
  ASSERT_TRUE(interrupted) << "rpgdump ended before its first file appeared";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_TRUE(fs::is_empty(out)) << fs::directory_iterator(out)->path();
}

// The reading guide shows the example program that the tests build and run, verbatim.
TEST(RpgdumpProgramTest, ReadingGuideShowsTheExampleAsBuilt) {
  fs::path docs = fs::path(RPGC_SOURCE_DIR) / "docs";
  std::string guide = test::readFileBytes(docs / "reading-files.md");
  std::string example = test::readFileBytes(docs / "examples" / "load_database.cpp");
  ASSERT_FALSE(example.empty());
  EXPECT_NE(guide.find("```cpp\n" + example + "```\n"), std::string::npos);
}

}  // namespace
}  // namespace rpgc
