// parseCommandLine: options by name, with their values joined ("--color=never", "-CDIR")
// or in the next argument ("-C DIR", "-o DIR", "--depfile FILE").
#include "driver/command_line.h"

#include <string_view>

#include "core/spelling.h"

namespace rpgc {

const char* const kUsageLine = "usage: rpgc [OPTION...] [DESCRIPTION | PROJECT SOURCE...]\n";

const char* const kHelpText =
    "usage: rpgc [OPTION...]                    compile the project described by duskvale.gdm\n"
    "       rpgc [OPTION...] DESCRIPTION        compile the project described by DESCRIPTION\n"
    "       rpgc [OPTION...] PROJECT SOURCE...  compile the SOURCE files as project PROJECT\n"
    "\n"
    "A description file holds, one per line: the project name, the format version,\n"
    "the output base name, then the source files in compile order. The compiler\n"
    "writes BASE.gds (string table) and BASE.gdf (object database); without a\n"
    "description they are database.gds and database.gdf.\n"
    "\n"
    "Options (anywhere among the arguments; -- ends them):\n"
    "  -w                      show no warnings\n"
    "  -Wall                   show every warning, also those off by default\n"
    "  -WNAME, -Wno-NAME       show or hide one warning (see docs/diagnostics.md)\n"
    "  -Werror                 warnings are errors: the run fails and writes nothing\n"
    "  -Werror=NAME            this warning is an error\n"
    "  --strict                the warnings about content that is lost, merged or read\n"
    "                          differently are errors (-Werror=content)\n"
    "  --check                 compile every file, report every error and warning,\n"
    "                          write nothing\n"
    "  -q, --quiet             print no progress on standard output (banners, file\n"
    "                          names, dots); the texts of a failure stay\n"
    "  --watch                 compile, then compile again whenever the description\n"
    "                          or a source file changes, until Ctrl-C\n"
    "  --color=WHEN            colour diagnostics: auto (on a terminal), always, never\n"
    "  --diagnostics-format=F  text, or json (one object a line)\n"
    "  --absolute-paths        name files in diagnostics by absolute paths\n"
    "  -C DIR                  change to DIR before doing anything else; every other\n"
    "                          path is then taken from DIR (diagnostics still name\n"
    "                          files from the folder rpgc was started in)\n"
    "  -o, --output-dir=DIR    write BASE.gds and BASE.gdf into DIR\n"
    "  --depfile FILE          after a successful run, write FILE for make and ninja:\n"
    "                          both outputs depend on the description and every source\n"
    "  -j, --jobs=N            compile N source files at once (default: RPGC_JOBS, else\n"
    "                          one per core); the outputs are the same for every N\n"
    "  --source-map FILE       with the outputs, write FILE: JSON that gives the file,\n"
    "                          line and column that set each object, property and\n"
    "                          string section\n"
    "  -h, --help              print this help\n"
    "  --version               print the version\n"
    "\n"
    "Exit status: 0 when both files were written (or --check found no error), 1 on any\n"
    "failure, 2 for a wrong command line.\n";

namespace {

void usageError(CommandLine& line, FindingCode code, std::string_view text) {
  line.action = CommandLine::Action::kUsageError;
  line.error = Finding(code, SourcePlace()).with(std::string(text));
}

// The value of an option that takes one: joined after '=' (or directly, for short
// options), or the next argument.
bool takeValue(std::span<const char* const> args, size_t& i, std::string_view name,
               std::string& value, CommandLine& line) {
  std::string_view arg = args[i];
  if (arg.size() > name.size()) {
    std::string_view rest = arg.substr(name.size());
    if (name.starts_with("--")) {
      if (rest.front() != '=') return false;
      rest.remove_prefix(1);
    }
    value = rest;
  } else if (i + 1 < args.size()) {
    value = args[++i];
  } else {
    value.clear();
  }
  if (value.empty()) usageError(line, FindingCode::kUsageNeedsValue, name);
  return true;
}

// The long options, for "did you mean" (-h and -C have no long form to misspell).
constexpr std::string_view kLongOptions[] = {
    "--help",           "--version", "--check",     "--quiet",
    "--absolute-paths", "--watch",   "--color",     "--diagnostics-format",
    "--output-dir",     "--depfile", "--source-map"};

void unknownOption(CommandLine& line, std::string_view arg) {
  std::string_view name = arg.substr(0, arg.find('='));
  std::string_view guess = name.starts_with("--") ? closestWord(name, kLongOptions) : "";
  if (guess.empty()) {
    usageError(line, FindingCode::kUsageUnknownOption, arg);
    return;
  }
  usageError(line, FindingCode::kUsageUnknownOptionGuess, arg);
  line.error.with(std::string(guess));
}

bool isOption(std::string_view arg, std::string_view name) {
  if (!arg.starts_with(name)) return false;
  if (arg.size() == name.size()) return true;
  return name.starts_with("--") ? arg[name.size()] == '='
                                : name == "-C" || name == "-o" || name == "-j";
}

}  // namespace

int32_t jobsOfText(std::string_view text) {
  if (text.empty() || text.size() > 3) return 0;
  int32_t jobs = 0;
  for (char digit : text) {
    if (digit < '0' || digit > '9') return 0;
    jobs = jobs * 10 + (digit - '0');
  }
  return jobs <= kMostJobs ? jobs : 0;
}

namespace {

void takeJobs(std::span<const char* const> args, size_t& i, std::string_view name,
              CommandLine& line) {
  std::string value;
  if (!takeValue(args, i, name, value, line) || value.empty()) return;
  line.jobs = jobsOfText(value);
  if (line.jobs == 0 && line.action != CommandLine::Action::kUsageError) {
    usageError(line, FindingCode::kUsageBadJobs, value);
  }
}

}  // namespace

CommandLine parseCommandLine(std::span<const char* const> args) {
  CommandLine line;
  for (size_t i = 0; i < args.size() && line.action != CommandLine::Action::kUsageError; ++i) {
    std::string_view arg = args[i];
    if (arg == "--") {
      for (++i; i < args.size(); ++i) line.positional.push_back(args[i]);
      break;
    }
    if (arg.size() < 2 || arg[0] != '-') {
      line.positional.push_back(args[i]);
      continue;
    }
    std::string value;
    if (arg == "-h" || arg == "--help") {
      line.action = CommandLine::Action::kHelp;
    } else if (arg == "--version") {
      if (line.action != CommandLine::Action::kHelp) line.action = CommandLine::Action::kVersion;
    } else if (arg == "--check") {
      line.check = true;
    } else if (arg == "-q" || arg == "--quiet") {
      line.quiet = true;
    } else if (arg == "--absolute-paths") {
      line.absolutePaths = true;
    } else if (arg == "--watch") {
      line.watch = true;
    } else if (arg == "--strict") {
      Finding ignored;
      line.warnings.apply("-Werror=content", ignored);
    } else if (WarningOptions::isWarningOption(arg)) {
      if (!line.warnings.apply(arg, line.error)) line.action = CommandLine::Action::kUsageError;
    } else if (isOption(arg, "--color") && takeValue(args, i, "--color", value, line)) {
      if (value == "auto") {
        line.color = ColorChoice::kAuto;
      } else if (value == "always") {
        line.color = ColorChoice::kAlways;
      } else if (value == "never") {
        line.color = ColorChoice::kNever;
      } else if (line.action != CommandLine::Action::kUsageError) {
        usageError(line, FindingCode::kUsageBadColor, value);
      }
    } else if (isOption(arg, "--diagnostics-format") &&
               takeValue(args, i, "--diagnostics-format", value, line)) {
      if (value == "text") {
        line.format = DiagnosticFormat::kText;
      } else if (value == "json") {
        line.format = DiagnosticFormat::kJson;
      } else if (line.action != CommandLine::Action::kUsageError) {
        usageError(line, FindingCode::kUsageBadFormat, value);
      }
    } else if (isOption(arg, "-C")) {
      takeValue(args, i, "-C", line.directory, line);
    } else if (isOption(arg, "-o") || isOption(arg, "--output-dir")) {
      takeValue(args, i, arg.starts_with("--") ? "--output-dir" : "-o", line.outputDirectory, line);
      // "rpgc -o game.gdm": the folder was forgotten, and the description taken for it.
      if (std::string_view(line.outputDirectory).ends_with(".gdm")) {
        usageError(line, FindingCode::kUsageOutputIsDescription, line.outputDirectory);
      }
    } else if (isOption(arg, "--depfile")) {
      takeValue(args, i, "--depfile", line.depfile, line);
    } else if (isOption(arg, "-j")) {
      takeJobs(args, i, "-j", line);
    } else if (isOption(arg, "--jobs")) {
      takeJobs(args, i, "--jobs", line);
    } else if (isOption(arg, "--source-map")) {
      takeValue(args, i, "--source-map", line.sourceMap, line);
    } else {
      unknownOption(line, arg);
    }
  }
  return line;
}

}  // namespace rpgc
