// runFormatter: options, and for each file: read, format, then a diff, a verdict or the
// file replaced.
#include "formatter/format_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/source_lines.h"
#include "diagnostics/diagnostic_engine.h"
#include "formatter/source_formatter.h"
#include "formatter/unified_diff.h"
#include "io/file_system.h"
#include "io/pending_output.h"
#include "io/temporary_files.h"
#include "reader/whole_file.h"

namespace rpgc {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr std::string_view kUsage =
    "usage: rpgfmt [-i | --check] FILE...\n"
    "\n"
    "Lays out rpgc source files the one canonical way, without changing what they compile\n"
    "to. Without options, prints what would change as a unified diff and writes nothing.\n"
    "\n"
    "  -i          rewrite each file that changes, in place\n"
    "  --check     print nothing; fail when a file is not formatted\n"
    "  -h, --help  print this help\n"
    "  --version   print the version\n"
    "\n"
    "Plain mistakes are fixed, each with a note on standard error: a '=' glued to a word,\n"
    "keywords and type words in lower case, commas between list values, a header right\n"
    "after an END line. A file whose intent is unclear (a section without END, a decimal\n"
    "comma) is left unchanged, with an error.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file is not formatted (--check), is left\n"
    "unchanged or cannot be read or written, 2 for a wrong command line.\n";

enum class Mode { kDiff, kInPlace, kCheck };

struct FormatOptions {
  Mode mode = Mode::kDiff;
  std::vector<std::string> files;
};

class FormatRun {
 public:
  FormatRun() {
    DiagnosticStyle style;
    style.program = "rpgfmt";
    style.color = standardErrorWantsColor();
    engine_.configure(WarningOptions(), style);
  }

  int run(std::span<char* const> args);
  void outOfMemory() noexcept { engine_.reportOutOfMemory(FindingCode::kDumpOutOfMemory); }

 private:
  bool parse(std::span<char* const> args, FormatOptions& options);
  int usageError(FindingCode code, std::string_view text = {});
  /// Formats one file; false when it failed (left unchanged, unreadable, not written) or,
  /// with --check, is not formatted.
  bool formatFile(const std::string& path, Mode mode);
  bool replace(const std::string& path, std::string_view text);
  void report(Finding finding) { engine_.report(std::move(finding)); }
  bool print(std::string_view text);

  DiagnosticEngine engine_;
};

int FormatRun::usageError(FindingCode code, std::string_view text) {
  report(Finding(code, SourcePlace()).with(std::string(text)));
  return kExitUsage;
}

bool FormatRun::parse(std::span<char* const> args, FormatOptions& options) {
  bool inPlace = false;
  bool check = false;
  bool optionsEnded = false;
  for (std::string_view arg : args) {
    if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
      options.files.emplace_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-i") {
      inPlace = true;
    } else if (arg == "--check") {
      check = true;
    } else {
      usageError(FindingCode::kFormatUsageUnknownOption, arg);
      return false;
    }
  }
  if (inPlace && check) {
    usageError(FindingCode::kFormatUsageModes);
    return false;
  }
  if (options.files.empty()) {
    usageError(FindingCode::kFormatUsageNoFile);
    return false;
  }
  options.mode = inPlace ? Mode::kInPlace : check ? Mode::kCheck : Mode::kDiff;
  return true;
}

bool FormatRun::print(std::string_view text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) {
    return true;
  }
  report(Finding(FindingCode::kCannotWriteConsole, SourcePlace()).with(std::strerror(errno)));
  return false;
}

// Writes text beside path and puts it in place of path, as rpgc puts its outputs: the
// file keeps its permissions, owner and links, and is never seen half written.
bool FormatRun::replace(const std::string& path, std::string_view text) {
  FileSystem& fs = FileSystem::real();
  LockWaitNotice notice = [this](const std::string& waitedFor) {
    report(Finding(FindingCode::kNoteWaitingForRun, SourcePlace()).with(waitedFor));
  };
  std::vector<CommitProblem> problems;
  auto reportProblems = [&](const std::vector<CommitProblem>& found) {
    for (const CommitProblem& problem : found) report(findingOf(problem));
  };
  PendingOutput out(path, fs, &TemporaryFiles::process(), notice);
  reportProblems(out.recovered());
  bool written = out.ready();
  // The stream takes 32-bit lengths; a source file may hold up to 4 GiB.
  constexpr size_t kPiece = size_t{1} << 20;
  for (size_t at = 0; written && at < text.size(); at += kPiece) {
    std::string_view piece = text.substr(at, kPiece);
    written = out.stream().write(piece.data(), static_cast<int32_t>(piece.size()));
  }
  if (!written || !out.finish()) {
    int error = out.errorCode();
    Finding finding(error != 0 ? FindingCode::kCannotWrite : FindingCode::kCannotWriteUnexplained,
                    SourcePlace());
    finding.with(path);
    if (error != 0) finding.with(std::strerror(error));
    report(std::move(finding));
    out.abandon(problems);
    reportProblems(problems);
    return false;
  }
  PendingOutput* outputs[] = {&out};
  bool committed = commitOutputs(outputs, fs, problems, notice) && onlyNotes(problems);
  reportProblems(problems);
  return committed;
}

bool FormatRun::formatFile(const std::string& path, Mode mode) {
  std::vector<uint8_t> bytes;
  WholeFileStatus status = loadWholeFile(path, bytes, SourceLines::kLargestFile);
  if (!status.ok()) {
    int error = status.outcome == WholeFileStatus::Outcome::kTooLarge ? EFBIG : status.systemError;
    report(Finding(FindingCode::kCannotOpenSource, SourcePlace())
               .with(path)
               .with(std::strerror(error)));
    return false;
  }
  std::string_view content(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  FormattedSource formatted = formatSource(content);
  int32_t file = engine_.addFile(path);
  // Refusals show the line at fault; notes of fixes are one line each.
  SourceLines shown;
  if (formatted.refused) shown.assign(std::string(content));
  engine_.setLines(file, &shown);
  for (Finding& finding : formatted.findings) {
    finding.place.file = file;
    if (finding.related.line >= 0) finding.related.file = file;
    report(std::move(finding));
  }
  engine_.setLines(file, nullptr);
  if (formatted.refused) return false;
  if (formatted.text == content) return true;
  switch (mode) {
    case Mode::kDiff:
      return print(unifiedDiff(path, content, formatted.text, formatted.origin));
    case Mode::kCheck:
      report(Finding(FindingCode::kFormatNotFormatted, SourcePlace{file, -1, -1, 0}));
      return false;
    case Mode::kInPlace:
      return replace(path, formatted.text);
  }
  return false;
}

int FormatRun::run(std::span<char* const> args) {
  if (args.size() == 1 &&
      (std::string_view(args[0]) == "-h" || std::string_view(args[0]) == "--help")) {
    return print(kUsage) ? kExitOk : kExitFailed;
  }
  if (args.size() == 1 && std::string_view(args[0]) == "--version") {
    return print("rpgfmt " RPGC_VERSION "\n") ? kExitOk : kExitFailed;
  }
  FormatOptions options;
  if (!parse(args, options)) return kExitUsage;
  bool ok = true;
  for (const std::string& path : options.files) {
    if (!formatFile(path, options.mode)) ok = false;
  }
  return ok ? kExitOk : kExitFailed;
}

}  // namespace

int runFormatter(int argc, char** argv) {
  FormatRun formatter;
  try {
    return formatter.run(
        std::span<char* const>(argv + 1, static_cast<size_t>(argc > 0 ? argc - 1 : 0)));
  } catch (const std::bad_alloc&) {
    formatter.outOfMemory();
    return kExitFailed;
  }
}

}  // namespace rpgc
