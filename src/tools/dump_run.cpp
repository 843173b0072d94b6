// runDump: options, the four modes, and reporting.
#include "tools/dump_run.h"

#include <algorithm>
#include <bit>
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
#include "tools/content_summary.h"
#include "tools/dump_input.h"
#include "tools/file_diff.h"
#include "tools/json_dump.h"
#include "tools/listing.h"
#include "tools/name_pattern.h"
#include "tools/object_query.h"
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
// A name matched nothing: an answer, as grep's, not a failure.
constexpr int kExitNothingFound = 1;

constexpr const char* kUsage =
    "usage: rpgdump [OPTION]... FILE... [NAME]...  list the files, or only the\n"
    "                                              objects and sections named\n"
    "       rpgdump --object NAME FILE...          list what NAME names\n"
    "       rpgdump --refs NAME FILE...            print the values naming NAME\n"
    "       rpgdump --summary FILE...              print counts, and what nothing\n"
    "                                              refers to\n"
    "       rpgdump --json FILE...                 print one JSON document\n"
    "       rpgdump --source [-o DIR] FILE...      print source that compiles to\n"
    "                                              the same files (a .gds, a .gdf)\n"
    "       rpgdump --diff OLD NEW                 print what changed\n"
    "       rpgdump --diff OLD.gds OLD.gdf NEW.gds NEW.gdf\n"
    "       rpgdump -h | --help                    print this help\n"
    "       rpgdump --version                      print the version\n"
    "\n"
    "Options:\n"
    "  --kind gds|gdf     read every FILE as a string table or an object database\n"
    "  --all              list every property of a record, set or not\n"
    "  --no-header-path   leave the file's path out of the listing's header line\n"
    "  -o, --output DIR   with --source, write a project folder\n"
    "  --source-map MAP   with the listing, end each object, property and section line\n"
    "                     with the places that set it (MAP: from rpgc --source-map)\n"
    "Options that take a value take it as the next argument or after '=' (--kind=gdf).\n"
    "\n"
    "FILE is a string table (.gds) or an object database (.gdf); --kind says which\n"
    "for files whose extension does not. An argument that is no file and holds no\n"
    "'.' or '/' is a NAME; '*' in a NAME stands for any text (quote it for the\n"
    "shell). --diff OLD NEW compares two files, or with base names OLD.gds and\n"
    "OLD.gdf with NEW.gds and NEW.gdf. With -o DIR, --source writes a project\n"
    "folder: DIR/BASE.txt and the description DIR/BASE.gdm (BASE is the first\n"
    "file's name without its extension); \"cd DIR && rpgc BASE.gdm\" then writes the\n"
    "same files again.\n"
    "\n"
    "Exit status: 0 on success (--diff: the files are equal), 1 when --diff finds a\n"
    "difference or a NAME matches nothing, 2 on any error.\n";

enum class Mode { kListing, kObject, kRefs, kSummary, kJson, kSource, kDiff };

struct DumpOptions {
  Mode mode = Mode::kListing;
  FileKind kind = FileKind::kUnknown;
  std::string outputFolder;
  /// --source-map: the map whose places the listing shows, and what it holds.
  std::string sourceMap;
  SourcePlaces places;
  std::vector<std::string> files;
  /// What --object, --refs or the arguments that are names ask about.
  std::vector<NamePattern> names;
  ListingOptions listing;
};

int usageError(FindingCode code, std::string_view text = {}) {
  reportToolFinding(Finding(code, SourcePlace()).with(std::string(text)));
  return kExitError;
}

bool refuseUsage(FindingCode code, std::string_view text = {}) {
  usageError(code, text);
  return false;
}

bool isFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// An argument of the listing that is no file and could not be a file's name for a
// mistake: no '.', no '/' (and so no extension): a name of an object or string section.
bool isName(const std::string& arg) {
  return arg != "-" && arg.find_first_of("./") == std::string::npos && !isFile(arg);
}

// Parses the arguments; a usage error is reported and gives false.
bool parseOptions(std::span<char* const> args, DumpOptions& options) {
  bool modeSet = false;
  // --object and --refs may come again, each with another name.
  auto setMode = [&](Mode mode) {
    bool again = mode == options.mode && (mode == Mode::kObject || mode == Mode::kRefs);
    if (modeSet && !again) return refuseUsage(FindingCode::kDumpUsageOneMode);
    options.mode = mode;
    modeSet = true;
    return true;
  };
  bool optionsEnd = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    if (optionsEnd || arg.empty() || arg[0] != '-' || arg == "-") {
      options.files.emplace_back(arg);
      continue;
    }
    // A long option's value after '=' or as the next argument.
    std::optional<std::string_view> attached;
    if (size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string_view::npos) {
      attached = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
    }
    bool takesValue = arg == "--kind" || arg == "-o" || arg == "--output" || arg == "--object" ||
                      arg == "--refs" || arg == "--source-map";
    if (attached && !takesValue) return refuseUsage(FindingCode::kDumpUsageUnknownOption, args[i]);
    std::string_view value;
    if (takesValue) {
      if (attached) {
        value = *attached;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return refuseUsage(FindingCode::kDumpUsageNeedsValue, arg);
      }
      if (value.empty()) return refuseUsage(FindingCode::kDumpUsageNeedsValue, arg);
    }
    if (arg == "--") {
      optionsEnd = true;
    } else if (arg == "--json") {
      if (!setMode(Mode::kJson)) return false;
    } else if (arg == "--source") {
      if (!setMode(Mode::kSource)) return false;
    } else if (arg == "--diff") {
      if (!setMode(Mode::kDiff)) return false;
    } else if (arg == "--summary") {
      if (!setMode(Mode::kSummary)) return false;
    } else if (arg == "--object" || arg == "--refs") {
      if (!setMode(arg == "--object" ? Mode::kObject : Mode::kRefs)) return false;
      options.names.emplace_back(std::string(value));
    } else if (arg == "--all") {
      options.listing.allProperties = true;
    } else if (arg == "--no-header-path") {
      options.listing.headerPath = false;
    } else if (arg == "--kind") {
      options.kind = kindNamed(value);
      if (options.kind == FileKind::kUnknown) {
        return refuseUsage(FindingCode::kDumpUsageBadKind, value);
      }
    } else if (arg == "--source-map") {
      options.sourceMap = value;
    } else if (takesValue) {
      options.outputFolder = value;
    } else {
      return refuseUsage(FindingCode::kDumpUsageUnknownOption, arg);
    }
  }
  if (options.mode == Mode::kListing || options.mode == Mode::kObject) {
    // The names among the arguments, where some argument is a file to look in.
    auto name = [](const std::string& arg) { return isName(arg); };
    if (!std::all_of(options.files.begin(), options.files.end(), name)) {
      for (const std::string& arg : options.files) {
        if (isName(arg)) options.names.emplace_back(arg);
      }
      std::erase_if(options.files, name);
    }
    if (!options.names.empty()) options.mode = Mode::kObject;
  }
  if (options.files.empty()) return refuseUsage(FindingCode::kDumpUsageNoFile);
  if (!options.sourceMap.empty() && options.mode != Mode::kListing &&
      options.mode != Mode::kObject) {
    return refuseUsage(FindingCode::kDumpUsageSourceMapListing);
  }
  if (!options.outputFolder.empty() && options.mode != Mode::kSource) {
    return refuseUsage(FindingCode::kDumpUsageOutputWithoutSource);
  }
  if (options.mode == Mode::kDiff && options.files.size() != 2 && options.files.size() != 4) {
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

// Whether input, which did not open as its kind, is a sound file of the other kind.
bool isOfTheOtherKind(const DumpInput& input) {
  if (input.kind == FileKind::kStringTable) return DatabaseFile().open(input.path).ok();
  return StringTableFile().open(input.path).ok();
}

bool opened(DumpInput& input, ReadStatus status) {
  if (status.ok()) return true;
  bool damaged =
      status.failure != ReadFailure::kCannotOpen && status.failure != ReadFailure::kTooLarge;
  // A .gds renamed .gdf (or the converse) is said to be one, not to be damaged.
  if (damaged && isOfTheOtherKind(input)) {
    reportToolFinding(
        Finding(input.kind == FileKind::kStringTable ? FindingCode::kDumpWrongKindDatabase
                                                     : FindingCode::kDumpWrongKindStrings,
                SourcePlace()),
        input.path);
  } else {
    reportToolFinding(readFailureFinding(status), input.path);
  }
  return false;
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

// Opens every file; a failure is reported and gives false (a partial answer would look
// whole).
bool openAll(const DumpOptions& options, std::vector<std::unique_ptr<DumpInput>>& inputs,
             std::vector<const DumpInput*>& opened) {
  bool ok = true;
  for (const std::string& path : options.files) {
    inputs.push_back(openInput(path, options.kind, Reading::kOpen));
    ok = ok && inputs.back() != nullptr;
    if (inputs.back() != nullptr) opened.push_back(inputs.back().get());
  }
  return ok;
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
    writeListing(*input, out, options.listing);
    out.flush();
  }
  return finish(out, status);
}

int runJson(const DumpOptions& options, TextOutput& out) {
  std::vector<std::unique_ptr<DumpInput>> inputs;
  std::vector<const DumpInput*> opened;
  if (!openAll(options, inputs, opened)) return kExitError;
  writeJson(opened, out);
  return finish(out, kExitOk);
}

// Says that a name matched nothing, with the name it probably misspells.
void reportNoMatch(std::span<const DumpInput* const> inputs, const NamePattern& name) {
  std::string_view guess = name.isGlob() ? "" : closestEntryName(inputs, name.text());
  Finding finding(guess.empty() ? FindingCode::kDumpNoSuchName : FindingCode::kDumpNoSuchNameGuess,
                  SourcePlace());
  finding.with(name.text());
  if (!guess.empty()) finding.with(std::string(guess));
  reportToolFinding(std::move(finding));
}

int runObjects(const DumpOptions& options, TextOutput& out) {
  std::vector<std::unique_ptr<DumpInput>> inputs;
  std::vector<const DumpInput*> opened;
  if (!openAll(options, inputs, opened)) return kExitError;
  int status = kExitOk;
  bool first = true;
  for (const NamePattern& name : options.names) {
    if (writeNamedEntries(opened, name, options.listing, out, first) == 0) {
      out.flush();
      reportNoMatch(opened, name);
      status = kExitNothingFound;
    }
  }
  return finish(out, status);
}

int runRefs(const DumpOptions& options, TextOutput& out) {
  std::vector<std::unique_ptr<DumpInput>> inputs;
  std::vector<const DumpInput*> opened;
  if (!openAll(options, inputs, opened)) return kExitError;
  int status = kExitOk;
  for (const NamePattern& name : options.names) {
    if (writeReferences(opened, name, out) == 0) {
      out.flush();
      reportToolFinding(Finding(FindingCode::kDumpNothingNames, SourcePlace()).with(name.text()));
      status = kExitNothingFound;
    }
  }
  return finish(out, status);
}

int runSummary(const DumpOptions& options, TextOutput& out) {
  std::vector<std::unique_ptr<DumpInput>> inputs;
  std::vector<const DumpInput*> opened;
  if (!openAll(options, inputs, opened)) return kExitError;
  writeSummary(opened, options.listing, out);
  return finish(out, kExitOk);
}

// The project name and version of a file, kept after it is closed.
struct HeaderText {
  bool hasName = false;
  std::string name;
  uint32_t versionBits = 0;

  HeaderText() = default;
  explicit HeaderText(const FileHeader& header)
      : hasName(header.hasProjectName()),
        name(header.projectName()),
        versionBits(std::bit_cast<uint32_t>(header.version())) {}
  friend bool operator==(const HeaderText&, const HeaderText&) = default;
};

// The headers of a pair of files: when given to diffPair, those whose differences were
// already written; from it, the pair's own.
struct PairHeaders {
  HeaderText older;
  HeaderText newer;
  friend bool operator==(const PairHeaders&, const PairHeaders&) = default;
};

// Compares one pair of files of one kind; kExitOk when they are equal, kExitDiffer when
// not, kExitError when one cannot be read. The project names and versions are compared
// unless they are those of shown (a pair whose differences were written before).
int diffPair(const std::string& olderPath, const std::string& newerPath, FileKind kind,
             TextOutput& out, const PairHeaders* shown = nullptr, PairHeaders* headers = nullptr) {
  // The bytes are compared before the newer file is opened: only one file's bytes are kept
  // beside the files opened.
  std::unique_ptr<DumpInput> older = openInput(olderPath, kind, Reading::kOpenKeepingBytes);
  std::unique_ptr<DumpInput> newer = openInput(newerPath, kind, Reading::kLoad);
  bool sameBytes = older != nullptr && newer != nullptr && older->bytes == newer->bytes;
  if (older != nullptr) std::vector<uint8_t>().swap(older->bytes);
  if (newer != nullptr && !opened(*newer, newer->openLoaded(false))) newer.reset();
  if (older == nullptr || newer == nullptr) return kExitError;
  if (older->kind != newer->kind) return usageError(FindingCode::kDumpUsageDiffKinds);
  PairHeaders own{HeaderText(older->header()), HeaderText(newer->header())};
  bool differs = writeDiff(*older, *newer, out, shown == nullptr || !(*shown == own));
  if (headers != nullptr) *headers = std::move(own);
  if (!differs && !sameBytes) {
    out.put("~ the same content, stored differently\n");
    differs = true;
  }
  return differs ? kExitDiffer : kExitOk;
}

// --diff of a build's two files with another's: OLD.gds OLD.gdf NEW.gds NEW.gdf (in any
// order within a build), the string tables first. The project name and version that
// rpgc writes into both files of a build are compared once.
int runBuildDiff(const DumpOptions& options, TextOutput& out) {
  std::string strings[2];
  std::string databases[2];
  for (size_t i = 0; i < 4; ++i) {
    const std::string& path = options.files[i];
    FileKind kind = kindOf(path, options.kind);
    std::string& slot = kind == FileKind::kStringTable ? strings[i / 2] : databases[i / 2];
    if (kind == FileKind::kUnknown || !slot.empty()) {
      return usageError(FindingCode::kDumpUsageDiffPairs);
    }
    slot = path;
  }
  PairHeaders headers;
  int status = diffPair(strings[0], strings[1], FileKind::kStringTable, out, nullptr, &headers);
  if (status == kExitError) return status;
  int databaseStatus = diffPair(databases[0], databases[1], FileKind::kDatabase, out, &headers);
  if (databaseStatus == kExitError) return finish(out, kExitError);
  return finish(out, std::max(status, databaseStatus));
}

int runDiff(const DumpOptions& options, TextOutput& out) {
  if (options.files.size() == 4) return runBuildDiff(options, out);
  // Two base names: OLD.gds OLD.gdf NEW.gds NEW.gdf.
  auto isBase = [](const std::string& path) {
    return !isFile(path) && isFile(path + ".gds") && isFile(path + ".gdf");
  };
  if (std::all_of(options.files.begin(), options.files.end(), isBase)) {
    DumpOptions build = options;
    const std::string& older = options.files[0];
    const std::string& newer = options.files[1];
    build.files = {older + ".gds", older + ".gdf", newer + ".gds", newer + ".gdf"};
    build.kind = FileKind::kUnknown;
    return runBuildDiff(build, out);
  }
  int status = diffPair(options.files[0], options.files[1], options.kind, out);
  return status == kExitError ? status : finish(out, status);
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
  if (!options.sourceMap.empty()) {
    if (!readSourcePlaces(options.sourceMap, options.places)) return kExitError;
    options.listing.places = &options.places;
  }
  switch (options.mode) {
    case Mode::kListing:
      return runListing(options, out);
    case Mode::kObject:
      return runObjects(options, out);
    case Mode::kRefs:
      return runRefs(options, out);
    case Mode::kSummary:
      return runSummary(options, out);
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
