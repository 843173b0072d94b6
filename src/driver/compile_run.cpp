// The compile run: command line, settings, the compile loop, the checks at the end, and
// the output phases.
#include "driver/compile_run.h"

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

#include "core/spelling.h"
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

DiagnosticStyle styleOf(const CommandLine& line) {
  DiagnosticStyle style;
  style.format = line.format;
  style.color = colorWanted(line.color);
  return style;
}

// Reports why a file of the run could not be read. A line past the length limit is shown
// without its text: the file is not read again for it.
void reportReadFailure(DiagnosticEngine& engine, int32_t file, Finding failure) {
  if (failure.place.line < 0) {
    engine.report(std::move(failure));
    return;
  }
  SourceLines none;
  engine.setLines(file, &none);
  failure.place.file = file;
  engine.report(std::move(failure));
  engine.setLines(file, nullptr);
}

// A source file that cannot be opened, told at its line of the description, with the
// closest name among the files of its folder.
Finding sourceNotFound(Finding failure, const std::string& name, int32_t description,
                       int32_t line) {
  failure.place = SourcePlace::atColumn(description, line, 1);
  failure.endColumn = static_cast<int32_t>(name.size()) + 1;
  std::filesystem::path path(name);
  std::filesystem::path folder = path.parent_path();
  std::error_code error;
  std::vector<std::string> names;
  for (std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, error), end;
       !error && entry != end && names.size() < 10000; entry.increment(error)) {
    if (entry->is_regular_file(error)) names.push_back(entry->path().filename().string());
  }
  std::vector<std::string_view> candidates(names.begin(), names.end());
  std::string_view guess = closestWord(path.filename().string(), candidates);
  if (guess.empty()) return failure;
  std::string suggested = (folder / guess).string();
  failure.code = FindingCode::kCannotOpenSourceGuess;
  failure.with(suggested);
  failure.withFix(line, 1, static_cast<int32_t>(name.size()) + 1, suggested);
  return failure;
}

// Compiles every source file. A run that writes stops at the first file that fails with
// an error; a check, and a run whose warnings may be errors (-Werror, --strict), go on to
// the end, so that every file's findings are shown before the run fails.
bool compileAll(Compilation& compilation, const SettledSettings& settled, bool check,
                Console& console, DiagnosticEngine& engine) {
  const RunSettings& settings = settled.settings;
  if (!check) console.banner(kCompilingTitle);
  bool keepGoing = check || engine.options().promotesAny();
  compilation.keepGoing = keepGoing;
  bool ok = true;
  bool unreadable = false;
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
    bool walked = false;
    if (!source.ok) {
      unreadable = true;
      Finding failure = readFailureFinding(source.failure, FindingCode::kCannotOpenSource, name);
      if (failure.place.line < 0 && settled.descriptionRead) {
        engine.report(sourceNotFound(std::move(failure), name,
                                     engine.addFile(settled.descriptionFile),
                                     kSourceLinesStart + k));
      } else {
        reportReadFailure(engine, file, std::move(failure));
      }
    } else {
      engine.setLines(file, &source.lines);
      walked = compileSource(source.lines, compilation);
      engine.setLines(file, nullptr);
    }
    heap.adviseGrowth();
    if (engine.errorCount() > errorsBefore || !walked) {
      ok = false;
      if (!keepGoing) {
        console.line(kFileFailed);
        return false;
      }
    }
  }
  auto failed = [&] {
    if (!check) console.line(kFileFailed);
    return false;
  };
  // A file that could not be read declares nothing: the names it would have declared are
  // not reported as unknown.
  if (unreadable) return ok || failed();
  checkNamedUses(compilation, engine);
  if (!ok || engine.errorCount() > 0) return failed();
  return true;
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
    if (problem.what == CommitProblem::What::kReplace && problem.path == stringTable) {
      console.text(kCannotWriteStrings);
    } else if (problem.what == CommitProblem::What::kReplace && problem.path != depfile) {
      console.text(kCannotWriteDatabase);
    }
    engine.report(findingOf(problem));
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
      engine.report(Finding(FindingCode::kCannotWrite, SourcePlace())
                        .with(dependencies.path)
                        .with(std::strerror(error)));
      return fail();
    }
  }
  if (console.errorCode() != 0) {
    // Standard output is gone (a closed pipe): the run fails before anything changes.
    engine.report(Finding(FindingCode::kCannotWriteConsole, SourcePlace())
                      .with(std::strerror(console.errorCode())));
    return fail();
  }
  bool ok = commitOutputs(outputs, fs, problems, notice) && onlyNotes(problems);
  report();
  return ok;
}

// Says why the settings cannot be used: on standard output the text of its kind, on
// standard error the finding, at its line of the description file when it has one.
int reportSettingsFailure(SettledSettings& settled, Console& console, DiagnosticEngine& engine) {
  bool unreadable = settled.failure.code != FindingCode::kEmptyProjectName;
  console.rule();
  console.line(std::string(unreadable ? kCannotOpenDescription : kInvalidDescription) +
               settled.descriptionFile);
  console.rule();
  if (unreadable) {
    int32_t file = settled.failure.place.line >= 0 ? engine.addFile(settled.descriptionFile) : -1;
    reportReadFailure(engine, file, std::move(settled.failure));
    return 1;
  }
  int32_t file = engine.addFile(settled.descriptionFile);
  engine.setLines(file, &settled.descriptionLines);
  settled.failure.place.file = file;
  engine.report(std::move(settled.failure));
  engine.setLines(file, nullptr);
  return 1;
}

// -o: the outputs keep their names and go into folder.
void redirectOutputs(const std::string& folder, RunSettings& settings) {
  if (folder.empty()) return;
  std::filesystem::path into(folder);
  settings.stringTableFile = RefString((into / settings.stringTableFile.view()).string());
  settings.databaseFile = RefString((into / settings.databaseFile.view()).string());
}

// --check: every file compiled and every check made, nothing written.
int runCheck(Compilation& compilation, const SettledSettings& settings, Console& console,
             DiagnosticEngine& engine) {
  compilation.keepGoing = true;
  compileAll(compilation, settings, true, console, engine);
  reportLongNames(compilation, engine);
  return engine.errorCount() > 0 ? 1 : 0;
}

// The run the command line asks for; the exit status.
int runLine(const CommandLine& line, Console& console, DiagnosticEngine& engine,
            Compilation& compilation) {
  switch (line.action) {
    case CommandLine::Action::kHelp:
      console.text(kHelpText);
      return 0;
    case CommandLine::Action::kVersion:
      console.text("rpgc " RPGC_VERSION "\n");
      return 0;
    case CommandLine::Action::kUsageError:
      engine.report(line.error);
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
  if (!settled.ready()) return reportSettingsFailure(settled, console, engine);
  redirectOutputs(line.outputDirectory, settled.settings);
  checkDescription(settled, line.positional.size() == 1, engine);
  if (engine.errorCount() > 0 && !line.check) {  // a description warning under -Werror
    console.rule();
    console.line(std::string(kInvalidDescription) + settled.descriptionFile);
    console.rule();
    return 1;
  }

  const RunSettings& settings = settled.settings;
  compilation.blocks.findings = &engine;
  if (line.check) return runCheck(compilation, settled, console, engine);
  if (!compileAll(compilation, settled, false, console, engine)) return 1;
  Dependencies dependencies;
  if (!prepareDependencies(line.depfile, settled, engine, dependencies)) return 1;
  return writeOutputs(compilation, settings, dependencies, console, engine) ? 0 : 1;
}

}  // namespace

int runCompiler(int argc, char** argv, Compilation& compilation) {
  Console console(stdout);
  // Made first, so that running out of memory anywhere is said through it; the command
  // line then gives it its options.
  DiagnosticEngine engine;
  try {
    std::span<const char* const> args(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0));
    CommandLine line = parseCommandLine(args);
    engine.configure(line.warnings, styleOf(line));
    return runLine(line, console, engine, compilation);
  } catch (const std::bad_alloc&) {
    // The temporary files are gone by now; saying so allocates nothing.
    engine.reportOutOfMemory(FindingCode::kOutOfMemory);
  } catch (const std::length_error& error) {
    // Input past the 32-bit limits of the compiler's tables; error says which limit.
    engine.report(Finding(FindingCode::kInputTooLarge, SourcePlace()).with(error.what()));
  }
  return 1;
}

}  // namespace rpgc
