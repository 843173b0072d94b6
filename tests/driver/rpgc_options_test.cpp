// End-to-end tests of what the options change, run on the real program: warnings never
// change the outputs or the standard output, -Werror and --check write nothing, JSON
// diagnostics parse, and the command line's own errors.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

namespace fs = std::filesystem;
using test::ProgramRun;

const std::string kRule(78, '=');

// a.txt warns (a glued '=', a reference to nothing); b.txt is clean.
const char* const kWarningSource =
    "BEGIN item Sword\nATOM Type = weapon\nFLOAT Weight=0.5\nREFERENCE Maker = Nobody\n"
    "END\n\nSTRING SwordDesc\nA sword.\nEND\n\n";
const char* const kCleanSource = "BEGIN quest Q\nREFERENCE Prize = Sword\nEND\n\n";
// A name taken by another kind of block: an error in c.txt.
const char* const kConflictSource = "BEGIN quest Sword\nEND\n\n";

class RpgcOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    write("a.txt", kWarningSource);
    write("b.txt", kCleanSource);
    write("c.txt", kConflictSource);
  }
  void write(const std::string& name, const std::string& content) {
    std::ofstream(dir_.file(name), std::ios::binary) << content;
  }
  ProgramRun run(const std::vector<std::string>& args) {
    return test::runProgram(dir_.path(), args);
  }
  bool exists(const std::string& name) const { return fs::exists(dir_.path() / name); }
  std::string bytesOf(const std::string& name) const {
    return test::readFileBytes(dir_.path() / name);
  }

  test::TempDir dir_;
};

TEST_F(RpgcOptionsTest, WarningsChangeNeitherOutputsNorStandardOutput) {
  ProgramRun quiet = run({"-w", "proj", "a.txt", "b.txt"});
  std::string gds = bytesOf("database.gds");
  std::string gdf = bytesOf("database.gdf");
  ProgramRun warned = run({"proj", "a.txt", "b.txt"});

  EXPECT_EQ(quiet.exitStatus, 0);
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(warned.exitStatus, 0);
  EXPECT_EQ(warned.out, quiet.out);
  EXPECT_EQ(bytesOf("database.gds"), gds);
  EXPECT_EQ(bytesOf("database.gdf"), gdf);
  EXPECT_EQ(warned.err,
            "a.txt: in item 'Sword':\n"
            "a.txt:3:7: warning: this line is skipped: '=' must stand apart from the words around "
            "it ('Weight=0.5') [-Wnot-assignment]\n"
            "    3 | FLOAT Weight=0.5\n"
            "      |       ^~~~~~~~~~\n"
            "      |       Weight = 0.5\n"
            "a.txt:4:19: warning: 'Nobody' names no object of the project "
            "[-Wunresolved-reference]\n"
            "    4 | REFERENCE Maker = Nobody\n"
            "      |                   ^~~~~~\n"
            "rpgc: 2 warnings\n");
}

TEST_F(RpgcOptionsTest, WarningsAsErrorsFailTheRunAndWriteNothing) {
  ProgramRun result = run({"-Werror", "proj", "b.txt", "a.txt"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.out, kRule + "\nCompiling\n" + kRule + "\nb.txt\na.txt\nError\n");
  EXPECT_TRUE(
      result.err.starts_with("a.txt: in item 'Sword':\na.txt:3:7: error: this line is skipped"))
      << result.err;
  EXPECT_NE(result.err.find("[-Werror=not-assignment]"), std::string::npos);
  EXPECT_FALSE(exists("database.gds"));
  EXPECT_FALSE(exists("database.gdf"));

  // Only the named warning is an error: the run succeeds with the other shown.
  ProgramRun one = run({"-Werror=unresolved-string", "proj", "a.txt", "b.txt"});
  EXPECT_EQ(one.exitStatus, 0);
  EXPECT_NE(one.err.find("warning: this line is skipped"), std::string::npos);
}

// --strict: a.txt's skipped line (content) fails the run after every file is reported,
// d.txt's stray line (style) stays a warning.
TEST_F(RpgcOptionsTest, StrictFailsOnContentFindingsAfterReportingEveryFile) {
  write("d.txt", "Notes about the quest\n\nBEGIN quest Q\nEND\n\n");
  ProgramRun result = run({"--strict", "proj", "a.txt", "d.txt", "b.txt"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.out, kRule + "\nCompiling\n" + kRule + "\na.txt\nd.txt\nb.txt\nError\n");
  EXPECT_NE(result.err.find("a.txt:3:7: error: this line is skipped"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("[-Werror=not-assignment]"), std::string::npos);
  EXPECT_NE(result.err.find("d.txt:1:1: warning: this line is outside any section"),
            std::string::npos)
      << "style stays a warning, and the files after the failing one are reported";
  EXPECT_NE(result.err.find("a.txt:4:19: warning: 'Nobody' names no object"), std::string::npos);
  EXPECT_FALSE(exists("database.gds"));
  EXPECT_FALSE(exists("database.gdf"));

  // The group by name, as -W options take it.
  EXPECT_EQ(run({"-Werror=content", "-Wno-not-assignment", "proj", "a.txt", "d.txt"}).exitStatus,
            0);
  EXPECT_EQ(run({"--strict", "proj", "d.txt", "b.txt"}).exitStatus, 0);
}

// A source that cannot be opened is told at its line of the description, with the closest
// file of its folder; the names it would have declared are not reported as unknown.
TEST_F(RpgcOptionsTest, MissingSourceIsReportedAtItsDescriptionLine) {
  write("game.gdm", "Game\n1\nout\nb.txt\na.tx\nzzz.txt\n");
  ProgramRun result = run({"--check", "game.gdm"});
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_NE(result.err.find("game.gdm:5:1: error: cannot open source file 'a.tx': No such file "
                            "or directory; did you mean 'a.txt'?\n"
                            "    5 | a.tx\n"
                            "      | ^~~~\n"
                            "      | a.txt\n"),
            std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("game.gdm:6:1: error: cannot open source file 'zzz.txt': No such "
                            "file or directory\n"),
            std::string::npos)
      << "nothing close: no guess";
  EXPECT_EQ(result.err.find("names no object"), std::string::npos)
      << "Sword would have come from a.tx: " << result.err;
}

TEST_F(RpgcOptionsTest, CheckReportsEveryFileAndWritesNothing) {
  ProgramRun result = run({"--check", "proj", "c.txt", "a.txt", "b.txt"});
  EXPECT_EQ(result.exitStatus, 1) << "c.txt has an error";
  EXPECT_EQ(result.out, "");
  EXPECT_NE(result.err.find("a.txt:3:7: warning:"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("a.txt:1:12: error: 'Sword' is already a `quest` object; an item "
                            "cannot have the same name"),
            std::string::npos)
      << "the file after the one that failed is compiled too: " << result.err;
  EXPECT_FALSE(exists("database.gds"));
  EXPECT_FALSE(exists("database.gdf"));

  ProgramRun clean = run({"--check", "-w", "proj", "a.txt", "b.txt"});
  EXPECT_EQ(clean.exitStatus, 0);
  EXPECT_EQ(clean.out + clean.err, "");
  EXPECT_FALSE(exists("database.gds"));
}

TEST_F(RpgcOptionsTest, JsonDiagnosticsParseOneObjectALine) {
  ProgramRun result = run({"--check", "--diagnostics-format=json", "proj", "c.txt", "a.txt"});
  EXPECT_EQ(result.exitStatus, 1);
  std::ofstream(dir_.file("diagnostics.json"), std::ios::binary) << result.err;
  if (std::system("command -v python3 >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
  std::string check =
      "python3 -c 'import json,sys\n"
      "rows=[json.loads(l) for l in open(sys.argv[1],encoding=\"utf-8\")]\n"
      "assert [r[\"name\"] for r in rows]==[\"name-conflict\",\"not-assignment\"], rows\n"
      "assert rows[0][\"notes\"][0][\"file\"]==\"c.txt\" and rows[1][\"column\"]==7, rows' " +
      test::shellQuoted(dir_.file("diagnostics.json"));
  EXPECT_EQ(std::system(check.c_str()), 0) << result.err;
}

TEST_F(RpgcOptionsTest, CommandLineErrorsAndFolders) {
  ProgramRun unknown = run({"-x", "proj", "a.txt"});
  EXPECT_EQ(unknown.exitStatus, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_TRUE(unknown.err.starts_with("rpgc: error: unknown option '-x'\nusage: rpgc "))
      << unknown.err;

  ProgramRun badWarning = run({"-Wno-stray-lines", "x.gdm"});
  EXPECT_EQ(badWarning.exitStatus, 2);
  EXPECT_TRUE(badWarning.err.starts_with(
      "rpgc: error: unknown warning 'stray-lines'; did you mean 'stray-line'?\n"));

  fs::create_directory(dir_.path() / "game");
  write("game/g.gdm", "Game\n1\nout\n../b.txt\n../a.txt\n");
  fs::create_directory(dir_.path() / "built");
  ProgramRun folder = run({"-w", "-C", "game", "-o", "../built", "--depfile", "out.d", "g.gdm"});
  EXPECT_EQ(folder.exitStatus, 0) << folder.err;
  EXPECT_TRUE(exists("built/out.gds") && exists("built/out.gdf"));
  EXPECT_FALSE(exists("game/out.gds"));
  // Every path absolute, so make and ninja read it from any folder.
  std::string game = (dir_.path() / "game").string() + "/";
  EXPECT_EQ(bytesOf("game/out.d"), game + "../built/out.gds " + game + "../built/out.gdf: \\\n  " +
                                       game + "g.gdm \\\n  " + game + "../b.txt \\\n  " + game +
                                       "../a.txt\n");
  ProgramRun noValue = run({"--output-dir=", "g.gdm"});
  EXPECT_EQ(noValue.exitStatus, 2);
  EXPECT_TRUE(noValue.err.starts_with("rpgc: error: option '--output-dir' needs a value\n"));

  ProgramRun noFolder = run({"-C", "nowhere", "g.gdm"});
  EXPECT_EQ(noFolder.exitStatus, 1);
  EXPECT_TRUE(noFolder.err.starts_with("rpgc: error: cannot change to folder 'nowhere': "));
}

TEST_F(RpgcOptionsTest, DescriptionWarningsAndASourceGivenAsDescription) {
  write("p.gdm", "Proj\n2.5kg\n\nb.txt\n");
  ProgramRun result = run({"p.gdm"});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_TRUE(result.err.starts_with(
      "p.gdm:2:1: warning: the version '2.5kg' has text after its number; it reads as 2.5 "
      "[-Wdescription]\n"))
      << result.err;
  EXPECT_NE(result.err.find("p.gdm:3: warning: the output base name (line 3) is empty"),
            std::string::npos);

  ProgramRun source = run({"a.txt"});
  EXPECT_NE(source.err.find("rpgc: note: 'a.txt' holds section headers: it looks like a source "
                            "file"),
            std::string::npos)
      << source.err;
}

TEST_F(RpgcOptionsTest, QuietRunsPrintOnlyFailures) {
  ProgramRun quiet = run({"proj", "a.txt", "b.txt", "-q", "-w"});
  EXPECT_EQ(quiet.exitStatus, 0);
  EXPECT_EQ(quiet.out + quiet.err, "");
  EXPECT_TRUE(exists("database.gds") && exists("database.gdf"));
  ProgramRun failed = run({"--quiet", "-Werror", "proj", "a.txt"});
  EXPECT_EQ(failed.exitStatus, 1);
  EXPECT_EQ(failed.out, "Error\n");
  // -Werror shows every finding before failing: the unknown name is an error too.
  EXPECT_TRUE(failed.err.ends_with("\nrpgc: 2 errors\n")) << failed.err;
}

// With -C, diagnostics name files so that they open from the folder rpgc started in.
TEST_F(RpgcOptionsTest, FilesAreNamedFromTheStartFolder) {
  fs::create_directory(dir_.path() / "game");
  write("game/g.gdm", "Game\n1\nout\n../a.txt\nmissing.txt\n");
  ProgramRun relative = run({"--check", "-C", "game", "g.gdm"});
  EXPECT_EQ(relative.exitStatus, 1);
  EXPECT_TRUE(
      relative.err.starts_with("a.txt: in item 'Sword':\na.txt:3:7: warning: this line is skipped"))
      << relative.err;
  EXPECT_EQ(relative.err.find("../a.txt"), std::string::npos) << relative.err;
  EXPECT_NE(relative.err.find("game/g.gdm:5:1: error: cannot open source file 'game/missing.txt'"),
            std::string::npos)
      << relative.err;
  // The name a.txt uses is not reported as unknown: the missing file may have declared it.
  EXPECT_TRUE(relative.err.ends_with("\nrpgc: 1 warning, 1 error\n")) << relative.err;

  ProgramRun json =
      run({"--check", "-C", "game", "g.gdm", "--diagnostics-format=json", "--absolute-paths"});
  std::string absolute = (fs::canonical(dir_.path()) / "a.txt").string();
  EXPECT_TRUE(json.err.starts_with("{\"file\":\"" + absolute + "\",\"line\":3,")) << json.err;
  EXPECT_EQ(json.err.find("rpgc: "), std::string::npos) << "no summary line among JSON objects";

  // So are the outputs.
  write("game/g.gdm", "Game\n1\nmissing/out\n../b.txt\n");
  std::string reason = "': " + std::string(std::strerror(ENOENT)) + "\n";
  for (bool full : {false, true}) {
    std::vector<std::string> args{"-C", "game", "-q", "-w", "g.gdm"};
    if (full) args.push_back("--absolute-paths");
    ProgramRun output = run(args);
    EXPECT_EQ(output.exitStatus, 1);
    EXPECT_EQ(output.out, "Error: cannot write strings");
    std::string shown = full ? (fs::canonical(dir_.path()) / "game/missing/out.gds").string()
                             : "game/missing/out.gds";
    EXPECT_EQ(output.err, "rpgc: error: cannot write '" + shown + reason + "rpgc: 1 error\n");
  }
  fs::create_directory(dir_.path() / "game/missing");
  ProgramRun depfile = run({"-C", "game", "-q", "-w", "g.gdm", "--depfile", "../nowhere/x.d"});
  EXPECT_EQ(depfile.err, "rpgc: error: cannot write 'nowhere/x.d" + reason + "rpgc: 1 error\n");
}

TEST_F(RpgcOptionsTest, NoDescriptionNamesTheDescriptionsThere) {
  write("one.gdm", "One\n1\none\n");
  write("two.gdm", "Two\n1\ntwo\n");
  ProgramRun result = run({});
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.err,
            "rpgc: note: there is no 'duskvale.gdm' in this folder, so an empty project is "
            "compiled with the defaults; to compile another project, name its description: "
            "'one.gdm', 'two.gdm'\n");
  ProgramRun forgotten = run({"-o", "one.gdm"});
  EXPECT_EQ(forgotten.exitStatus, 2);
  EXPECT_TRUE(forgotten.err.starts_with("rpgc: error: -o takes the folder the outputs go to"));
  ProgramRun late = run({"one.gdm", "-Werror"});
  EXPECT_EQ(late.exitStatus, 1) << "-Werror after the description is an option: " << late.err;
}

TEST_F(RpgcOptionsTest, ColourOnlyWhenAskedOrOnATerminal) {
  EXPECT_EQ(run({"proj", "a.txt"}).err.find('\033'), std::string::npos);
  EXPECT_NE(run({"--color=always", "proj", "a.txt"}).err.find("\033[1;35mwarning:"),
            std::string::npos);
  EXPECT_EQ(run({"--color=never", "proj", "a.txt"}).err.find('\033'), std::string::npos);
}

// A property set again in a later file is found whether the earlier file was compiled on
// its own (a unit on a worker) or into the run.
TEST_F(RpgcOptionsTest, PropertySetAgainInALaterFileIsFoundWithAnyJobs) {
  write("a.txt", "BEGIN item Sword\nFLOAT Weight = 2\nEND\n\n");
  write("b.txt", "BEGIN item Sword\nFLOAT Weight = 4\nEND\n\n");
  ProgramRun one = run({"-j", "1", "--check", "proj", "a.txt", "b.txt"});
  ProgramRun two = run({"-j", "2", "--check", "proj", "a.txt", "b.txt"});
  EXPECT_NE(one.err.find("b.txt:2:7: warning: 'Weight' is set again"), std::string::npos)
      << one.err;
  EXPECT_NE(one.err.find("a.txt:2:7: note: 'Weight' is first set here"), std::string::npos)
      << one.err;
  EXPECT_EQ(one.err, two.err);
}

// Each name too long to store is reported once, where it was first read, in the order the
// names were first read, however many times and in however many files it comes again.
TEST_F(RpgcOptionsTest, LongNamesAreReportedOnceEachInTheOrderFirstRead) {
  const std::string first(1025, 'a');
  const std::string second(1030, 'b');
  const std::string third(1040, 'c');
  write("a.txt", "BEGIN quest Q\nATOM Tag = " + second + "\nATOM Other = " + second +
                     "\nEND\n\nBEGIN quest " + first + "\nEND\n\n");
  write("b.txt", "BEGIN quest " + first + "\nATOM Tag = " + third +
                     "\nEND\n\nBEGIN quest R\nATOM X = " + second + "\nEND\n\n");
  ProgramRun one = run({"-j", "1", "--check", "proj", "a.txt", "b.txt"});
  ProgramRun two = run({"-j", "2", "--check", "proj", "a.txt", "b.txt"});
  EXPECT_EQ(one.exitStatus, 1);
  std::vector<std::string> places;
  for (size_t at = one.err.find(": error: "); at != std::string::npos;
       at = one.err.find(": error: ", at + 1)) {
    places.push_back(one.err.substr(one.err.rfind('\n', at) + 1, at - one.err.rfind('\n', at) - 1));
  }
  EXPECT_EQ(places, (std::vector<std::string>{"a.txt:2:12", "a.txt:6:13", "b.txt:2:12"}))
      << one.err;
  EXPECT_NE(one.err.find("' in the object 'Q' is 1030 bytes long"), std::string::npos) << one.err;
  EXPECT_EQ(one.err, two.err);
}

}  // namespace
}  // namespace rpgc
