// DiagnosticEngine: shows findings the way the compilers users know do.
//
//   items.txt:12:7: warning: this line is skipped: '=' must stand apart … [-Wnot-assignment]
//      12 |   FLOAT Weight=0.5
//         |         ^~~~~~~~~~
//
// in colour when the options say so, or as one JSON object a line for editors and CI.
// The engine is the sink every layer reports to while compiling; it decides from the
// warning options what is shown and with which severity, and counts what it showed.
// Findings point at files by their index in the engine's file list; a finding about the
// file being compiled shows the line as it is in memory, one about another file reads
// that file again.
#ifndef RPGC_DIAGNOSTICS_DIAGNOSTIC_ENGINE_H_
#define RPGC_DIAGNOSTICS_DIAGNOSTIC_ENGINE_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/finding.h"
#include "core/source_lines.h"
#include "diagnostics/message_table.h"
#include "diagnostics/warning_options.h"

namespace rpgc {

enum class DiagnosticFormat : uint8_t { kText, kJson };

struct DiagnosticStyle {
  DiagnosticFormat format = DiagnosticFormat::kText;
  bool color = false;
  /// Shown in front of messages that concern no file.
  std::string program = "rpgc";
};

/// Whether colours suit standard error when the user did not choose: it is a terminal,
/// NO_COLOR is not set and TERM is not "dumb".
bool standardErrorWantsColor();

class DiagnosticEngine : public FindingSink {
 public:
  /// Receives each rendered diagnostic (one or more whole lines).
  using Output = std::function<void(std::string_view)>;

  /// Without output, diagnostics go to standard error, flushed after each.
  explicit DiagnosticEngine(WarningOptions options = {}, DiagnosticStyle style = {},
                            Output output = {});
  ~DiagnosticEngine() override { flush(); }

  /// Takes new options and style (the command line's, once read).
  void configure(const WarningOptions& options, const DiagnosticStyle& style);

  /// Reports a finding of a message without texts and place (running out of memory)
  /// without allocating: what was held back is shown as it is, without the notes that
  /// count findings not shown.
  void reportOutOfMemory(FindingCode code) noexcept;

  /// How file names are shown: as given (the default), or, for a run that opens its files
  /// from runFolder (-C), so that they open from shownFrom: relative to it, or in full
  /// when absolute. Both folders are absolute. Applies to the files added afterwards.
  void showPaths(std::string runFolder, std::string shownFrom, bool absolute);
  /// A path of the run as diagnostics show it.
  std::string shownPath(std::string_view path) const;

  /// Adds a file that findings may point at and returns its index.
  int32_t addFile(std::string path);
  const std::string& fileName(int32_t file) const { return files_[static_cast<size_t>(file)]; }

  /// The lines of a file while it is being compiled (null: none). The list must stay
  /// alive until the next call. While a file is set, what is reported about it is held
  /// back and shown in the order of its lines when the file is unset.
  void setLines(int32_t file, const SourceLines* lines);

  void report(Finding finding) override;
  /// The first finding shown inside a section of the file being compiled comes after a
  /// line that names the section ("items.txt: in item 'WoodAxe':"); in JSON each finding
  /// inside one has a field that names it ("context").
  void sectionRead(int32_t file, int32_t headerLine, int32_t lastLine) override;
  /// Shows what is held back.
  void flush();

  int32_t errorCount() const { return errors_; }
  int32_t warningCount() const { return warnings_; }
  /// What was shown, counted: "2 warnings, 1 error"; empty when nothing was.
  std::string countsText() const;
  /// One line about the whole run after its diagnostics ("rpgc: 2 warnings, 1 error"), in
  /// the text format only: JSON output stays one finding a line.
  void summary(std::string_view text);
  const WarningOptions& options() const { return options_; }

 private:
  struct Shown {
    std::string location;  // "file:line:column", "file" or "" for the program
    std::string_view file;
    int32_t line = 0;       // from 1, 0 for none
    int32_t column = 0;     // from 1, 0 for none
    int32_t endColumn = 0;  // where the underline ends (excluded), 0 for none
    std::string excerpt;    // the source line and its caret line, text format only
  };

  /// endColumn: where the underline ends (0: the word's end); fix: shown under the caret
  /// when on the place's line.
  Shown locate(const SourcePlace& place, int32_t endColumn = 0, const FindingFix* fix = nullptr);
  const SourceLines* linesOf(int32_t file);
  std::string renderText(const Finding& finding, Severity severity);
  std::string renderJson(const Finding& finding, Severity severity);
  // The section whose header is at headerLine of the current file, as a context line
  // names it.
  struct SectionContext {
    std::string_view kind;      // "item", "character", "object", "script", "string-section"
    std::string_view typeWord;  // an object's
    std::string_view name;
  };
  SectionContext contextOf(int32_t headerLine, std::vector<std::string_view>& tokens) const;
  std::string contextLine(int32_t headerLine);
  std::string contextJson(int32_t headerLine);
  std::string headline(const Shown& where, Severity severity, const std::string& message,
                       std::string_view tag);

  // A rendered diagnostic waiting for the end of its file.
  struct Held {
    int32_t line;
    int32_t column;
    std::string text;
    size_t contextAt;  // JSON: where the context's field goes
  };

  WarningOptions options_;
  DiagnosticStyle style_;
  std::vector<Held> held_;
  // The sections of the current file, in the order of their headers: header and last line.
  std::vector<std::pair<int32_t, int32_t>> sections_;
  // Text format: how many findings of each kind each line of the current file gave. A
  // line shows the first few of a kind; a note at its end counts the rest.
  std::unordered_map<uint64_t, int32_t> perLine_;
  Output output_;
  std::vector<std::string> files_;
  std::vector<std::string> shownFiles_;  // by the same index
  std::string runFolder_;
  std::string shownFrom_;
  bool absolutePaths_ = false;
  int32_t currentFile_ = -1;
  const SourceLines* currentLines_ = nullptr;
  // Files read again for excerpts of other files than the current one (notes pointing at
  // an earlier file), kept while they fit in kCachedBytes so that many findings with notes
  // into several files read each file once.
  static constexpr size_t kCachedBytes = size_t{256} << 20;
  std::unordered_map<int32_t, SourceLines> cached_;
  size_t cachedBytes_ = 0;
  int32_t heldColumn_ = 0;    // the column of the finding last rendered
  size_t heldContextAt_ = 0;  // and, in JSON, where its context would go
  int32_t errors_ = 0;
  int32_t warnings_ = 0;
};

}  // namespace rpgc

#endif  // RPGC_DIAGNOSTICS_DIAGNOSTIC_ENGINE_H_
