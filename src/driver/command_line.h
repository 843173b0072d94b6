// parseCommandLine: the options of rpgc, then its positional arguments.
//
// Options may stand before, between and after the positional arguments, as GNU tools
// take them: "--" ends the options, and everything after it is positional (a project
// name or a file name that starts with "-" goes there). "-" alone is a positional
// argument.
#ifndef RPGC_DRIVER_COMMAND_LINE_H_
#define RPGC_DRIVER_COMMAND_LINE_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/diagnostic_engine.h"
#include "diagnostics/warning_options.h"

namespace rpgc {

enum class ColorChoice : uint8_t { kAuto, kAlways, kNever };

struct CommandLine {
  enum class Action : uint8_t { kCompile, kHelp, kVersion, kUsageError };

  Action action = Action::kCompile;
  /// Why the command line is wrong, for kUsageError.
  Finding error;
  WarningOptions warnings;
  /// --check: compile every file, report everything, write nothing.
  bool check = false;
  ColorChoice color = ColorChoice::kAuto;
  DiagnosticFormat format = DiagnosticFormat::kText;
  /// -C: the folder to change to before anything else.
  std::string directory;
  /// -o, --output-dir: the folder the outputs go to (their names still come from the
  /// description).
  std::string outputDirectory;
  /// --depfile: where to write the outputs' dependencies after a successful run.
  std::string depfile;
  /// --source-map: where to write, with the outputs, where each object, property and
  /// string section was set.
  std::string sourceMap;
  /// -q, --quiet: no progress on standard output, only the texts that say a run failed.
  bool quiet = false;
  /// --absolute-paths: diagnostics name files by absolute paths.
  bool absolutePaths = false;
  /// --watch: compile again whenever the description or a source file changes.
  bool watch = false;
  /// -j, --jobs: how many source files compile at once; 0 when not given (RPGC_JOBS,
  /// else one per core).
  int32_t jobs = 0;
  std::vector<const char*> positional;
};

/// The most source files compiled at once.
constexpr int32_t kMostJobs = 256;

/// A number of jobs written in decimal, 1 to kMostJobs; 0 for anything else.
int32_t jobsOfText(std::string_view text);

/// Reads the arguments (the program's name not included).
CommandLine parseCommandLine(std::span<const char* const> args);

/// The one-line usage, and the whole help text.
extern const char* const kUsageLine;
extern const char* const kHelpText;

}  // namespace rpgc

#endif  // RPGC_DRIVER_COMMAND_LINE_H_
