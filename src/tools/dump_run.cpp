// runDump: options, the four modes, and reporting.
#include "tools/dump_run.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/source_syntax.h"
#include "io/file_system.h"
#include "io/pending_output.h"
#include "io/temporary_files.h"
#include "reader/file_image.h"
#include "tools/dump_input.h"
#include "tools/file_diff.h"
#include "tools/json_dump.h"
#include "tools/listing.h"
#include "tools/source_places.h"
#include "tools/source_writer.h"
#include "tools/stored_form.h"
#include "tools/text_output.h"
#include "tools/tool_diagnostics.h"

namespace rpgc {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitDiffer = 1;
constexpr int kExitError = 2;

constexpr const char* kUsage =
    "usage: rpgdump [--kind gds|gdf] FILE...          list the files\n"
    "       rpgdump --json [--kind gds|gdf] FILE...   print one JSON document\n"
    "       rpgdump --source [-o DIR] [--kind gds|gdf] FILE...\n"
    "                                                 print source that compiles to the\n"
    "                                                 same files (one .gds, one .gdf)\n"
    "       rpgdump --diff [--kind gds|gdf] OLD NEW   print what changed\n"
    "       rpgdump --source-map MAP FILE...          list the files with the places\n"
    "                                                 that set each object, property and\n"
    "                                                 section (MAP: rpgc --source-map)\n"
    "       rpgdump -h | --help                       print this help\n"
    "       rpgdump --version                         print the version\n"
    "\n"
    "FILE is a string table (.gds) or an object database (.gdf); --kind says which\n"
    "for files whose extension does not. With -o DIR, --source writes a project folder:\n"
    "DIR/BASE.txt and the description DIR/BASE.gdm (BASE is the first file's name\n"
    "without extension); \"cd DIR && rpgc BASE.gdm\" then writes the same files again.\n"
    "\n"
    "Exit status: 0 on success (--diff: the files are equal), 1 when --diff finds a\n"
    "difference, 2 on any error.\n";

enum class Mode { kListing, kJson, kSource, kDiff };

struct DumpOptions {
  Mode mode = Mode::kListing;
  FileKind kind = FileKind::kUnknown;
  std::string outputFolder;
  std::string sourceMap;
  std::vector<std::string> files;
};

int usageError(FindingCode code, std::string_view text = {}) {
  reportToolFinding(Finding(code, SourcePlace()).with(std::string(text)));
  return kExitError;
}

bool refuseUsage(FindingCode code, std::string_view text = {}) {
  usageError(code, text);
  return false;
}

// Parses the arguments; a usage error is reported and gives false.
bool parseOptions(std::span<char* const> args, DumpOptions& options) {
  bool modeSet = false;
  auto setMode = [&](Mode mode) {
    if (modeSet) return refuseUsage(FindingCode::kDumpUsageOneMode);
    options.mode = mode;
    modeSet = true;
    return true;
  };
  bool optionsEnd = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.emplace_back(arg);
    } else if (arg == "--") {
      optionsEnd = true;
    } else if (arg == "--json") {
      if (!setMode(Mode::kJson)) return false;
    } else if (arg == "--source") {
      if (!setMode(Mode::kSource)) return false;
    } else if (arg == "--diff") {
      if (!setMode(Mode::kDiff)) return false;
    } else if (arg == "--source-map") {
      if (i + 1 == args.size()) return refuseUsage(FindingCode::kDumpUsageNeedsValue, arg);
      options.sourceMap = args[++i];
    } else if (arg == "--kind" || arg == "-o" || arg == "--output") {
      if (i + 1 == args.size()) return refuseUsage(FindingCode::kDumpUsageNeedsValue, arg);
      std::string_view value = args[++i];
      if (arg == "--kind") {
        options.kind = kindNamed(value);
        if (options.kind == FileKind::kUnknown) {
          return refuseUsage(FindingCode::kDumpUsageBadKind, value);
        }
      } else {
        options.outputFolder = value;
      }
    } else {
      return refuseUsage(FindingCode::kDumpUsageUnknownOption, arg);
    }
  }
  if (options.files.empty()) return refuseUsage(FindingCode::kDumpUsageNoFile);
  if (!options.outputFolder.empty() && options.mode != Mode::kSource) {
    return refuseUsage(FindingCode::kDumpUsageOutputWithoutSource);
  }
  if (!options.sourceMap.empty() && options.mode != Mode::kListing) {
    return refuseUsage(FindingCode::kDumpUsageSourceMapListing);
  }
  if (options.mode == Mode::kDiff && options.files.size() != 2) {
    return refuseUsage(FindingCode::kDumpUsageDiffTwoFiles);
  }
  return true;
}

void reportProblem(SourceProblem problem) {
  if (problem.offset) problem.finding.texts[3] = std::to_string(*problem.offset);
  reportToolFinding(std::move(problem.finding), problem.file);
}

// How an input is read (always once): opened, its bytes not kept; opened, its bytes kept
// (to compare with); read only, to open later (openLoaded).
enum class Reading { kOpen, kOpenKeepingBytes, kLoad };

bool opened(DumpInput& input, ReadStatus status) {
  if (!status.ok()) reportToolFinding(readFailureFinding(status), input.path);
  return status.ok();
}

// Reads path as reading says; a failure is reported and gives null.
std::unique_ptr<DumpInput> openInput(const std::string& path, FileKind forced, Reading reading) {
  auto input = std::make_unique<DumpInput>();
  input->path = path;
  input->kind = kindOf(path, forced);
  if (input->kind == FileKind::kUnknown) {
    reportToolFinding(Finding(FindingCode::kDumpUnknownKind, SourcePlace()), path);
    return nullptr;
  }
  bool ok = reading == Reading::kOpen
                ? opened(*input, input->open())
                : opened(*input, input->load()) &&
                      (reading == Reading::kLoad || opened(*input, input->openLoaded(true)));
  return ok ? std::move(input) : nullptr;
}

int finish(TextOutput& out, int status) {
  if (!out.flush()) {
    reportToolFinding(Finding(FindingCode::kDumpCannotWriteOutput, SourcePlace()));
    return kExitError;
  }
  return status;
}

// --source-map: the places of a map written by rpgc; false (reported) when it cannot be
// read as one.
bool readSourcePlaces(const std::string& path, SourcePlaces& places) {
  std::vector<uint8_t> bytes;
  ReadStatus status = detail::readWholeFile(path, bytes);
  if (!status.ok()) {
    reportToolFinding(readFailureFinding(status), path);
    return false;
  }
  size_t offset = 0;
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!parseSourcePlaces(text, places, offset)) {
    reportToolFinding(
        Finding(FindingCode::kDumpBadSourceMap, SourcePlace()).with(static_cast<int64_t>(offset)),
        path);
    return false;
  }
  return true;
}

int runListing(const DumpOptions& options, TextOutput& out) {
  SourcePlaces places;
  if (!options.sourceMap.empty() && !readSourcePlaces(options.sourceMap, places)) {
    return kExitError;
  }
  int status = kExitOk;
  bool first = true;
  for (const std::string& path : options.files) {
    std::unique_ptr<DumpInput> input = openInput(path, options.kind, Reading::kOpen);
    if (input == nullptr) {
      status = kExitError;
      continue;
    }
    if (!first) out.put('\n');
    first = false;
    writeListing(*input, out, options.sourceMap.empty() ? nullptr : &places);
    out.flush();
  }
  return finish(out, status);
}

int runJson(const DumpOptions& options, TextOutput& out) {
  std::vector<std::unique_ptr<DumpInput>> inputs;
  bool ok = true;
  for (const std::string& path : options.files) {
    inputs.push_back(openInput(path, options.kind, Reading::kOpen));
    ok = ok && inputs.back() != nullptr;
  }
  if (!ok) return kExitError;  // a partial document would look whole
  std::vector<const DumpInput*> opened;
  for (const auto& input : inputs) opened.push_back(input.get());
  writeJson(opened, out);
  return finish(out, kExitOk);
}

int runDiff(const DumpOptions& options, TextOutput& out) {
  // The bytes are compared before the newer file is opened: only one file's bytes are kept
  // beside the files opened.
  std::unique_ptr<DumpInput> older =
      openInput(options.files[0], options.kind, Reading::kOpenKeepingBytes);
  std::unique_ptr<DumpInput> newer = openInput(options.files[1], options.kind, Reading::kLoad);
  bool sameBytes = older != nullptr && newer != nullptr && older->bytes == newer->bytes;
  if (older != nullptr) std::vector<uint8_t>().swap(older->bytes);
  if (newer != nullptr && !opened(*newer, newer->openLoaded(false))) newer.reset();
  if (older == nullptr || newer == nullptr) return kExitError;
  if (older->kind != newer->kind) return usageError(FindingCode::kDumpUsageDiffKinds);
  bool differs = writeDiff(*older, *newer, out);
  if (!differs && !sameBytes) {
    out.put("~ the same content, stored differently\n");
    differs = true;
  }
  return finish(out, differs ? kExitDiffer : kExitOk);
}

// BASE of a project folder: the file's name without its extension, when that is a
// plain word.
std::string baseNameOf(const std::string& path) {
  std::string stem = std::filesystem::path(path).stem().string();
  bool plain = !stem.empty() && std::none_of(stem.begin(), stem.end(), isBlankByte);
  return plain ? stem : "project";
}

// Writes into a new file that replaces its target when committed: write gets a text
// output into it.
template <class Write>
bool writePending(PendingOutput& file, Write write) {
  TextOutput text(streamSink(file.stream()));
  write(text);
  if (!text.flush() || !file.finish()) {
    int error = file.errorCode();
    Finding finding(error != 0 ? FindingCode::kCannotWrite : FindingCode::kCannotWriteUnexplained,
                    SourcePlace());
    finding.with(file.target());
    if (error != 0) finding.with(std::strerror(error));
    reportToolFinding(std::move(finding));
    return false;
  }
  return true;
}

// The source and description files of a project folder, written beside their targets and
// put in place together, as rpgc puts its outputs.
int writeProjectFolder(const DumpOptions& options, const SourceFiles& files,
                       const std::string& base, const std::string& description) {
  std::error_code error;
  std::filesystem::create_directories(options.outputFolder, error);
  if (error) {
    reportToolFinding(
        Finding(FindingCode::kDumpCannotMakeFolder, SourcePlace()).with(error.message()),
        options.outputFolder);
    return kExitError;
  }
  std::filesystem::path folder(options.outputFolder);
  FileSystem& fs = FileSystem::real();
  TemporaryFiles* temporaries = &TemporaryFiles::process();
  LockWaitNotice notice = [](const std::string& waitedFor) {
    reportToolFinding(Finding(FindingCode::kNoteWaitingForRun, SourcePlace()).with(waitedFor));
  };
  std::vector<CommitProblem> problems;
  auto report = [&problems](const std::vector<CommitProblem>& found) {
    for (const CommitProblem& problem : found) reportToolFinding(findingOf(problem));
    problems.clear();
  };
  PendingOutput sourceFile((folder / (base + ".txt")).string(), fs, temporaries, notice);
  report(sourceFile.recovered());
  PendingOutput descriptionFile((folder / (base + ".gdm")).string(), fs, temporaries, notice);
  report(descriptionFile.recovered());
  if (!writePending(sourceFile, [&](TextOutput& text) { writeSource(files, text); }) ||
      !writePending(descriptionFile, [&](TextOutput& text) { text.put(description); })) {
    // A failed run removes its temporary files, and says which ones it could not.
    sourceFile.abandon(problems);
    descriptionFile.abandon(problems);
    report(problems);
    return kExitError;
  }
  PendingOutput* outputs[] = {&sourceFile, &descriptionFile};
  bool committed = commitOutputs(outputs, fs, problems, notice) && onlyNotes(problems);
  report(problems);
  return committed ? kExitOk : kExitError;
}

int runSource(const DumpOptions& options, TextOutput& out) {
  std::vector<std::unique_ptr<DumpInput>> inputs;
  SourceFiles files;
  for (const std::string& path : options.files) {
    std::unique_ptr<DumpInput> input = openInput(path, options.kind, Reading::kOpenKeepingBytes);
    if (input == nullptr) return kExitError;
    const DumpInput*& slot = input->kind == FileKind::kStringTable ? files.strings : files.database;
    if (slot != nullptr) return usageError(FindingCode::kDumpUsageSourceFiles);
    slot = input.get();
    inputs.push_back(std::move(input));
  }
  SourceProblem problem;
  if (!checkSourceForm(files, problem)) {
    reportProblem(std::move(problem));
    return kExitError;
  }
  for (const auto& input : inputs) {
    if (!storedFormMatches(*input, input->bytes, problem)) {
      reportProblem(std::move(problem));
      return kExitError;
    }
    std::vector<uint8_t>().swap(input->bytes);  // checked: no longer needed
  }
  if (options.outputFolder.empty()) {
    writeSource(files, out);
    return finish(out, kExitOk);
  }
  std::string base = baseNameOf(inputs.front()->path);
  std::string description;
  if (!writeDescription(files, base, base + ".txt", description, problem)) {
    reportProblem(std::move(problem));
    return kExitError;
  }
  return writeProjectFolder(options, files, base, description);
}

int runModes(int argc, char** argv, TextOutput& out) {
  std::span<char* const> args(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0));
  if (args.size() == 1 &&
      (std::string_view(args[0]) == "-h" || std::string_view(args[0]) == "--help")) {
    out.put(kUsage);
    return finish(out, kExitOk);
  }
  if (args.size() == 1 && std::string_view(args[0]) == "--version") {
    out.put("rpgdump " RPGC_VERSION "\n");
    return finish(out, kExitOk);
  }
  DumpOptions options;
  if (!parseOptions(args, options)) return kExitError;
  switch (options.mode) {
    case Mode::kListing:
      return runListing(options, out);
    case Mode::kJson:
      return runJson(options, out);
    case Mode::kSource:
      return runSource(options, out);
    case Mode::kDiff:
      return runDiff(options, out);
  }
  return kExitError;
}

}  // namespace

int runDump(int argc, char** argv) {
  TextOutput out(stdout);
  try {
    return runModes(argc, argv, out);
  } catch (const std::bad_alloc&) {
    // What was allocated is released on the way here; saying so allocates nothing.
    out.flush();
    reportToolOutOfMemory();
    return kExitError;
  }
}

}  // namespace rpgc
