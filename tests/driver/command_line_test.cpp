// Tests of parseCommandLine: options before the arguments, values joined or apart, and
// what is a usage error.
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

TEST(CommandLineTest, OptionsComeBeforeTheArguments) {
  CommandLine line =
      parse({"--check", "-Wall", "-C", "game", "--depfile=out.d", "proj", "-w", "a.txt"});
  EXPECT_EQ(line.action, Action::kCompile);
  EXPECT_TRUE(line.check);
  EXPECT_EQ(line.directory, "game");
  EXPECT_EQ(line.depfile, "out.d");
  EXPECT_EQ(positional(line), (std::vector<std::string>{"proj", "-w", "a.txt"}));
  EXPECT_TRUE(line.warnings.shown(FindingCode::kStrayLine)) << "-w came after the arguments";

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
      {{"--colour=always"}, "unknown option '--colour=always'"},
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
  };
  for (const Row& row : rows) {
    CommandLine line = parse(row.args);
    EXPECT_EQ(line.action, Action::kUsageError) << row.args[0];
    EXPECT_EQ(messageOf(line.error), row.error);
  }
}

}  // namespace
}  // namespace rpgc
