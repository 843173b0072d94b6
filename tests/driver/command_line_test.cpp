// Tests of parseCommandLine: options anywhere among the arguments, values joined or
// apart, and what is a usage error.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rpgc {
namespace {

using Action = CommandLine::Action;

CommandLine parse(std::vector<const char*> args) {
  return parseCommandLine(args);
}

std::vector<std::string> positional(const CommandLine& line) {
  return std::vector<std::string>(line.positional.begin(), line.positional.end());
}

TEST(CommandLineTest, OptionsMayFollowTheArguments) {
  CommandLine line = parse({"--check", "-Wall", "-C", "game", "proj", "--depfile=out.d", "-q",
                            "a.txt", "-w", "--", "-b.txt", "-Werror"});
  EXPECT_EQ(line.action, Action::kCompile);
  EXPECT_TRUE(line.check);
  EXPECT_TRUE(line.quiet);
  EXPECT_EQ(line.directory, "game");
  EXPECT_EQ(line.depfile, "out.d");
  EXPECT_EQ(positional(line), (std::vector<std::string>{"proj", "a.txt", "-b.txt", "-Werror"}));
  EXPECT_FALSE(line.warnings.shown(FindingCode::kStrayLine)) << "-w after the arguments counts";
  EXPECT_FALSE(line.warnings.promoted(FindingCode::kStrayLine)) << "-Werror came after --";

  CommandLine late = parse({"game.gdm", "-Werror", "--watch", "--absolute-paths"});
  EXPECT_EQ(positional(late), (std::vector<std::string>{"game.gdm"}));
  EXPECT_TRUE(late.warnings.promoted(FindingCode::kStrayLine));
  EXPECT_TRUE(late.watch);
  EXPECT_TRUE(late.absolutePaths);

  EXPECT_EQ(positional(parse({"--", "-h", "x"})), (std::vector<std::string>{"-h", "x"}));
  EXPECT_EQ(positional(parse({"-", "x"})), (std::vector<std::string>{"-", "x"}));
  EXPECT_EQ(positional(parse({"", "x"})), (std::vector<std::string>{"", "x"}));
  EXPECT_EQ(parse({"-Cgame"}).directory, "game");
  EXPECT_EQ(parse({"--depfile", "d"}).depfile, "d");
  EXPECT_EQ(parse({"--color", "never"}).color, ColorChoice::kNever);
  EXPECT_EQ(parse({"--color=always"}).color, ColorChoice::kAlways);
  EXPECT_EQ(parse({"--diagnostics-format=json"}).format, DiagnosticFormat::kJson);
  EXPECT_EQ(parse({"--version", "-h"}).action, Action::kHelp);
  EXPECT_EQ(parse({"--version"}).action, Action::kVersion);
  EXPECT_EQ(parse({"-j", "3"}).jobs, 3);
  EXPECT_EQ(parse({"-j256"}).jobs, 256);
  EXPECT_EQ(parse({"--jobs=1"}).jobs, 1);
  EXPECT_EQ(parse({}).jobs, 0);
}

TEST(CommandLineTest, UsageErrors) {
  struct Row {
    std::vector<const char*> args;
    const char* error;
  };
  const Row rows[] = {
      {{"-x"}, "unknown option '-x'"},
      {{"--color=sometimes"}, "--color takes auto, always or never, not 'sometimes'"},
      {{"--diagnostics-format=xml"}, "--diagnostics-format takes text or json, not 'xml'"},
      {{"-C"}, "option '-C' needs a value"},
      {{"--depfile"}, "option '--depfile' needs a value"},
      {{"-j", "0"}, "-j takes a number of threads from 1 to 256, not '0'"},
      {{"--jobs=257"}, "-j takes a number of threads from 1 to 256, not '257'"},
      {{"-jx"}, "-j takes a number of threads from 1 to 256, not 'x'"},
      {{"-j"}, "option '-j' needs a value"},
      {{"-Wbogus"}, "unknown warning 'bogus'"},
      {{"-Werror=list-coma"}, "unknown warning 'list-coma'; did you mean 'list-comma'?"},
      {{"game.gdm", "--chek"}, "unknown option '--chek'; did you mean '--check'?"},
      {{"--colour=always"}, "unknown option '--colour=always'; did you mean '--color'?"},
      {{"--quiet=yes"}, "unknown option '--quiet=yes'"},
      {{"--wach"}, "unknown option '--wach'; did you mean '--watch'?"},
      {{"-o", "game.gdm"},
       "-o takes the folder the outputs go to, but 'game.gdm' is a project description; name "
       "the folder first: rpgc -o DIR game.gdm"},
      {{"--output-dir=x/game.gdm"},
       "-o takes the folder the outputs go to, but 'x/game.gdm' is a project description; name "
       "the folder first: rpgc -o DIR x/game.gdm"},
  };
  for (const Row& row : rows) {
    CommandLine line = parse(row.args);
    EXPECT_EQ(line.action, Action::kUsageError) << row.args[0];
    EXPECT_EQ(messageOf(line.error), row.error);
  }
}

}  // namespace
}  // namespace rpgc
