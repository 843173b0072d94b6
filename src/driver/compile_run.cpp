// The compile run: command line, settings, the compile loop, the checks at the end, and
// the output phases.
#include "driver/compile_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "diagnostics/diagnostic_engine.h"
#include "driver/command_line.h"
#include "driver/compilation.h"
#include "driver/console.h"
#include "driver/depfile.h"
#include "driver/description_check.h"
#include "driver/named_use_check.h"
#include "driver/output_phase.h"
#include "driver/run_settings.h"
#include "driver/section_dispatcher.h"
#include "io/file_system.h"
#include "io/heap_pages.h"
#include "io/line_reader.h"
#include "io/pending_output.h"
#include "io/source_prefetch.h"
#include "io/temporary_files.h"
#include "source/number_text.h"
#include "source/tokenizer.h"

namespace rpgc {

namespace {

bool colorWanted(ColorChoice choice) {
  switch (choice) {
    case ColorChoice::kAlways:
      return true;
    case ColorChoice::kNever:
      return false;
    case ColorChoice::kAuto:
      break;
  }
  return standardErrorWantsColor();
}

Finding fileFinding(FindingCode code, std::string_view path, int errorCode) {
  Finding finding(code, SourcePlace());
  finding.with(std::string(path)).with(std::strerror(errorCode));
  return finding;
}

// Says on standard error that line of file passes the line-length limit. The file is
// not read again to show the line.
void reportLongLine(DiagnosticEngine& engine, int32_t file, int32_t line) {
  SourceLines none;
  engine.setLines(file, &none);
  engine.report(Finding(FindingCode::kLineTooLong, SourcePlace{file, line, -1, 0}));
  engine.setLines(file, nullptr);
}

// Compiles every source file. A run that writes stops at the first file that fails (an
// error, or a warning under -Werror); a check goes on to the end.
bool compileAll(Compilation& compilation, const RunSettings& settings, bool check, Console& console,
                DiagnosticEngine& engine) {
  if (!check) console.banner(kCompilingTitle);
  bool ok = true;
  SourcePrefetch prefetch;
  HeapPages heap;
  const StringList& names = settings.sourceFiles;
  for (int32_t k = 0; k < names.length(); ++k) {
    std::string name(names[k].view());
    if (!check) console.line(name);
    int32_t file = engine.addFile(name);
    compilation.blocks.file = file;
    SourcePrefetch::Read source = prefetch.take(name);
    if (k + 1 < names.length()) prefetch.start(std::string(names[k + 1].view()));
    int32_t errorsBefore = engine.errorCount();
    if (!source.ok && source.longLine >= 0) {
      reportLongLine(engine, file, source.longLine);
    } else if (!source.ok) {
      engine.report(fileFinding(FindingCode::kCannotOpenSource, name, source.errorCode));
    } else {
      engine.setLines(file, &source.lines);
      compileSource(source.lines, compilation);
      engine.setLines(file, nullptr);
    }
    heap.adviseGrowth();
    if (engine.errorCount() > errorsBefore || !compilation.compileOk) {
      ok = false;
      if (!check) {
        console.line(kFileFailed);
        return false;
      }
    }
  }
  int32_t errorsBefore = engine.errorCount();
  checkNamedUses(compilation, engine);
  if (engine.errorCount() > errorsBefore) {
    if (!check) console.line(kFileFailed);
    return false;
  }
  return ok;
}

// The depfile asked for, prepared before anything is written.
struct Dependencies {
  std::string path;  // empty: none
  std::string text;
};

// False (reported) when a path cannot be written into a depfile.
bool prepareDependencies(const std::string& path, const SettledSettings& settled,
                         DiagnosticEngine& engine, Dependencies& dependencies) {
  dependencies.path = path;
  if (path.empty()) return true;
  const RunSettings& settings = settled.settings;
  // Absolute paths: make and ninja read them the same whichever folder they run in, and
  // -C has no effect on them.
  auto absolute = [](std::string_view name) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(std::filesystem::path(name), error);
    return error ? std::string(name) : full.string();
  };
  std::vector<std::string> targets{absolute(settings.stringTableFile.view()),
                                   absolute(settings.databaseFile.view())};
  std::vector<std::string> inputs;
  if (settled.descriptionRead) inputs.push_back(absolute(settled.descriptionFile));
  for (const RefString& source : settings.sourceFiles) {
    if (!source.isEmpty()) inputs.push_back(absolute(source.view()));
  }
  if (const std::string* unwritable = pathWithLineEnd(targets, inputs)) {
    engine.report(
        Finding(FindingCode::kDepfileLineEnd, SourcePlace()).with(path).with(*unwritable));
    return false;
  }
  dependencies.text = depfileText(targets, inputs);
  return true;
}

// Shows what went wrong (or was found) while putting the outputs in place; a target that
// could not be replaced also gets its phase's text on standard output.
void reportProblems(const std::vector<CommitProblem>& problems, const std::string& stringTable,
                    const std::string& depfile, Console& console, DiagnosticEngine& engine) {
  for (const CommitProblem& problem : problems) {
    auto finding = [&](FindingCode code) {
      return Finding(code, SourcePlace()).with(problem.path);
    };
    std::string reason = std::strerror(problem.errorCode);
    switch (problem.what) {
      case CommitProblem::What::kReplace:
        if (problem.path == stringTable) {
          console.text(kCannotWriteStrings);
        } else if (problem.path != depfile) {
          console.text(kCannotWriteDatabase);
        }
        engine.report(finding(FindingCode::kCannotWrite).with(reason));
        break;
      case CommitProblem::What::kSync:
        engine.report(finding(FindingCode::kCannotWrite).with(reason));
        break;
      case CommitProblem::What::kRestore:
        engine.report(finding(FindingCode::kCannotRestore).with(reason).with(problem.copy));
        break;
      case CommitProblem::What::kRemove:
        engine.report(finding(FindingCode::kCannotRemoveTemporary).with(reason));
        break;
      case CommitProblem::What::kRecovered:
        engine.report(finding(FindingCode::kNoteRestoredFromCopy).with(problem.copy));
        break;
      case CommitProblem::What::kCopyLeft:
        engine.report(
            problem.errorCode == 0
                ? finding(FindingCode::kNoteCopyLeft).with(problem.copy)
                : finding(FindingCode::kNoteCopyNotRestored).with(problem.copy).with(reason));
        break;
      case CommitProblem::What::kUnknownCopy:
        engine.report(finding(FindingCode::kNoteUnknownCopy));
        break;
      case CommitProblem::What::kInterruptedAfter:
        engine.report(Finding(FindingCode::kNoteInterruptedAfterReplacement, SourcePlace()));
        break;
    }
  }
}

// Writes both outputs (and the depfile) to temporary files and puts them in place
// together.
bool writeOutputs(Compilation& compilation, const RunSettings& settings,
                  const Dependencies& dependencies, Console& console, DiagnosticEngine& engine) {
  FileSystem& fs = FileSystem::real();
  TemporaryFiles* temporaries = &TemporaryFiles::process();
  LockWaitNotice notice = [&engine](const std::string& folder) {
    engine.report(Finding(FindingCode::kNoteWaitingForRun, SourcePlace()).with(folder));
  };
  std::string stringTableName(settings.stringTableFile.view());
  std::vector<CommitProblem> problems;
  auto report = [&] {
    reportProblems(problems, stringTableName, dependencies.path, console, engine);
    problems.clear();
  };
  std::vector<PendingOutput*> outputs;
  // A failed run removes its temporary files, and says which ones it could not.
  auto fail = [&] {
    for (PendingOutput* output : outputs) output->abandon(problems);
    report();
    return false;
  };
  auto prepare = [&](std::optional<PendingOutput>& output, const std::string& target) {
    output.emplace(target, fs, temporaries, notice);
    outputs.push_back(&*output);
    problems = output->recovered();
    report();
  };

  std::optional<PendingOutput> stringTable;
  prepare(stringTable, stringTableName);
  if (!writeStringsPhase(compilation, settings, console, engine, *stringTable)) return fail();
  std::optional<PendingOutput> database;
  prepare(database, std::string(settings.databaseFile.view()));
  if (!writeDatabasePhase(compilation, settings, console, engine, *database)) return fail();
  std::optional<PendingOutput> depfile;
  if (!dependencies.path.empty()) {
    prepare(depfile, dependencies.path);
    const std::string& text = dependencies.text;
    bool written = text.size() <= INT32_MAX &&
                   depfile->stream().write(text.data(), static_cast<int32_t>(text.size())) &&
                   depfile->finish();
    if (!written) {
      int error = depfile->errorCode() != 0 ? depfile->errorCode() : EFBIG;
      engine.report(fileFinding(FindingCode::kCannotWrite, dependencies.path, error));
      return fail();
    }
  }
  if (console.errorCode() != 0) {
    // Standard output is gone (a closed pipe): the run fails before anything changes.
    engine.report(Finding(FindingCode::kCannotWriteConsole, SourcePlace())
                      .with(std::strerror(console.errorCode())));
    return fail();
  }
  bool ok = commitOutputs(outputs, fs, problems, notice);
  // An interrupt that came once the outputs were in place does not fail the run.
  bool clean = std::all_of(problems.begin(), problems.end(), [](const CommitProblem& problem) {
    return problem.what == CommitProblem::What::kInterruptedAfter;
  });
  report();
  return ok && clean;
}

}  // namespace

int runGuarded(int argc, char** argv, Compilation& compilation, DiagnosticFormat& format) {
  Console console(stdout);
  std::span<const char* const> args(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0));
  CommandLine line = parseCommandLine(args);
  format = line.format;
  DiagnosticStyle style;
  style.format = line.format;
  style.color = colorWanted(line.color);
  DiagnosticEngine engine(line.warnings, style);
  switch (line.action) {
    case CommandLine::Action::kHelp:
      console.text(kHelpText);
      return 0;
    case CommandLine::Action::kVersion:
      console.text("rpgc " RPGC_VERSION "\n");
      return 0;
    case CommandLine::Action::kUsageError:
      engine.report(Finding(FindingCode::kUsage, SourcePlace()).with(line.error));
      if (line.format == DiagnosticFormat::kText) {
        std::fputs(kUsageLine, stderr);
        std::fputs("Try 'rpgc --help' for more information.\n", stderr);
      }
      return 2;
    case CommandLine::Action::kCompile:
      break;
  }
  if (!line.directory.empty()) {
    std::error_code error;
    std::filesystem::current_path(line.directory, error);
    if (error) {
      engine.report(Finding(FindingCode::kCannotChangeFolder, SourcePlace())
                        .with(line.directory)
                        .with(error.message()));
      return 1;
    }
  }

  SettledSettings settled = settleSettings(line.positional);
  switch (settled.status) {
    case SettingsStatus::kUnreadableDescription:
      console.rule();
      console.line(std::string(kCannotOpenDescription) + settled.descriptionFile);
      console.rule();
      if (settled.longLine >= 0) {
        reportLongLine(engine, engine.addFile(settled.descriptionFile), settled.longLine);
      } else {
        engine.report(fileFinding(FindingCode::kCannotOpenDescription, settled.descriptionFile,
                                  settled.errorCode));
      }
      return 1;
    case SettingsStatus::kEmptyProjectName: {
      console.rule();
      console.line(std::string(kInvalidDescription) + settled.descriptionFile);
      console.rule();
      int32_t file = engine.addFile(settled.descriptionFile);
      engine.setLines(file, &settled.descriptionLines);
      engine.report(Finding(FindingCode::kEmptyProjectName, SourcePlace{file, 0, -1, 0}));
      return 1;
    }
    case SettingsStatus::kReady:
      break;
  }
  if (!line.outputDirectory.empty()) {
    std::filesystem::path folder(line.outputDirectory);
    RunSettings& settings = settled.settings;
    settings.stringTableFile = RefString((folder / settings.stringTableFile.view()).string());
    settings.databaseFile = RefString((folder / settings.databaseFile.view()).string());
  }
  checkDescription(settled, line.positional.size() == 1, engine);
  if (engine.errorCount() > 0 && !line.check) {  // a description warning under -Werror
    console.rule();
    console.line(std::string(kInvalidDescription) + settled.descriptionFile);
    console.rule();
    return 1;
  }

  const RunSettings& settings = settled.settings;
  compilation.blocks.findings = &engine;
  compilation.keepGoing = line.check;
  if (line.check) {
    compileAll(compilation, settings, true, console, engine);
    reportLongNames(compilation, engine);
    return engine.errorCount() > 0 ? 1 : 0;
  }
  if (!compileAll(compilation, settings, false, console, engine)) return 1;

  Dependencies dependencies;
  if (!prepareDependencies(line.depfile, settled, engine, dependencies)) return 1;
  return writeOutputs(compilation, settings, dependencies, console, engine) ? 0 : 1;
}

int runCompiler(int argc, char** argv, Compilation& compilation) {
  // Running out of memory unwinds to here: the temporary files are gone by then. The
  // messages are written without allocating.
  DiagnosticFormat format = DiagnosticFormat::kText;
  bool json = false;
  try {
    return runGuarded(argc, argv, compilation, format);
  } catch (const std::bad_alloc&) {
    json = format == DiagnosticFormat::kJson;
    std::fputs(json ? "{\"file\":null,\"line\":null,\"column\":null,\"severity\":\"error\","
                      "\"name\":\"out-of-memory\",\"message\":\""
                    : "rpgc: error: ",
               stderr);
    std::fputs(messageRow(FindingCode::kOutOfMemory).format.data(), stderr);
  } catch (const std::length_error& error) {
    json = format == DiagnosticFormat::kJson;
    std::fputs(json ? "{\"file\":null,\"line\":null,\"column\":null,\"severity\":\"error\","
                      "\"name\":\"too-large\",\"message\":\""
                    : "rpgc: error: ",
               stderr);
    // The reasons are the compiler's own plain texts.
    std::fputs("the input is too large for the compiler (", stderr);
    std::fputs(error.what(), stderr);
    std::fputs("); the outputs are left as they were", stderr);
  }
  std::fputs(json ? "\",\"notes\":[]}\n" : "\n", stderr);
  return 1;
}

}  // namespace rpgc
