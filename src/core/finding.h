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
#include <vector>

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
  kUnknownTypeWordGuess,
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
  kHexadecimalNumber,
  kInfinityNumber,
  kNumberTrailingText,
  kIntegerRange,
  kFloatRange,
  kFloatTooSmall,
  kListComma,
  kListCommaName,
  kDecimalComma,
  kDecimalCommaList,
  kDecimalCommaRange,
  kListCommaGlued,
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
  kUnresolvedReferenceGuess,
  kUnresolvedString,
  kUnresolvedStringGuess,
  kMissingName,
  kMissingNameAndTypeWord,
  kMissingStringName,
  kDuplicateString,
  kDuplicateBlock,
  kDuplicatePropertyInBlock,
  kDuplicatePropertyAcrossBlocks,
  kMisspelledKeyword,
  kMisspelledBlockKind,
  kMisspelledField,
  kMisspelledFieldSkipped,
  kInvisibleCharacter,
  // The description file.
  kDescriptionTooShort,
  kDescriptionVersion,
  kDescriptionVersionTrailing,
  kDescriptionVersionRange,
  kDescriptionNoOutput,
  // Errors.
  kNameConflict,
  kNameTooLong,
  kNameTooLongIn,
  kCannotOpenSource,
  kCannotOpenSourceGuess,
  kCannotOpenDescription,
  kEmptyProjectName,
  kCannotWrite,
  kCannotWriteUnexplained,
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
  kCannotWatch,
  // rpgc's command line.
  kUsageNeedsValue,
  kUsageBadColor,
  kUsageBadFormat,
  kUsageBadJobs,
  kUsageUnknownOption,
  kUsageUnknownWarning,
  kUsageUnknownWarningGuess,
  kUsageUnknownOptionGuess,
  kUsageOutputIsDescription,
  // rpgdump's command line and output.
  kDumpUsageOneMode,
  kDumpUsageNeedsValue,
  kDumpUsageBadKind,
  kDumpUsageUnknownOption,
  kDumpUsageNoFile,
  kDumpUsageOutputWithoutSource,
  kDumpUsageDiffTwoFiles,
  kDumpUsageDiffKinds,
  kDumpUsageSourceFiles,
  kDumpUsageSourceMapListing,
  kDumpUnknownKind,
  kDumpCannotWriteOutput,
  kDumpCannotMakeFolder,
  kDumpOutOfMemory,
  kDumpBadSourceMap,
  kDumpWrongKindStrings,
  kDumpWrongKindDatabase,
  kDumpNoSuchName,
  kDumpNoSuchNameGuess,
  kDumpNothingNames,
  kDumpUsageDiffPairs,
  // A file that cannot be read as a string table or database: one per ReadFailure. Texts:
  // 0 the FilePart, 1 the offset, 2 the value.
  kReadCannotRead,
  kReadTooLarge,
  kReadTruncated,
  kReadNegative,
  kReadNameTooLong,
  kReadNoZeroByte,
  kReadBadEnd,
  kReadTooMany,
  kReadExtraBytes,
  kReadExtraSections,
  // What rpgdump --source cannot write as source. Texts: 0 the SourceFormPlace, 1 its
  // object or section name, 2 its property name, 3 the offset, 4 and 5 the reason's.
  kSourceEmptyWord,
  kSourceNotOneWord,
  kSourceNaN,
  kSourceEmptyList,
  kSourceRandomWithoutName,
  kSourceTextEmpty,
  kSourceTextEnd,
  kSourceTextLineBreak,
  kSourceTextBlanks,
  kSourceUnknownClass,
  kSourceFlags,
  kSourceUnpairedLists,
  kSourceMissingProperty,
  kSourceExtraProperty,
  kSourceOtherProperty,
  kSourceNamedWithoutTypeWord,
  kSourceBuiltInTypeWord,
  kSourceUnsetProperty,
  kSourceUnknownCharacterType,
  kSourceUnwritableKind,
  kSourceFieldName,
  kSourceNoKind,
  kSourceSecondRecord,
  kSourceHeadersDiffer,
  kSourceNoProjectName,
  kSourceProjectNameBreak,
  kSourceProjectNameBlank,
  kSourceVersionNaN,
  kSourceStoredDifferently,
  // What rpgfmt fixes (notes; texts as the finding fixed), what makes it leave a file
  // unchanged (errors; texts as the compiler's finding), and its command line.
  kFormatEqualsSetApart,
  kFormatKeywordCase,
  kFormatTypeWordCase,
  kFormatFlagCase,
  kFormatBlockKindCase,
  kFormatListComma,
  kFormatLineBeforeHeader,
  kFormatRunsIntoHeader,
  kFormatRunsToEndOfFile,
  kFormatHeaderOnLastLine,
  kFormatDecimalComma,
  kFormatZeroByte,
  kFormatChangesOutput,
  kFormatNotFormatted,
  kFormatUsageUnknownOption,
  kFormatUsageNoFile,
  kFormatUsageModes,
  // Notes that go with other findings, and lone notes.
  kNoteDeclaredHere,
  kNoteFirstSetHere,
  kNoteRepeatedBlock,
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
  // Lone notes about what a run compiles and watches.
  kNoteNoDescription,
  kNoteNoDescriptionOthers,
  kNoteWatching,
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

/// What kind of section a finding speaks of; the message table words it ("an item", "a
/// `quest` object", "string section").
enum class SectionKind : uint8_t { kItem, kCharacter, kObject, kScript, kStringSection };

/// Where in a file rpgdump --source found what it cannot write (see kSourceEmptyWord).
enum class SourceFormPlace : uint8_t { kNone, kHeader, kBody, kSection, kObject, kProperty };

/// How rpgdump --source calls a word it cannot write (see kSourceEmptyWord).
enum class SourceWordRole : uint8_t { kName, kTypeWord, kValue, kListName };

/// A change of the source that does what the finding says was meant ("did you mean
/// 'FLOAT'?", "write 4.5"): the bytes of one line of the finding's file from column up to
/// endColumn (both from 1, the end excluded; equal for an insertion) are replaced by the
/// text. Editors offer it as a quick fix; the text format shows it under the caret.
struct FindingFix {
  int32_t line = -1;  // from 0, like SourcePlace
  int32_t column = 1;
  int32_t endColumn = 1;
  std::string replacement;
};

/// The fix of a section without END that runs into the header at line: END and an empty
/// line put before that header.
inline FindingFix missingEndBefore(int32_t line) {
  return {line, 1, 1, "END\n\n"};
}

/// The fix of a section without END that runs to the end of a file of lineCount lines:
/// END added as a line of its own after the last (the fix's line is one past the last).
inline FindingFix missingEndAtEnd(int32_t lineCount) {
  return {lineCount, 1, 1, "END\n"};
}

struct Finding {
  Finding() = default;
  Finding(FindingCode findingCode, SourcePlace where) : code(findingCode), place(where) {}

  /// Appends a text the message quotes: a name, a path, a number, or the system's reason.
  Finding& with(std::string text) {
    texts[count++ % kTexts] = std::move(text);
    return *this;
  }
  Finding& with(int64_t number) { return with(std::to_string(number)); }
  /// Appends a path of the run's files, which is shown as the run shows paths (relative to
  /// the folder the run started in, or absolute).
  Finding& withPath(std::string path) {
    pathTexts |= static_cast<uint8_t>(1u << (count % kTexts));
    return with(std::move(path));
  }
  /// Appends a section kind, as two texts: its number and, for an object, its type word.
  Finding& withKind(SectionKind kind, std::string typeWord = {}) {
    return with(static_cast<int64_t>(kind)).with(std::move(typeWord));
  }
  /// Adds a fix: the bytes [from, to) of line (columns from 1) become replacement.
  Finding& withFix(int32_t line, int32_t from, int32_t to, std::string replacement) {
    fixes.push_back({line, from, to, std::move(replacement)});
    return *this;
  }

  static constexpr int kTexts = 8;
  static_assert(kTexts <= 8, "pathTexts holds a bit per text");
  FindingCode code = FindingCode::kCount;
  SourcePlace place;
  /// A second place the finding points to ("first declared here"); its note's code.
  SourcePlace related;
  FindingCode relatedNote = FindingCode::kCount;
  /// The texts the message quotes, in the order of its placeholders.
  std::string texts[kTexts];
  int count = 0;
  uint8_t pathTexts = 0;  // which texts are paths, a bit each
  /// Where the place's underline ends (a column from 1, excluded); 0: at the end of the
  /// word the place points at.
  int32_t endColumn = 0;
  std::vector<FindingFix> fixes;
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
  /// Tells that the section whose header is at headerLine of file runs to lastLine (its
  /// END line, or the file's last), so that findings inside it can say where they are.
  virtual void sectionRead(int32_t file, int32_t headerLine, int32_t lastLine) {
    (void)file;
    (void)headerLine;
    (void)lastLine;
  }

 protected:
  void wantAs(const FindingSink& other) { wanted_ = other.wanted_; }

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
