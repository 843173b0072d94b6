// Finding: something the compiler noticed in its input or met while working, as data.
//
// Every layer reports what it finds as a FindingCode with a place and a few texts; it
// never formats a message itself. The diagnostics layer holds the one table that gives
// each code its name, its severity and its message, and decides what is shown and how.
// Lower layers see only this vocabulary and the FindingSink they report to.
#ifndef RPGC_CORE_FINDING_H_
#define RPGC_CORE_FINDING_H_

#include <bitset>
#include <cstdint>
#include <string>
#include <utility>

namespace rpgc {

// ORDER FINDINGS: the message table in diagnostics/message_table.cpp has one row per
// code, in this order.
enum class FindingCode : uint8_t {
  // Block bodies: lines that are not assignments (not-assignment).
  kGluedEquals,
  kMissingEquals,
  kMissingTypeWord,
  kNameNotOneWord,
  kNoValue,
  kCommaInAssignment,
  kNotAssignment,
  // Type words.
  kUnknownTypeWord,
  kIgnoredTypeWord,
  // Section layout.
  kHeaderAfterEnd,
  kHeaderOnLastLine,
  kKeywordCase,
  kStrayLine,
  kRunsIntoHeader,
  kRunsToEndOfFile,
  // Values.
  kNotANumber,
  kNumberTrailingText,
  kIntegerRange,
  kFloatRange,
  kFloatTooSmall,
  kListComma,
  kDecimalComma,
  kExtraValues,
  kRangeValueIgnored,
  kCommentInWord,
  kUnknownCharacterType,
  kUnknownFlag,
  kExtraHeaderTokens,
  kHeaderComma,
  kExtraEndTokens,
  kTextAfterEnd,
  kExtendedObject,
  kUnresolvedReference,
  kUnresolvedString,
  kMissingName,
  kDuplicateString,
  kMisspelledKeyword,
  kMisspelledBlockKind,
  kMisspelledField,
  // The description file.
  kDescriptionTooShort,
  kDescriptionVersion,
  kDescriptionNoOutput,
  // Errors.
  kNameConflict,
  kNameTooLong,
  kCannotOpenSource,
  kCannotOpenDescription,
  kEmptyProjectName,
  kCannotWrite,
  kDepfileLineEnd,
  kOutputTooLarge,
  kOutputInternal,
  kCannotRestore,
  kCannotRemoveTemporary,
  kCannotWriteConsole,
  kOutOfMemory,
  kInputTooLarge,
  kLineTooLong,
  kCannotChangeFolder,
  kUsage,
  kReadError,
  // Notes that go with other findings, and lone notes.
  kNoteDeclaredHere,
  kNoteSectionStart,
  kNotePreviousEnd,
  kNoteLooksLikeSource,
  // Lone notes about the output folders: a wait, and what stopped runs left there.
  kNoteWaitingForRun,
  kNoteRestoredFromCopy,
  kNoteCopyLeft,
  kNoteCopyNotRestored,
  kNoteUnknownCopy,
  kNoteInterruptedAfterReplacement,
  kCount
};

inline constexpr size_t kFindingCodeCount = static_cast<size_t>(FindingCode::kCount);

/// Where a finding points. Lines count from 0 here (the index in the file's line list)
/// and are shown from 1. A place names its column either as a byte column (from 1) or as
/// the index of a token of the line, which is turned into a column only when shown.
struct SourcePlace {
  int32_t file = -1;  // index of the file in the run's file list; -1: no file
  int32_t line = -1;  // -1: the file as a whole
  int32_t token = -1;
  int32_t column = 0;  // 0: none (the token, if any, says where)

  bool known() const { return file >= 0; }
  static SourcePlace atToken(int32_t file, int32_t line, int32_t token) {
    return {file, line, token, 0};
  }
  static SourcePlace atColumn(int32_t file, int32_t line, int32_t column) {
    return {file, line, -1, column};
  }
};

struct Finding {
  Finding() = default;
  Finding(FindingCode findingCode, SourcePlace where) : code(findingCode), place(where) {}

  Finding& with(std::string text) {
    texts[count++ % kTexts] = std::move(text);
    return *this;
  }

  static constexpr int kTexts = 4;
  FindingCode code = FindingCode::kCount;
  SourcePlace place;
  /// A second place the finding points to ("first declared here"); its note's code.
  SourcePlace related;
  FindingCode relatedNote = FindingCode::kCount;
  /// The texts the message quotes, in the order of its placeholders.
  std::string texts[kTexts];
  int count = 0;
};

/// Receives findings. wants() says whether a finding of that code would be shown, so
/// that checks whose every finding would be dropped can be skipped.
class FindingSink {
 public:
  FindingSink() = default;
  FindingSink(const FindingSink&) = delete;
  FindingSink& operator=(const FindingSink&) = delete;
  virtual ~FindingSink() = default;

  bool wants(FindingCode code) const { return wanted_[static_cast<size_t>(code)]; }
  virtual void report(Finding finding) = 0;

 protected:
  std::bitset<kFindingCodeCount> wanted_;
};

/// The sink a parser reports to and the file it reads; a null sink drops everything.
struct FindingScope {
  FindingSink* sink = nullptr;
  int32_t file = -1;

  bool wants(FindingCode code) const { return sink != nullptr && sink->wants(code); }
  void report(Finding finding) const {
    if (sink != nullptr) sink->report(std::move(finding));
  }
  SourcePlace atToken(int32_t line, int32_t token) const {
    return SourcePlace::atToken(file, line, token);
  }
  SourcePlace atColumn(int32_t line, int32_t column) const {
    return SourcePlace::atColumn(file, line, column);
  }
};

}  // namespace rpgc

#endif  // RPGC_CORE_FINDING_H_
