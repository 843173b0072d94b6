// runDump: options, the four modes, and reporting.
#include "tools/dump_run.h"

#include <algorithm>
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

#include "archive/file_stream.h"
#include "io/file_system.h"
#include "io/pending_output.h"
#include "io/temporary_files.h"
#include "tools/dump_input.h"
#include "tools/file_diff.h"
#include "tools/json_dump.h"
#include "tools/listing.h"
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
  std::vector<std::string> files;
};

int usageError(std::string_view reason) {
  reportReadError("rpgdump", std::string(reason) + " (see rpgdump --help)");
  return kExitError;
}

bool refuseUsage(std::string_view reason) {
  usageError(reason);
  return false;
}

// Parses the arguments; a usage error is reported and gives false.
bool parseOptions(std::span<char* const> args, DumpOptions& options) {
  bool modeSet = false;
  auto setMode = [&](Mode mode) {
    if (modeSet) return refuseUsage("choose one of --json, --source and --diff");
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
    } else if (arg == "--kind" || arg == "-o" || arg == "--output") {
      if (i + 1 == args.size()) return refuseUsage(std::string(arg) + " needs a value");
      std::string_view value = args[++i];
      if (arg == "--kind") {
        options.kind = kindNamed(value);
        if (options.kind == FileKind::kUnknown) {
          return refuseUsage("--kind takes gds or gdf, not '" + std::string(value) + "'");
        }
      } else {
        options.outputFolder = value;
      }
    } else {
      return refuseUsage("unknown option '" + std::string(arg) + "'");
    }
  }
  if (options.files.empty()) return refuseUsage("no file named");
  if (!options.outputFolder.empty() && options.mode != Mode::kSource) {
    return refuseUsage("-o goes with --source");
  }
  if (options.mode == Mode::kDiff && options.files.size() != 2) {
    return refuseUsage("--diff compares two files");
  }
  return true;
}

void reportFailure(const std::string& path, const ReadStatus& status) {
  bool placed =
      status.failure != ReadFailure::kCannotOpen && status.failure != ReadFailure::kTooLarge;
  reportReadError(path, status.message(),
                  placed ? std::optional<int64_t>(status.offset) : std::nullopt);
}

void reportProblem(const SourceProblem& problem) {
  reportReadError(problem.file, "cannot be written as source: " + problem.reason, problem.offset);
}

// Opens path; a failure is reported and gives null.
std::unique_ptr<DumpInput> openInput(const std::string& path, FileKind forced) {
  auto input = std::make_unique<DumpInput>();
  input->path = path;
  input->kind = kindOf(path, forced);
  if (input->kind == FileKind::kUnknown) {
    reportReadError(path,
                    "cannot tell a string table (.gds) from a database (.gdf) by its "
                    "name; say which with --kind gds or --kind gdf");
    return nullptr;
  }
  ReadStatus status = input->open();
  if (!status.ok()) {
    reportFailure(path, status);
    return nullptr;
  }
  return input;
}

int finish(TextOutput& out, int status) {
  if (!out.flush()) {
    reportReadError("rpgdump", "cannot write the standard output");
    return kExitError;
  }
  return status;
}

int runListing(const DumpOptions& options, TextOutput& out) {
  int status = kExitOk;
  bool first = true;
  for (const std::string& path : options.files) {
    std::unique_ptr<DumpInput> input = openInput(path, options.kind);
    if (input == nullptr) {
      status = kExitError;
      continue;
    }
    if (!first) out.put('\n');
    first = false;
    writeListing(*input, out);
    out.flush();
  }
  return finish(out, status);
}

int runJson(const DumpOptions& options, TextOutput& out) {
  std::vector<std::unique_ptr<DumpInput>> inputs;
  bool ok = true;
  for (const std::string& path : options.files) {
    inputs.push_back(openInput(path, options.kind));
    ok = ok && inputs.back() != nullptr;
  }
  if (!ok) return kExitError;  // a partial document would look whole
  std::vector<const DumpInput*> opened;
  for (const auto& input : inputs) opened.push_back(input.get());
  writeJson(opened, out);
  return finish(out, kExitOk);
}

// Whether two files hold the same bytes.
bool sameBytes(const std::string& a, const std::string& b) {
  FileStream first;
  FileStream second;
  first.open(a.c_str(), false);
  second.open(b.c_str(), false);
  if (first.size() != second.size()) return false;
  std::vector<uint8_t> x(1 << 16);
  std::vector<uint8_t> y(x.size());
  for (int32_t left = first.size(); left > 0;) {
    int32_t n = std::min(left, static_cast<int32_t>(x.size()));
    if (!first.read(x.data(), n) || !second.read(y.data(), n) ||
        !std::equal(x.begin(), x.begin() + n, y.begin())) {
      return false;
    }
    left -= n;
  }
  return true;
}

int runDiff(const DumpOptions& options, TextOutput& out) {
  std::unique_ptr<DumpInput> older = openInput(options.files[0], options.kind);
  std::unique_ptr<DumpInput> newer = openInput(options.files[1], options.kind);
  if (older == nullptr || newer == nullptr) return kExitError;
  if (older->kind != newer->kind) {
    return usageError("cannot compare a string table with a database");
  }
  bool differs = writeDiff(*older, *newer, out);
  if (!differs && !sameBytes(older->path, newer->path)) {
    out.put("~ the same content, stored differently\n");
    differs = true;
  }
  return finish(out, differs ? kExitDiffer : kExitOk);
}

// BASE of a project folder: the file's name without its extension, when that is a
// plain word.
std::string baseNameOf(const std::string& path) {
  std::string stem = std::filesystem::path(path).stem().string();
  bool plain = !stem.empty() && std::none_of(stem.begin(), stem.end(), [](char c) {
    return static_cast<unsigned char>(c) <= 0x20;
  });
  return plain ? stem : "project";
}

// Writes into a new file that replaces its target when committed: write gets a text
// output into it.
template <class Write>
bool writePending(PendingOutput& file, Write write) {
  ByteStream& stream = file.stream();
  TextOutput text([&stream](std::string_view block) {
    return stream.write(block.data(), static_cast<int32_t>(block.size()));
  });
  write(text);
  if (!text.flush() || !file.finish()) {
    reportReadError(file.target(), "cannot write: " + std::string(std::strerror(file.errorCode())));
    return false;
  }
  return true;
}

int runSource(const DumpOptions& options, TextOutput& out) {
  std::vector<std::unique_ptr<DumpInput>> inputs;
  SourceFiles files;
  for (const std::string& path : options.files) {
    std::unique_ptr<DumpInput> input = openInput(path, options.kind);
    if (input == nullptr) return kExitError;
    const DumpInput*& slot = input->kind == FileKind::kStringTable ? files.strings : files.database;
    if (slot != nullptr) return usageError("--source takes one string table and one database");
    slot = input.get();
    inputs.push_back(std::move(input));
  }
  SourceProblem problem;
  if (!checkSourceForm(files, problem)) {
    reportProblem(problem);
    return kExitError;
  }
  for (const auto& input : inputs) {
    FileStream original;
    original.open(input->path.c_str(), false);
    if (!storedFormMatches(*input, original, problem)) {
      reportProblem(problem);
      return kExitError;
    }
  }
  if (options.outputFolder.empty()) {
    writeSource(files, out);
    return finish(out, kExitOk);
  }

  std::string base = baseNameOf(inputs.front()->path);
  std::string description;
  if (!writeDescription(files, base, base + ".txt", description, problem)) {
    reportProblem(problem);
    return kExitError;
  }
  std::error_code error;
  std::filesystem::create_directories(options.outputFolder, error);
  if (error) {
    reportReadError(options.outputFolder, "cannot make the folder: " + error.message());
    return kExitError;
  }
  std::filesystem::path folder(options.outputFolder);
  FileSystem& fs = FileSystem::real();
  PendingOutput sourceFile((folder / (base + ".txt")).string(), fs, &TemporaryFiles::process());
  PendingOutput descriptionFile((folder / (base + ".gdm")).string(), fs,
                                &TemporaryFiles::process());
  if (!writePending(sourceFile, [&](TextOutput& text) { writeSource(files, text); }) ||
      !writePending(descriptionFile, [&](TextOutput& text) { text.put(description); })) {
    return kExitError;
  }
  std::vector<CommitProblem> problems;
  PendingOutput* outputs[] = {&sourceFile, &descriptionFile};
  bool committed = commitOutputs(outputs, fs, problems);
  for (const CommitProblem& failed : problems) {
    reportReadError(failed.path, "cannot write: " + std::string(std::strerror(failed.errorCode)));
  }
  return committed && problems.empty() ? kExitOk : kExitError;
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
    // What was allocated is released on the way here, which leaves room to say so.
    out.flush();
    reportReadError("rpgdump", "out of memory");
    return kExitError;
  }
}

}  // namespace rpgc
