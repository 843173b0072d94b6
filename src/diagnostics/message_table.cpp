// The message table, one row per finding code in the order of FindingCode.
#include "diagnostics/message_table.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <vector>

#include "diagnostics/text_escape.h"
#include "rpgc/read_status.h"

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
     "this line is skipped: the type word is missing before '{0}' (write '{1} {0} = …')"},
    {C::kNameNotOneWord, "not-assignment", kWarning, true,
     "this line is skipped: a property name is one word, and '=' comes right after it"},
    {C::kNoValue, "not-assignment", kWarning, true,
     "this line is skipped: there is no value after '='"},
    {C::kCommaInAssignment, "not-assignment", kWarning, true,
     "this line is skipped: the type word and the name are written without commas"},
    {C::kNotAssignment, "not-assignment", kWarning, true,
     "this line is skipped: it is not an assignment 'TYPE Name = value'"},
    {C::kUnknownTypeWord, "unknown-type-word", kWarning, true,
     "'{0}' is not a type word, so this line is skipped"},
    {C::kUnknownTypeWordGuess, "unknown-type-word", kWarning, true,
     "'{0}' is not a type word, so this line is skipped; did you mean '{1}'?"},
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
     "the {0:kind} '{2}' runs into this header: its END line is probably missing, so the "
     "{3:kind} '{5}' is not compiled and its lines up to the next END belong to '{2}'"},
    {C::kRunsToEndOfFile, "missing-end", kWarning, true,
     "the {0:kind} '{2}' has no END line: it takes every line up to the end of the file"},
    {C::kNotANumber, "not-a-number", kWarning, true, "'{0}' is not a number; it reads as 0"},
    {C::kHexadecimalNumber, "not-a-number", kWarning, true,
     "'{0}' is not a number (hexadecimal numbers are not read); it reads as 0"},
    {C::kInfinityNumber, "not-a-number", kWarning, true,
     "'{0}' is not a number (infinity and NaN are not numbers here); it reads as 0"},
    {C::kNumberTrailingText, "number-trailing-text", kWarning, true,
     "'{0}' has text after its number; it reads as {1}"},
    {C::kIntegerRange, "number-range", kWarning, true,
     "'{0}' does not fit in a 32-bit integer; it wraps to {1}"},
    {C::kFloatRange, "number-range", kWarning, true,
     "'{0}' is beyond the range of a float; it reads as {1}"},
    {C::kFloatTooSmall, "number-range", kWarning, true,
     "'{0}' is too small for a float; it reads as 0"},
    {C::kListComma, "list-comma", kWarning, true,
     "',' is a value of its own here and reads as 0; separate values with blanks"},
    {C::kListCommaName, "list-comma", kWarning, true,
     "',' is a value of its own here and reads as the name ','; separate values with blanks"},
    {C::kDecimalComma, "list-comma", kWarning, true,
     "'{0}' reads as {1} (the rest of the line is ignored): ',' is not a decimal point (write "
     "{3})"},
    {C::kDecimalCommaList, "list-comma", kWarning, true,
     "'{0}' reads as three values, {1}, 0 and {2}: ',' is not a decimal point (write {3})"},
    {C::kDecimalCommaRange, "list-comma", kWarning, true,
     "'{0}' reads as the range {1} to {2}: ',' is not a decimal point (write {3})"},
    {C::kListCommaGlued, "list-comma", kWarning, true,
     "'{0}' reads as three values, {1}, 0 and {2}: separate values with blanks, not commas "
     "(write '{3}')"},
    {C::kExtraValues, "extra-values", kWarning, true,
     "this line takes one value; '{0}'{1? is| and what follows are} ignored"},
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
     "this block adds to {1:a kind} '{0}' declared before"},
    {C::kUnresolvedReference, "unresolved-reference", kWarning, true,
     "'{0}' names no object of the project"},
    {C::kUnresolvedReferenceGuess, "unresolved-reference", kWarning, true,
     "'{0}' names no object of the project; did you mean '{1}'?"},
    {C::kUnresolvedString, "unresolved-string", kWarning, true,
     "'{0}' names no string section of the project"},
    {C::kUnresolvedStringGuess, "unresolved-string", kWarning, true,
     "'{0}' names no string section of the project; did you mean '{1}'?"},
    {C::kMissingName, "missing-name", kWarning, true,
     "this {0:kind} has no name: it is stored with an empty name, which every block without a "
     "name shares"},
    {C::kMissingNameAndTypeWord, "missing-name", kWarning, true,
     "this block has no name: it is stored with an empty name and no type word (a generic "
     "object)"},
    {C::kMissingStringName, "missing-name", kWarning, true,
     "this string section has no name: it is stored with an empty name"},
    {C::kDuplicateString, "duplicate-string", kWarning, true,
     "a string section named '{0}' exists already; both are stored"},
    {C::kDuplicateBlock, "duplicate-block", kWarning, true,
     "this block repeats an earlier block of the {0:kind} '{2}' line for line, so its "
     "properties are set twice (delete it, or rename it if it was copied to make a new one)"},
    {C::kDuplicatePropertyInBlock, "duplicate-property", kWarning, true,
     "'{0}' is set twice in this block; the game reads this value, the last one"},
    {C::kDuplicatePropertyAcrossBlocks, "duplicate-property", kWarning, true,
     "'{0}' is set again: an earlier block of the {1:kind} '{3}' sets it too, and the game "
     "reads this value, the last one (a block copied to make a new object keeps the old "
     "name until renamed)"},
    {C::kMisspelledKeyword, "misspelled-keyword", kWarning, true,
     "'{0}' is not a section keyword; did you mean '{1}'? This line and the section under it "
     "are not compiled"},
    {C::kMisspelledBlockKind, "misspelled-keyword", kWarning, true,
     "this block makes a `{0}` object, not {1:a}; did you mean '{1}'?"},
    {C::kMisspelledField, "misspelled-field", kWarning, true,
     "'{0}' is not a field of {1:kinds}; did you mean '{3}'? This line declares a property of "
     "its own"},
    {C::kMisspelledFieldSkipped, "misspelled-field", kWarning, true,
     "'{0}' is not a field of {1:kinds}; did you mean '{3}'? This line is skipped"},
    {C::kInvisibleCharacter, "invisible-character", kWarning, true,
     "'{0}' holds {1:a} ({2}), which does not show but is part of the word: '{0}' is not "
     "'{3}'"},
    {C::kDescriptionTooShort, "description", kWarning, true,
     "the description has {0} {0?line|lines}, fewer than 4, so it is ignored and the defaults "
     "apply"},
    {C::kDescriptionVersion, "description", kWarning, true,
     "the version '{0}' is not a number; it reads as {1}"},
    {C::kDescriptionVersionTrailing, "description", kWarning, true,
     "the version '{0}' has text after its number; it reads as {1}"},
    {C::kDescriptionVersionRange, "description", kWarning, true,
     "the version '{0}' is beyond the range of a float; it reads as {1}"},
    {C::kDescriptionNoOutput, "description", kWarning, true,
     "the output base name (line 3) is empty: the outputs are '.gds' and '.gdf'"},
    {C::kNameConflict, "name-conflict", kError, false,
     "'{0}' is already {1:a kind}; {3:a kind} cannot have the same name"},
    {C::kNameTooLong, "name-too-long", kError, false,
     "the name '{0}' is {1} bytes long; the output files hold names of at most 1024 bytes"},
    {C::kNameTooLongIn, "name-too-long", kError, false,
     "the name '{0}' in the {2:kind} '{4}' is {1} bytes long; the output files hold names of at "
     "most 1024 bytes"},
    {C::kCannotOpenSource, "cannot-open", kError, false, "cannot open source file '{0}': {#1}"},
    {C::kCannotOpenSourceGuess, "cannot-open", kError, false,
     "cannot open source file '{0}': {#1}; did you mean '{2}'?"},
    {C::kCannotOpenDescription, "cannot-open", kError, false,
     "cannot open description file '{0}': {#1}"},
    {C::kEmptyProjectName, "empty-project-name", kError, false,
     "the project name (line 1) is empty"},
    {C::kCannotWrite, "cannot-write", kError, false, "cannot write '{0}': {#1}"},
    {C::kCannotWriteUnexplained, "cannot-write", kError, false,
     "cannot write '{0}': the write failed"},
    {C::kDepfileLineEnd, "cannot-write", kError, false,
     "cannot write the dependency file '{0}': the path '{1}' holds a line end, which make and "
     "ninja cannot read"},
    {C::kOutputTooLarge, "cannot-write", kError, false,
     "cannot write '{0}': its content passes the format's limit of 2147483647 bytes"},
    {C::kOutputInternal, "cannot-write", kError, false,
     "cannot write '{0}': the compiler went wrong (archive error {1}); please report this"},
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
    {C::kCannotWatch, "cannot-watch", kError, false,
     "cannot watch the project's files for changes: {#0}"},
    {C::kUsageNeedsValue, "usage", kError, false, "option '{#0}' needs a value"},
    {C::kUsageBadColor, "usage", kError, false, "--color takes auto, always or never, not '{#0}'"},
    {C::kUsageBadFormat, "usage", kError, false,
     "--diagnostics-format takes text or json, not '{#0}'"},
    {C::kUsageBadJobs, "usage", kError, false,
     "-j takes a number of threads from 1 to 256, not '{#0}'"},
    {C::kUsageUnknownOption, "usage", kError, false, "unknown option '{#0}'"},
    {C::kUsageUnknownWarning, "usage", kError, false, "unknown warning '{#0}'"},
    {C::kUsageUnknownWarningGuess, "usage", kError, false,
     "unknown warning '{#0}'; did you mean '{#1}'?"},
    {C::kUsageUnknownOptionGuess, "usage", kError, false,
     "unknown option '{#0}'; did you mean '{#1}'?"},
    {C::kUsageOutputIsDescription, "usage", kError, false,
     "-o takes the folder the outputs go to, but '{#0}' is a project description; name the "
     "folder first: rpgc -o DIR {#0}"},
    {C::kDumpUsageOneMode, "usage", kError, false,
     "choose one of --json, --source, --diff, --object, --refs and --summary (see rpgdump --help)"},
    {C::kDumpUsageNeedsValue, "usage", kError, false, "{#0} needs a value (see rpgdump --help)"},
    {C::kDumpUsageBadKind, "usage", kError, false,
     "--kind takes gds or gdf, not '{#0}' (see rpgdump --help)"},
    {C::kDumpUsageUnknownOption, "usage", kError, false,
     "unknown option '{#0}' (see rpgdump --help)"},
    {C::kDumpUsageNoFile, "usage", kError, false, "no file named (see rpgdump --help)"},
    {C::kDumpUsageOutputWithoutSource, "usage", kError, false,
     "-o goes with --source (see rpgdump --help)"},
    {C::kDumpUsageDiffTwoFiles, "usage", kError, false,
     "--diff compares two files, two base names, or OLD.gds OLD.gdf NEW.gds NEW.gdf (see "
     "rpgdump --help)"},
    {C::kDumpUsageDiffKinds, "usage", kError, false,
     "cannot compare a string table with a database (see rpgdump --help)"},
    {C::kDumpUsageSourceFiles, "usage", kError, false,
     "--source takes one string table and one database (see rpgdump --help)"},
    {C::kDumpUsageSourceMapListing, "usage", kError, false,
     "--source-map goes with the listing, not with --json, --source or --diff (see rpgdump "
     "--help)"},
    {C::kDumpUnknownKind, "read-error", kError, false,
     "cannot tell a string table (.gds) from a database (.gdf) by its name; say which with "
     "--kind gds or --kind gdf"},
    {C::kDumpCannotWriteOutput, "cannot-write", kError, false, "cannot write the standard output"},
    {C::kDumpCannotMakeFolder, "cannot-write", kError, false, "cannot make the folder: {#0}"},
    {C::kDumpOutOfMemory, "out-of-memory", kError, false, "out of memory"},
    {C::kDumpBadSourceMap, "read-error", kError, false,
     "not a source map written by rpgc --source-map (it goes wrong at byte {#0})"},
    {C::kDumpWrongKindStrings, "read-error", kError, false,
     "this is a string table, not an object database"},
    {C::kDumpWrongKindDatabase, "read-error", kError, false,
     "this is an object database, not a string table"},
    {C::kDumpNoSuchName, "no-such-name", kError, false,
     "no object or string section is named '{0}'"},
    {C::kDumpNoSuchNameGuess, "no-such-name", kError, false,
     "no object or string section is named '{0}'; did you mean '{1}'?"},
    {C::kDumpNothingNames, "no-such-name", kNote, false, "nothing names '{0}'"},
    {C::kDumpUsageDiffPairs, "usage", kError, false,
     "--diff with four files compares OLD.gds OLD.gdf with NEW.gds NEW.gdf: a string table "
     "and a database of each build (see rpgdump --help)"},
    {C::kReadCannotRead, "read-error", kError, false, "cannot read the file: {#0}"},
    {C::kReadTooLarge, "read-error", kError, false,
     "the file is larger than the format's limit of 2147483647 bytes"},
    {C::kReadTruncated, "read-error", kError, false,
     "{0:part} runs past the end of {0:room}{1:offset}"},
    {C::kReadNegative, "read-error", kError, false, "{0:count} is negative ({2}){1:offset}"},
    {C::kReadNameTooLong, "read-error", kError, false,
     "an atom name of {2} bytes passes the limit of 1024{1:offset}"},
    {C::kReadNoZeroByte, "read-error", kError, false,
     "{0:part} does not end with a zero byte{1:offset}"},
    {C::kReadBadEnd, "read-error", kError, false,
     "{0:part} has an end offset ({2}) that does not fit {0:room}{1:offset}"},
    {C::kReadTooMany, "read-error", kError, false,
     "{0:count} ({2}) is more than the rest of {0:room} can hold{1:offset}"},
    {C::kReadExtraBytes, "read-error", kError, false,
     "the file goes on after the end of its body{1:offset}"},
    {C::kReadExtraSections, "read-error", kError, false,
     "the body goes on after its last string section{1:offset}"},
    {C::kSourceEmptyWord, "source-form", kError, false,
     "cannot be written as source: {0:place}{4:word} is the empty name, which no word of source "
     "gives{3:offset}"},
    {C::kSourceNotOneWord, "source-form", kError, false,
     "cannot be written as source: {0:place}{4:word} {5:shown} holds a blank, ',', ';' or '/' "
     "and would not read back as one word{3:offset}"},
    {C::kSourceNaN, "source-form", kError, false,
     "cannot be written as source: {0:place}a NaN, which no decimal text gives{3:offset}"},
    {C::kSourceEmptyList, "source-form", kError, false,
     "cannot be written as source: {0:place}a list without values, and a source line needs "
     "one{3:offset}"},
    {C::kSourceRandomWithoutName, "source-form", kError, false,
     "cannot be written as source: {0:place}a RANDOM section without a name, which no header "
     "gives{3:offset}"},
    {C::kSourceTextEmpty, "source-form", kError, false,
     "cannot be written as source: {0:place}text {4} is empty, and an empty line is no "
     "text{3:offset}"},
    {C::kSourceTextEnd, "source-form", kError, false,
     "cannot be written as source: {0:place}text {4} reads END, which would end the "
     "section{3:offset}"},
    {C::kSourceTextLineBreak, "source-form", kError, false,
     "cannot be written as source: {0:place}text {4} holds a zero byte or a line "
     "break{3:offset}"},
    {C::kSourceTextBlanks, "source-form", kError, false,
     "cannot be written as source: {0:place}text {4} has blanks that folding would "
     "change{3:offset}"},
    {C::kSourceUnknownClass, "source-form", kError, false,
     "cannot be written as source: {0:place}its class {4:shown} is none of F_generic, F_item and "
     "F_character{3:offset}"},
    {C::kSourceFlags, "source-form", kError, false,
     "cannot be written as source: {0:place}its flags word is {4}, and no source line sets "
     "flags{3:offset}"},
    {C::kSourceUnpairedLists, "source-form", kError, false,
     "cannot be written as source: {0:place}the lists that store its declared properties do "
     "not pair up{3:offset}"},
    {C::kSourceMissingProperty, "source-form", kError, false,
     "cannot be written as source: {0:place}its record lacks property {#4}{3:offset}"},
    {C::kSourceExtraProperty, "source-form", kError, false,
     "cannot be written as source: {0:place}not a property of {4:shown} (rpgc writes "
     "{5}){3:offset}"},
    {C::kSourceOtherProperty, "source-form", kError, false,
     "cannot be written as source: {0:place}rpgc writes {#4} ({5}) here for "
     "{6:shown}{3:offset}"},
    {C::kSourceNamedWithoutTypeWord, "source-form", kError, false,
     "cannot be written as source: {0:place}a named object without a type word, which no "
     "header gives{3:offset}"},
    {C::kSourceBuiltInTypeWord, "source-form", kError, false,
     "cannot be written as source: {0:place}type word {4} would make {4:a} block, not a "
     "generic one{3:offset}"},
    {C::kSourceUnsetProperty, "source-form", kError, false,
     "cannot be written as source: {0:place}no source line sets it{3:offset}"},
    {C::kSourceUnknownCharacterType, "source-form", kError, false,
     "cannot be written as source: {0:place}character type {4:shown} is none of player, "
     "monster, crowd and character{3:offset}"},
    {C::kSourceUnwritableKind, "source-form", kError, false,
     "cannot be written as source: {0:place}no source line sets a value of this "
     "kind{3:offset}"},
    {C::kSourceFieldName, "source-form", kError, false,
     "cannot be written as source: {0:place}a line of this name would set the field of that "
     "name instead{3:offset}"},
    {C::kSourceNoKind, "source-form", kError, false,
     "cannot be written as source: {0:place}a declared property without a kind{3:offset}"},
    {C::kSourceSecondRecord, "source-form", kError, false,
     "cannot be written as source: {0:place}a second record of that name, which compiling "
     "would merge into the first{3:offset}"},
    {C::kSourceHeadersDiffer, "source-form", kError, false,
     "cannot be written as source: {0:place}its project name or version differs from that of "
     "{#4}, and one description gives both files the same{3:offset}"},
    {C::kSourceNoProjectName, "source-form", kError, false,
     "cannot be written as source: {0:place}no project name, and a description file always "
     "gives one{3:offset}"},
    {C::kSourceProjectNameBreak, "source-form", kError, false,
     "cannot be written as source: {0:place}the project name holds a zero byte or a line "
     "break{3:offset}"},
    {C::kSourceProjectNameBlank, "source-form", kError, false,
     "cannot be written as source: {0:place}the project name ends with a blank, which a "
     "description line loses{3:offset}"},
    {C::kSourceVersionNaN, "source-form", kError, false,
     "cannot be written as source: {0:place}the version is a NaN, which no decimal text "
     "gives{3:offset}"},
    {C::kSourceStoredDifferently, "source-form", kError, false,
     "cannot be written as source: {0:place}not stored byte for byte as rpgc stores "
     "it{3:offset}"},
    {C::kFormatEqualsSetApart, "format-fix", kNote, false,
     "'=' is set apart in '{0}': rpgc skipped this line, since '=' stood glued to a word"},
    {C::kFormatKeywordCase, "format-fix", kNote, false,
     "'{0}' is written '{1}': rpgc does not read a keyword written in lower case"},
    {C::kFormatTypeWordCase, "format-fix", kNote, false,
     "'{0}' is written '{1}': rpgc skipped this line, since type words are written in capitals"},
    {C::kFormatFlagCase, "format-fix", kNote, false,
     "'{0}' is written 'RANDOM': rpgc did not make the section random"},
    {C::kFormatBlockKindCase, "format-fix", kNote, false,
     "'{0}' is written '{1}': the block made a `{0}` object, and now makes {1:a}"},
    {C::kFormatListComma, "format-fix", kNote, false,
     "{0} {0?comma|commas} between values {0?is|are} now {0?a blank|blanks}: rpgc read each ',' "
     "as a value of its own"},
    {C::kFormatLineBeforeHeader, "format-fix", kNote, false,
     "an empty line is added before this header: right after an END line, rpgc did not read it, "
     "and its section was lost"},
    {C::kFormatRunsIntoHeader, "format-refused", kError, false,
     "the {0:kind} '{2}' runs into this header: its END line is probably missing; rpgfmt does "
     "not guess where a section ends, so the file is left unchanged"},
    {C::kFormatRunsToEndOfFile, "format-refused", kError, false,
     "the {0:kind} '{2}' has no END line; rpgfmt does not guess where a section ends, so the "
     "file is left unchanged"},
    {C::kFormatHeaderOnLastLine, "format-refused", kError, false,
     "this header is the last line of the file, so its section has no END line; rpgfmt does "
     "not guess where a section ends, so the file is left unchanged"},
    {C::kFormatDecimalComma, "format-refused", kError, false,
     "'{0}' may be the number {3} written with a decimal comma, or two values; rpgfmt does not "
     "guess, so the file is left unchanged (write {3}, or a blank after the ',')"},
    {C::kFormatZeroByte, "format-refused", kError, false,
     "this line holds a zero byte, which ends its text for rpgc; the file is left unchanged"},
    {C::kFormatChangesOutput, "format-refused", kError, false,
     "formatting would change what this file compiles to, so it is left unchanged; this is a "
     "fault of rpgfmt, please report it"},
    {C::kFormatNotFormatted, "not-formatted", kNote, false,
     "this file is not formatted (rpgfmt -i formats it)"},
    {C::kFormatUsageUnknownOption, "usage", kError, false,
     "unknown option '{#0}' (see rpgfmt --help)"},
    {C::kFormatUsageNoFile, "usage", kError, false, "no file named (see rpgfmt --help)"},
    {C::kFormatUsageModes, "usage", kError, false,
     "-i and --check do not go together (see rpgfmt --help)"},
    {C::kNoteDeclaredHere, "declared-here", kNote, false, "'{0}' is declared here"},
    {C::kNoteFirstSetHere, "first-set-here", kNote, false, "'{0}' is first set here"},
    {C::kNoteRepeatedBlock, "repeated-block", kNote, false, "the block it repeats is here"},
    {C::kNoteSectionStart, "section-start", kNote, false, "the {0:kind} '{2}' starts here"},
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
    {C::kNoteNoDescription, "no-description", kNote, false,
     "there is no '{0}' in this folder, so an empty project is compiled with the defaults"},
    {C::kNoteNoDescriptionOthers, "no-description", kNote, false,
     "there is no '{0}' in this folder, so an empty project is compiled with the defaults; "
     "to compile another project, name its description: {#1}"},
    {C::kNoteWatching, "watching", kNote, false,
     "watching the description and the source files for changes (Ctrl-C stops)"},
};
static_assert(std::size(kRows) == kFindingCodeCount, "one message row per finding code");

// The content group: warnings about lines, values or sections that are lost, merged or
// read differently from how they are written. The others are about style or about names
// that are kept as written.
constexpr std::string_view kContentWarnings[] = {
    "not-assignment",       "unknown-type-word",      "ignored-type-word",  "unexamined-header",
    "keyword-case",         "misspelled-keyword",     "missing-end",        "not-a-number",
    "number-trailing-text", "number-range",           "list-comma",         "extra-values",
    "comment-in-word",      "unknown-character-type", "unknown-flag",       "missing-name",
    "misspelled-field",     "duplicate-block",        "duplicate-property", "invisible-character",
};

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

bool isContentWarning(std::string_view name) {
  for (std::string_view content : kContentWarnings) {
    if (content == name) return true;
  }
  return false;
}

std::span<const std::string_view> warningNames() {
  static const std::vector<std::string_view> names = collectWarningNames();
  return names;
}

namespace {

// The typed placeholders "{N:FORM}": how a text that holds a number or a name of data is
// worded. Texts that are not what the form expects are quoted as they are.

std::optional<int64_t> numberOf(const std::string& text) {
  int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

template <typename Enum>
std::optional<Enum> enumOf(const std::string& text, Enum last) {
  std::optional<int64_t> value = numberOf(text);
  if (!value || *value < 0 || *value > static_cast<int64_t>(last)) return std::nullopt;
  return static_cast<Enum>(*value);
}

std::string withArticle(std::string_view words) {
  bool vowel =
      !words.empty() && std::string_view("aeiou").find(words.front()) != std::string_view::npos;
  return (vowel ? "an " : "a ") + std::string(words);
}

// ORDER FILE PARTS: as FilePart (rpgc/read_status.h). The part as the subject of a
// sentence, the number a count or size failure is about, and what the part must fit in.
struct PartWords {
  std::string_view noun;
  std::string_view count;
  std::string_view room;
};
constexpr PartWords kPartWords[] = {
    {"the file", "the file", "the file"},
    {"the project name", "the project name's size", "the file"},
    {"the version", "the version", "the file"},
    {"the atom count", "the atom count", "the file"},
    {"an atom name", "an atom name", "the file"},
    {"the body length", "the body length", "the file"},
    {"the body", "the body", "the file"},
    {"the section count", "the section count", "the body"},
    {"a string section", "a section's text count", "the body"},
    {"a text", "a text's size", "the body"},
    {"an object record", "an object record", "the body"},
    {"a property chunk", "a property chunk", "its record"},
    {"a property value", "a list's element count", "its property chunk"},
};
static_assert(std::size(kPartWords) == static_cast<size_t>(FilePart::kValue) + 1,
              "one row of words per file part");

// ORDER SECTION KINDS: as SectionKind (core/finding.h).
constexpr std::string_view kKindNouns[] = {"item", "character", "object", "script",
                                           "string section"};
constexpr std::string_view kKindPlurals[] = {"items", "characters", "objects", "scripts",
                                             "string sections"};
static_assert(std::size(kKindNouns) == static_cast<size_t>(SectionKind::kStringSection) + 1);
static_assert(std::size(kKindPlurals) == std::size(kKindNouns));

// ORDER WORD ROLES: as SourceWordRole.
constexpr std::string_view kWordRoles[] = {"its name", "the type word", "the value",
                                           "a name in the list"};
static_assert(std::size(kWordRoles) == static_cast<size_t>(SourceWordRole::kListName) + 1);

// A kind and its type word (texts n and n + 1): "item", "`quest` object", "object".
std::optional<std::string> kindWords(const Finding& finding, int n, bool plural) {
  std::optional<SectionKind> kind = enumOf(finding.texts[n], SectionKind::kStringSection);
  if (!kind) return std::nullopt;
  const std::string& typeWord = finding.texts[(n + 1) % Finding::kTexts];
  if (*kind == SectionKind::kObject && !typeWord.empty() && !plural) {
    return "`" + shortenMiddle(escapeText(typeWord)) + "` object";
  }
  return std::string((plural ? kKindPlurals : kKindNouns)[static_cast<size_t>(*kind)]);
}

// Where rpgdump --source refuses (texts n to n + 2), with the colon that ends it.
std::optional<std::string> placeWords(const Finding& finding, int n) {
  std::optional<SourceFormPlace> place = enumOf(finding.texts[n], SourceFormPlace::kProperty);
  if (!place) return std::nullopt;
  const std::string& name = finding.texts[(n + 1) % Finding::kTexts];
  const std::string& property = finding.texts[(n + 2) % Finding::kTexts];
  switch (*place) {
    case SourceFormPlace::kNone:
      return "";
    case SourceFormPlace::kHeader:
      return "the header (project name, version or atom table): ";
    case SourceFormPlace::kBody:
      return "the body: ";
    case SourceFormPlace::kSection:
      return "string section " + shownText(name) + ": ";
    case SourceFormPlace::kObject:
      return "object " + shownText(name) + ": ";
    case SourceFormPlace::kProperty:
      return "object " + shownText(name) + ", property " + shownText(property) + ": ";
  }
  return std::nullopt;
}

std::optional<std::string> typedText(const Finding& finding, int n, std::string_view form) {
  const std::string& text = finding.texts[n];
  if (form == "shown") return escapeText(shownText(text));
  if (form == "offset") {
    if (text.empty()) return "";
    return " at offset " + escapeText(text);
  }
  if (form == "a") return withArticle(escapeText(text));
  if (form == "part" || form == "count" || form == "room") {
    std::optional<FilePart> part = enumOf(text, FilePart::kValue);
    if (!part) return std::nullopt;
    const PartWords& words = kPartWords[static_cast<size_t>(*part)];
    return std::string(form == "part" ? words.noun : form == "count" ? words.count : words.room);
  }
  if (form == "kind" || form == "kinds") return kindWords(finding, n, form == "kinds");
  if (form == "a kind") {
    std::optional<std::string> words = kindWords(finding, n, false);
    if (words) return withArticle(*words);
    return std::nullopt;
  }
  if (form == "place") return placeWords(finding, n);
  if (form == "word") {
    std::optional<SourceWordRole> role = enumOf(text, SourceWordRole::kListName);
    if (role) return std::string(kWordRoles[static_cast<size_t>(*role)]);
  }
  return std::nullopt;
}

}  // namespace

std::string messageOf(const Finding& finding) {
  std::string_view format = messageRow(finding.code).format;
  std::string message;
  for (size_t i = 0; i < format.size(); ++i) {
    size_t close = format[i] == '{' ? format.find('}', i) : std::string_view::npos;
    // "{N}" quotes text N, shortened in the middle when long; "{#N}" quotes all of it;
    // "{N:FORM}" words it (see typedText); "{N?ONE|OTHER}" says ONE when text N is 1.
    std::string_view field =
        close == std::string_view::npos ? std::string_view() : format.substr(i + 1, close - i - 1);
    bool whole = field.starts_with('#');
    if (whole) field.remove_prefix(1);
    if (field.empty() || field[0] < '0' || field[0] >= '0' + Finding::kTexts) {
      message += format[i];
      continue;
    }
    int n = field[0] - '0';
    std::string_view rest = field.substr(1);
    i = close;
    if (rest.empty()) {
      std::string text = escapeText(finding.texts[n]);
      message += whole ? text : shortenMiddle(text);
    } else if (rest[0] == '?') {
      size_t bar = rest.find('|');
      bool one = finding.texts[n] == "1";
      message += bar == std::string_view::npos ? rest.substr(1)
                 : one                         ? rest.substr(1, bar - 1)
                                               : rest.substr(bar + 1);
    } else if (std::optional<std::string> typed = typedText(finding, n, rest.substr(1))) {
      message += *typed;
    } else {
      message += shortenMiddle(escapeText(finding.texts[n]));
    }
  }
  return message;
}

}  // namespace rpgc
