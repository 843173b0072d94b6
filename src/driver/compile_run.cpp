// The compile run: settings, the compile loop, and the output phases.
#include "driver/compile_run.h"

#include <cstdio>
#include <span>
#include <string>

#include "driver/compilation.h"
#include "driver/console.h"
#include "driver/diagnostics.h"
#include "driver/output_phase.h"
#include "driver/pending_output.h"
#include "driver/run_settings.h"
#include "driver/section_dispatcher.h"
#include "source/line_reader.h"

namespace rpgc {

namespace {

constexpr const char* kUsage =
    "usage: rpgc                      compile the project described by duskvale.gdm\n"
    "       rpgc DESCRIPTION          compile the project described by DESCRIPTION\n"
    "       rpgc PROJECT SOURCE...    compile the SOURCE files as project PROJECT\n"
    "       rpgc -h | --help          print this help\n"
    "       rpgc --version            print the version\n"
    "\n"
    "A description file holds, one per line: the project name, the format version,\n"
    "the output base name, then the source files in compile order. The compiler\n"
    "writes BASE.gds (string table) and BASE.gdf (object database); without a\n"
    "description they are database.gds and database.gdf.\n"
    "\n"
    "Exit status: 0 when both files were written, 1 on any failure.\n";

// Compiles every source file; false at the first one that fails.
bool compileAll(Compilation& compilation, const RunSettings& settings, Console& console) {
  console.banner(kCompilingTitle);
  for (const RefString& name : settings.sourceFiles) {
    console.line(name.view());
    compilation.blocks.file = static_cast<int32_t>(compilation.files.size());
    compilation.files.emplace_back(name.view());
    StringList lines;
    int errorCode = 0;
    if (!name.isEmpty() && !readLines(name.text(), lines, &errorCode)) {
      console.line(kFileFailed);
      reportError("cannot open source file " + quotedPath(name.view()) + ": " +
                  systemReason(errorCode));
      return false;
    }
    if (!compileSource(lines, compilation)) {
      console.line(kFileFailed);
      if (compilation.blocks.error) reportBlockError(*compilation.blocks.error, compilation);
      return false;
    }
  }
  return true;
}

}  // namespace

int runCompiler(int argc, char** argv, Compilation& compilation) {
  Console console(stdout);
  std::span<const char* const> args(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0));
  SettledSettings settled = settleSettings(args);
  switch (settled.status) {
    case SettingsStatus::kHelp:
      console.text(kUsage);
      return 0;
    case SettingsStatus::kVersion:
      console.text("rpgc " RPGC_VERSION "\n");
      return 0;
    case SettingsStatus::kUnreadableDescription:
      console.rule();
      console.line(std::string(kCannotOpenDescription) + settled.descriptionFile);
      console.rule();
      reportError("cannot open description file " + quotedPath(settled.descriptionFile) + ": " +
                  systemReason(settled.errorCode));
      return 1;
    case SettingsStatus::kEmptyProjectName:
      console.rule();
      console.line(std::string(kInvalidDescription) + settled.descriptionFile);
      console.rule();
      reportSourceError(settled.descriptionFile, 1, "the project name (line 1) is empty");
      return 1;
    case SettingsStatus::kReady:
      break;
  }

  const RunSettings& settings = settled.settings;
  if (!compileAll(compilation, settings, console)) return 1;

  PendingOutput stringTable(std::string(settings.stringTableFile.view()));
  if (!writeStringsPhase(compilation, settings, console, stringTable)) return 1;
  PendingOutput database(std::string(settings.databaseFile.view()));
  if (!writeDatabasePhase(compilation, settings, console, database)) return 1;
  // Both files are complete; only the renames remain, which fail in rare cases (the
  // folder's permissions changed during the run).
  if (!stringTable.commit()) {
    console.text(kCannotWriteStrings);
    reportError("cannot write " + quotedPath(stringTable.target()) + ": " +
                systemReason(stringTable.errorCode()));
    return 1;
  }
  if (!database.commit()) {
    console.text(kCannotWriteDatabase);
    reportError("cannot write " + quotedPath(database.target()) + ": " +
                systemReason(database.errorCode()));
    return 1;
  }
  return 0;
}

}  // namespace rpgc
