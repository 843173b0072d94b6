// The message table, one row per finding code in the order of FindingCode.
#include "diagnostics/message_table.h"

#include <vector>

#include "diagnostics/text_escape.h"

namespace rpgc {

namespace {

using C = FindingCode;
constexpr Severity kNote = Severity::kNote;
constexpr Severity kWarning = Severity::kWarning;
constexpr Severity kError = Severity::kError;

// ORDER FINDINGS: one row per FindingCode, in the enum's order.
constexpr MessageRow kRows[] = {
    {C::kGluedEquals, "not-assignment", kWarning, true,
     "this line is skipped: '=' must stand apart from the words around it ('{0}')"},
    {C::kMissingEquals, "not-assignment", kWarning, true,
     "this line is skipped: an assignment has '=' after the property name, found '{0}'"},
    {C::kMissingTypeWord, "not-assignment", kWarning, true,
     "this line is skipped: the type word is missing before '{0}' (write e.g. 'FLOAT {0} = "
     "1.5')"},
    {C::kNameNotOneWord, "not-assignment", kWarning, true,
     "this line is skipped: a property name is one word, and '=' comes right after it"},
    {C::kNoValue, "not-assignment", kWarning, true,
     "this line is skipped: there is no value after '='"},
    {C::kCommaInAssignment, "not-assignment", kWarning, true,
     "this line is skipped: the type word and the name are written without commas"},
    {C::kNotAssignment, "not-assignment", kWarning, true,
     "this line is skipped: it is not an assignment 'TYPE Name = value'"},
    {C::kUnknownTypeWord, "unknown-type-word", kWarning, true,
     "'{0}' is not a type word, so this line is skipped{1}"},
    {C::kIgnoredTypeWord, "ignored-type-word", kWarning, true,
     "items have no '{0}' properties, so this line is skipped (an item's own properties are "
     "FLOAT, ATOM and REFERENCE)"},
    {C::kHeaderAfterEnd, "unexamined-header", kWarning, true,
     "this header is not read, because it directly follows an END line; its section is "
     "lost (leave an empty line between sections)"},
    {C::kHeaderOnLastLine, "unexamined-header", kWarning, true,
     "this header is not read, because the last line of a file never is (add an empty line "
     "after it)"},
    {C::kKeywordCase, "keyword-case", kWarning, true,
     "'{0}' is not a keyword: keywords are written in capitals, so this line does nothing"},
    {C::kStrayLine, "stray-line", kWarning, true,
     "this line is outside any section and is ignored"},
    {C::kRunsIntoHeader, "missing-end", kWarning, true,
     "the {0} '{1}' runs into this header: its END line is probably missing, and the lines "
     "up to the next END belong to it"},
    {C::kRunsToEndOfFile, "missing-end", kWarning, true,
     "the {0} '{1}' has no END line: it takes every line up to the end of the file"},
    {C::kNotANumber, "not-a-number", kWarning, true, "'{0}' is not a number{1}; it reads as 0"},
    {C::kNumberTrailingText, "number-trailing-text", kWarning, true,
     "'{0}' has text after its number; it reads as {1}"},
    {C::kIntegerRange, "number-range", kWarning, true,
     "'{0}' does not fit in a 32-bit integer; it wraps to {1}"},
    {C::kFloatRange, "number-range", kWarning, true,
     "'{0}' is beyond the range of a float; it reads as {1}"},
    {C::kFloatTooSmall, "number-range", kWarning, true,
     "'{0}' is too small for a float; it reads as 0"},
    {C::kListComma, "list-comma", kWarning, true,
     "',' is a value of its own here and reads as {1}; separate values with blanks"},
    {C::kDecimalComma, "list-comma", kWarning, true,
     "'{0}' reads as {1}: ',' is not a decimal point (write {2})"},
    {C::kExtraValues, "extra-values", kWarning, true,
     "this line takes one value; '{0}'{1} ignored"},
    {C::kRangeValueIgnored, "extra-values", kWarning, true,
     "'{0}' is ignored: a range is written 'MIN to MAX'"},
    {C::kCommentInWord, "comment-in-word", kWarning, true,
     "'{0}' starts a comment even inside a word: '{1}' is cut to '{2}'"},
    {C::kUnknownCharacterType, "unknown-character-type", kWarning, true,
     "'{0}' is not a character type (player, monster or crowd); the character's type is "
     "'character'"},
    {C::kUnknownFlag, "unknown-flag", kWarning, true,
     "'{0}' is not a flag of string sections; the section is not random (the flag is "
     "written RANDOM)"},
    {C::kExtraHeaderTokens, "extra-tokens", kWarning, true,
     "'{0}' and anything after it on this header are ignored"},
    {C::kHeaderComma, "extra-tokens", kWarning, true,
     "',' is a word of its own: this header makes a `,` object named '{1}' (write the words "
     "of a header without commas)"},
    {C::kExtraEndTokens, "extra-tokens", kWarning, true, "'{0}' after END is ignored"},
    {C::kTextAfterEnd, "extra-tokens", kWarning, true,
     "this line is a text, not the end of the string section: a string section ends at a "
     "line that reads exactly END"},
    {C::kExtendedObject, "extended-object", kWarning, false,
     "this block adds to {1} '{0}' declared before"},
    {C::kUnresolvedReference, "unresolved-reference", kWarning, true,
     "'{0}' names no object of the project"},
    {C::kUnresolvedString, "unresolved-string", kWarning, true,
     "'{0}' names no string section of the project"},
    {C::kMissingName, "missing-name", kWarning, true,
     "this {0} has no name: it is stored with an empty name{1}"},
    {C::kDuplicateString, "duplicate-string", kWarning, true,
     "a string section named '{0}' exists already; both are stored"},
    {C::kMisspelledKeyword, "misspelled-keyword", kWarning, true,
     "'{0}' is not a section keyword; did you mean '{1}'? This line and the section under it "
     "are not compiled"},
    {C::kMisspelledBlockKind, "misspelled-keyword", kWarning, true,
     "this block makes a `{0}` object, not {2}; did you mean '{1}'?"},
    {C::kMisspelledField, "misspelled-field", kWarning, true,
     "'{0}' is not a field of {1}; did you mean '{2}'? This line declares a property of its "
     "own"},
    {C::kDescriptionTooShort, "description", kWarning, true,
     "the description has {0}, fewer than 4, so it is ignored and the defaults apply"},
    {C::kDescriptionVersion, "description", kWarning, true,
     "the version '{0}' {1}; it reads as {2}"},
    {C::kDescriptionNoOutput, "description", kWarning, true,
     "the output base name (line 3) is empty: the outputs are '.gds' and '.gdf'"},
    {C::kNameConflict, "name-conflict", kError, false,
     "'{0}' is already {1}; {2} cannot have the same name"},
    {C::kNameTooLong, "name-too-long", kError, false,
     "the name '{0}'{2} is {1} bytes long; the output files hold names of at most 1024 bytes"},
    {C::kCannotOpenSource, "cannot-open", kError, false, "cannot open source file '{0}': {#1}"},
    {C::kCannotOpenDescription, "cannot-open", kError, false,
     "cannot open description file '{0}': {#1}"},
    {C::kEmptyProjectName, "empty-project-name", kError, false,
     "the project name (line 1) is empty"},
    {C::kCannotWrite, "cannot-write", kError, false, "cannot write '{0}': {#1}"},
    {C::kDepfileLineEnd, "cannot-write", kError, false,
     "cannot write the dependency file '{0}': the path '{1}' holds a line end, which make and "
     "ninja cannot read"},
    {C::kOutputTooLarge, "cannot-write", kError, false,
     "cannot write '{0}': its content passes the format's limit of 2147483647 bytes"},
    {C::kOutputInternal, "cannot-write", kError, false,
     "cannot write '{0}': the compiler went wrong ({#1}); please report this"},
    {C::kCannotRestore, "cannot-write", kError, false,
     "cannot put the earlier '{0}' back after the failed replacement: {#1}; its earlier content "
     "is kept in '{2}'"},
    {C::kCannotRemoveTemporary, "cannot-write", kError, false,
     "cannot remove the temporary file '{0}': {#1}"},
    {C::kCannotWriteConsole, "cannot-write", kError, false,
     "cannot write to standard output: {#0}; the outputs are left as they were"},
    {C::kOutOfMemory, "out-of-memory", kError, false,
     "out of memory; the outputs are left as they were"},
    {C::kInputTooLarge, "too-large", kError, false,
     "the input is too large for the compiler ({#0}); the outputs are left as they were"},
    {C::kLineTooLong, "line-too-long", kError, false,
     "this line is longer than 2147483646 bytes, the longest line the compiler reads"},
    {C::kCannotChangeFolder, "cannot-open", kError, false, "cannot change to folder '{0}': {#1}"},
    {C::kUsage, "usage", kError, false, "{#0}"},
    {C::kReadError, "read-error", kError, false, "{#0}{#1}"},
    {C::kNoteDeclaredHere, "declared-here", kNote, false, "'{0}' is declared here"},
    {C::kNoteSectionStart, "section-start", kNote, false, "the {0} '{1}' starts here"},
    {C::kNotePreviousEnd, "previous-end", kNote, false, "the previous section ends here"},
    {C::kNoteLooksLikeSource, "looks-like-source", kNote, false,
     "'{0}' holds section headers: it looks like a source file, not a project description; "
     "to compile one source file, give a project name first: rpgc PROJECT {0}"},
    {C::kNoteWaitingForRun, "waiting", kNote, false,
     "waiting for another run that is replacing files in '{0}'"},
    {C::kNoteRestoredFromCopy, "stopped-run", kNote, false,
     "'{0}' is back as it was before a run that was stopped while replacing it (put back from "
     "'{1}')"},
    {C::kNoteCopyLeft, "stopped-run", kNote, false,
     "'{1}' holds the earlier content of '{0}', kept by a run that was stopped while replacing "
     "it; '{0}' has changed since, so the copy is left for you to look at and remove"},
    {C::kNoteCopyNotRestored, "stopped-run", kNote, false,
     "cannot put the earlier '{0}' back from '{1}', kept by a run that was stopped while "
     "replacing it: {#2}; the copy is left in place"},
    {C::kNoteUnknownCopy, "stopped-run", kNote, false,
     "'{0}' was left by a stopped run of an earlier version; it may hold the earlier content of "
     "an output, so it is left in place"},
    {C::kNoteInterruptedAfterReplacement, "interrupted", kNote, false,
     "interrupted after the outputs were replaced"},
};
static_assert(std::size(kRows) == kFindingCodeCount, "one message row per finding code");

constexpr bool rowsInCodeOrder() {
  for (size_t i = 0; i < std::size(kRows); ++i) {
    if (static_cast<size_t>(kRows[i].code) != i) return false;
  }
  return true;
}
static_assert(rowsInCodeOrder(), "message rows follow the order of FindingCode");

std::vector<std::string_view> collectWarningNames() {
  std::vector<std::string_view> names;
  for (const MessageRow& row : kRows) {
    if (row.severity != Severity::kWarning) continue;
    bool seen = false;
    for (std::string_view name : names) seen = seen || name == row.name;
    if (!seen) names.push_back(row.name);
  }
  return names;
}

}  // namespace

const MessageRow& messageRow(FindingCode code) {
  return kRows[static_cast<size_t>(code)];
}

std::span<const MessageRow> messageRows() {
  return kRows;
}

std::span<const std::string_view> warningNames() {
  static const std::vector<std::string_view> names = collectWarningNames();
  return names;
}

std::string messageOf(const Finding& finding) {
  std::string_view format = messageRow(finding.code).format;
  std::string message;
  for (size_t i = 0; i < format.size(); ++i) {
    // "{N}" quotes text N, shortened in the middle when long; "{#N}" quotes all of it.
    bool whole = format.substr(i, 2) == "{#";
    size_t digit = i + (whole ? 2 : 1);
    if (format[i] == '{' && digit + 1 < format.size() && format[digit + 1] == '}' &&
        format[digit] >= '0' && format[digit] < '0' + Finding::kTexts) {
      std::string text = escapeText(finding.texts[format[digit] - '0']);
      message += whole ? text : shortenMiddle(text);
      i = digit + 1;
    } else {
      message += format[i];
    }
  }
  return message;
}

}  // namespace rpgc
