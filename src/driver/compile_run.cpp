// The compile run: command line, settings, the compile loop, the checks at the end, and
// the output phases.
#include "driver/compile_run.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/finding_recorder.h"
#include "core/spelling.h"
#include "diagnostics/diagnostic_engine.h"
#include "diagnostics/text_escape.h"
#include "driver/command_line.h"
#include "driver/compilation.h"
#include "driver/compilation_unit.h"
#include "driver/console.h"
#include "driver/depfile.h"
#include "driver/description_check.h"
#include "driver/named_use_check.h"
#include "driver/output_phase.h"
#include "driver/run_settings.h"
#include "driver/section_dispatcher.h"
#include "driver/source_map_json.h"
#include "driver/unit_pool.h"
#include "io/file_system.h"
#include "io/file_watch.h"
#include "io/heap_pages.h"
#include "io/line_reader.h"
#include "io/pending_output.h"
#include "io/stop_signals.h"
#include "io/temporary_files.h"
#include "source/source_map.h"

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

// Compiles every source file, jobs files at once, merged in order. A run that writes
// stops at the first file that fails with an error; a check, and a run whose warnings may
// be errors (-Werror, --strict), go on to the end, so that every file's findings are
// shown before the run fails.
bool compileAll(Compilation& compilation, const SettledSettings& settled, bool check, int32_t jobs,
                Console& console, DiagnosticEngine& engine) {
  const RunSettings& settings = settled.settings;
  if (!check) console.banner(kCompilingTitle);
  bool keepGoing = check || engine.options().promotesAny();
  compilation.keepGoing = keepGoing;
  const StringList& names = settings.sourceFiles;
  // What the workers read: plain copies, made before they start.
  std::vector<std::string> paths;
  paths.reserve(static_cast<size_t>(names.length()));
  int32_t firstFile = 0;
  for (int32_t k = 0; k < names.length(); ++k) {
    paths.emplace_back(names[k].view());
    int32_t file = engine.addFile(paths.back());
    if (k == 0) firstFile = file;
  }
  bool unreadable = false;
  FindingRecorder wanted;
  wanted.wantLike(engine);
  bool ok = true;
  bool stopped = false;
  HeapPages heap;
  UnitPool pool(jobs > 1 ? jobs : 0);
  auto prepare = [&](CompilationUnit& unit, int32_t k) {
    unit.prepare(paths[static_cast<size_t>(k)], firstFile + k, wanted, compilation.keepGoing);
  };
  auto merge = [&](CompilationUnit& unit, int32_t k) {
    const std::string& name = paths[static_cast<size_t>(k)];
    if (!check) console.fileName(name);
    int32_t errorsBefore = engine.errorCount();
    bool walked = false;
    if (unit.failure) std::rethrow_exception(unit.failure);
    if (!unit.readOk) {
      unreadable = true;
      Finding failure = readFailureFinding(unit.readFailure, FindingCode::kCannotOpenSource,
                                           engine.shownPath(name));
      if (failure.place.line < 0 && settled.descriptionRead) {
        engine.report(sourceNotFound(std::move(failure), name,
                                     engine.addFile(settled.descriptionFile),
                                     kSourceLinesStart + k));
      } else {
        reportReadFailure(engine, unit.file, std::move(failure));
      }
    } else {
      walked = mergeUnit(unit, compilation, engine);
    }
    heap.adviseGrowth();
    if (engine.errorCount() > errorsBefore || !walked) {
      ok = false;
      if (!keepGoing) {
        console.line(kFileFailed);
        stopped = true;
        return false;
      }
    }
    return true;
  };
  pool.run(names.length(), prepare, merge);
  if (stopped) return false;
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

// A text output asked for beside the two files (the depfile, the source map), prepared
// before anything is written.
struct TextFile {
  std::string path;  // empty: none
  std::string text;
};

// False (reported) when a path cannot be written into a depfile.
bool prepareDependencies(const std::string& path, const SettledSettings& settled,
                         DiagnosticEngine& engine, TextFile& dependencies) {
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
        Finding(FindingCode::kDepfileLineEnd, SourcePlace()).withPath(path).withPath(*unwritable));
    return false;
  }
  dependencies.text = depfileText(targets, inputs);
  return true;
}

// Shows what went wrong (or was found) while putting the outputs in place; a target that
// could not be replaced also gets its phase's text on standard output.
void reportProblems(const std::vector<CommitProblem>& problems, const std::string& stringTable,
                    const std::string& database, Console& console, DiagnosticEngine& engine) {
  for (const CommitProblem& problem : problems) {
    if (problem.what == CommitProblem::What::kReplace && problem.path == stringTable) {
      console.text(kCannotWriteStrings);
    } else if (problem.what == CommitProblem::What::kReplace && problem.path == database) {
      console.text(kCannotWriteDatabase);
    }
    engine.report(findingOf(problem));
  }
}

// Writes both outputs (and the text files asked for) to temporary files and puts them in
// place together.
bool writeOutputs(Compilation& compilation, const RunSettings& settings,
                  const std::vector<TextFile>& texts, Console& console, DiagnosticEngine& engine) {
  FileSystem& fs = FileSystem::real();
  TemporaryFiles* temporaries = &TemporaryFiles::process();
  LockWaitNotice notice = [&engine](const std::string& folder) {
    engine.report(Finding(FindingCode::kNoteWaitingForRun, SourcePlace()).withPath(folder));
  };
  std::string stringTableName(settings.stringTableFile.view());
  std::string databaseName(settings.databaseFile.view());
  std::vector<CommitProblem> problems;
  auto report = [&] {
    reportProblems(problems, stringTableName, databaseName, console, engine);
    problems.clear();
  };
  std::vector<PendingOutput*> outputs;
  // A failed run removes its temporary files, and says which ones it could not.
  auto fail = [&] {
    for (PendingOutput* output : outputs) output->abandon(problems);
    report();
    return false;
  };
  auto prepare = [&](std::optional<PendingOutput>& output, const std::string& target,
                     const LockWaitNotice& wait) {
    output.emplace(target, fs, temporaries, wait);
    outputs.push_back(&*output);
    problems.insert(problems.end(), output->recovered().begin(), output->recovered().end());
  };

  std::optional<PendingOutput> stringTable;
  prepare(stringTable, stringTableName, notice);
  report();
  // The database is written while the strings are: what its preparation has to say is
  // said between the two phases, where it would come if it were prepared there.
  std::vector<std::string> awaitedFolders;
  std::optional<PendingOutput> database;
  prepare(database, databaseName,
          [&](const std::string& folder) { awaitedFolders.push_back(folder); });
  auto beforeDatabase = [&] {
    for (const std::string& folder : awaitedFolders) notice(folder);
    awaitedFolders.clear();
    report();
  };
  if (!writeOutputPhases(compilation, settings, console, engine, *stringTable, *database,
                         beforeDatabase)) {
    beforeDatabase();
    return fail();
  }
  std::deque<std::optional<PendingOutput>> textOutputs;  // elements never move
  for (const TextFile& file : texts) {
    if (file.path.empty()) continue;
    std::optional<PendingOutput>& output = textOutputs.emplace_back();
    prepare(output, file.path, notice);
    report();
    const std::string& text = file.text;
    bool written = text.size() <= INT32_MAX &&
                   output->stream().write(text.data(), static_cast<int32_t>(text.size())) &&
                   output->finish();
    if (!written) {
      int error = output->errorCode() != 0 ? output->errorCode() : EFBIG;
      engine.report(Finding(FindingCode::kCannotWrite, SourcePlace())
                        .withPath(file.path)
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
    if (settled.failure.code == FindingCode::kCannotOpenDescription) {
      settled.failure.texts[0] = engine.shownPath(settled.failure.texts[0]);
    }
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
int runCheck(Compilation& compilation, const SettledSettings& settled, int32_t jobs,
             Console& console, DiagnosticEngine& engine) {
  compilation.keepGoing = true;
  compileAll(compilation, settled, true, jobs, console, engine);
  reportLongNames(compilation, engine);
  return engine.errorCount() > 0 ? 1 : 0;
}

// Without an argument and without the default description, the run compiles an empty
// project; says so, naming the descriptions the folder does hold.
void noteMissingDescription(DiagnosticEngine& engine) {
  std::vector<std::string> others = descriptionFilesHere();
  if (others.empty()) {
    engine.report(
        Finding(FindingCode::kNoteNoDescription, SourcePlace()).with(kDefaultDescriptionFile));
    return;
  }
  constexpr size_t kNamed = 5;
  std::string names;
  for (size_t i = 0; i < others.size() && i < kNamed; ++i) {
    if (i > 0) names += ", ";
    names += "'" + escapeText(others[i]) + "'";
  }
  if (others.size() > kNamed) names += ", \u2026";
  engine.report(Finding(FindingCode::kNoteNoDescriptionOthers, SourcePlace())
                    .with(kDefaultDescriptionFile)
                    .with(names));
}

// Told the files a compile reads (the description and the sources), before it reads the
// sources.
using BeforeReading = std::function<void(const std::vector<std::string>& files)>;

// One compile of the project, from its settings to its outputs; the exit status.
int compileProject(const CommandLine& line, Console& console, DiagnosticEngine& engine,
                   Compilation& compilation, const BeforeReading& beforeReading = {}) {
  SettledSettings settled = settleSettings(line.positional);
  if (beforeReading) {
    std::vector<std::string> files;
    if (!settled.descriptionFile.empty()) files.push_back(settled.descriptionFile);
    for (const RefString& source : settled.settings.sourceFiles) {
      if (!source.isEmpty()) files.emplace_back(source.view());
    }
    beforeReading(files);
  }
  if (!settled.ready()) return reportSettingsFailure(settled, console, engine);
  if (line.positional.empty() && !settled.descriptionRead) noteMissingDescription(engine);
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
  std::optional<SourceMap> sourceMap;
  if (!line.sourceMap.empty()) compilation.blocks.sourceMap = &sourceMap.emplace();
  int32_t jobs = jobsWanted(line.jobs);
  if (line.check) return runCheck(compilation, settled, jobs, console, engine);
  if (!compileAll(compilation, settled, false, jobs, console, engine)) return 1;
  std::vector<TextFile> texts(2);
  if (!prepareDependencies(line.depfile, settled, engine, texts[0])) return 1;
  if (sourceMap) {
    std::error_code error;
    std::string folder = std::filesystem::current_path(error).string();
    texts[1] = {line.sourceMap, sourceMapJson(*sourceMap, compilation, engine, folder)};
  }
  return writeOutputs(compilation, settings, texts, console, engine) ? 0 : 1;
}

// The folder a run started in and the one it opens its files from (after -C), both
// absolute; empty when unknown.
struct Folders {
  std::string startedIn;
  std::string runFolder;
};

// -C: changes to the folder. False (reported) when it cannot be entered.
bool enterFolder(const CommandLine& line, DiagnosticEngine& engine, Folders& folders) {
  std::error_code error;
  std::filesystem::path startedIn = std::filesystem::current_path(error);
  if (!line.directory.empty()) {
    std::filesystem::current_path(line.directory, error);
    if (error) {
      engine.report(Finding(FindingCode::kCannotChangeFolder, SourcePlace())
                        .with(line.directory)
                        .with(error.message()));
      return false;
    }
  }
  std::filesystem::path runFolder = std::filesystem::current_path(error);
  if (!error && !startedIn.empty()) folders = {startedIn.string(), runFolder.string()};
  return true;
}

// Diagnostics name files so that they open from the folder the run started in.
void showPathsFrom(const Folders& folders, const CommandLine& line, DiagnosticEngine& engine) {
  if (!folders.runFolder.empty()) {
    engine.showPaths(folders.runFolder, folders.startedIn, line.absolutePaths);
  }
}

std::string secondsSince(std::chrono::steady_clock::time_point start) {
  std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", taken.count());
  return text;
}

// --watch: one run, then another after each change of the description or a source file,
// each with its own diagnostics and a line that says how it went. Ends by a stop signal
// (the handlers remove the temporary files), or with 1 when the files cannot be watched.
//
// Every file is watched before it is read (the description before the first run, the
// sources once the description has named them), so a change made while a run reads or
// writes is waiting when it ends, and starts the next run.
int watchProject(const CommandLine& line, Console& console, const Folders& folders,
                 Compilation& first, DiagnosticEngine& setupEngine) {
  FileWatch watch;
  bool watching = true;
  auto watchFiles = [&](const std::vector<std::string>& files) {
    if (!watch.watch(files)) watching = false;
  };
  std::string description = descriptionFileOf(line.positional);
  if (!description.empty()) watchFiles({description});
  std::unique_ptr<Compilation> later;
  for (bool firstRun = true;; firstRun = false) {
    auto start = std::chrono::steady_clock::now();
    Compilation* compilation = &first;
    if (!firstRun) {
      later.reset();  // the previous run's tables go before the next run builds its own
      later = std::make_unique<Compilation>();
      compilation = later.get();
    }
    DiagnosticEngine engine(line.warnings, styleOf(line));
    showPathsFrom(folders, line, engine);
    int status = compileProject(line, console, engine, *compilation, watchFiles);
    std::string counts = engine.countsText();
    std::string took = secondsSince(start);
    std::string detail = counts.empty() ? "" : " (" + counts + ")";
    if (line.check) {
      engine.summary("checked in " + took + detail);
    } else if (status == 0) {
      engine.summary("written in " + took + detail);
    } else {
      engine.summary("failed in " + took + detail + "; the outputs are unchanged");
    }
    if (!watching) break;
    if (firstRun) engine.report(Finding(FindingCode::kNoteWatching, SourcePlace()));
    if (!watch.waitForChange()) break;
  }
  setupEngine.report(
      Finding(FindingCode::kCannotWatch, SourcePlace()).with(std::strerror(watch.errorCode())));
  return 1;
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
  console.setQuiet(line.quiet);
  Folders folders;
  if (!enterFolder(line, engine, folders)) return 1;
  if (line.watch) return watchProject(line, console, folders, compilation, engine);
  showPathsFrom(folders, line, engine);
  int status = compileProject(line, console, engine, compilation);
  std::string counts = engine.countsText();
  if (!counts.empty()) engine.summary(counts);
  return status;
}

}  // namespace

int runCompiler(int argc, char** argv, Compilation& compilation) {
  Console console(stdout);
  // Dots still pending when a signal ends the run are written first.
  setBeforeStopping(&Console::writePendingDots, &console);
  // Made first, so that running out of memory anywhere is said through it; the command
  // line then gives it its options. Standard output is flushed before each text on
  // standard error, so that the two keep their order where they meet.
  DiagnosticEngine engine({}, {}, [&console](std::string_view text) {
    console.flush();
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  });
  struct HookRemoval {
    ~HookRemoval() { setBeforeStopping(nullptr, nullptr); }
  } hookRemoval;
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
