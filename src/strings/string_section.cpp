// String sections: in-place folding, the section parser and the record writer.
#include "strings/string_section.h"

#include "archive/archive_writer.h"
#include "core/atom_table.h"
#include "core/finding_recorder.h"
#include "core/source_syntax.h"
#include "strings/string_table.h"

namespace rpgc {

int32_t foldBlanks(char* bytes, int32_t length) {
  int32_t j = 0;
  bool afterBlank = true;
  for (int32_t i = 0; i < length; ++i) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte == 0) break;  // a zero byte ends the text, as in the file
    if (byte > 0x20) {
      bytes[j++] = bytes[i];
      afterBlank = false;
    } else if (!afterBlank) {
      bytes[j++] = ' ';
      afterBlank = true;
    }
  }
  if (j > 0 && afterBlank) --j;
  return j;
}

void foldBlanks(RefString& line) {
  char* bytes = line.mutableBytes();
  if (bytes == nullptr) return;
  line.setLength(foldBlanks(bytes, static_cast<int32_t>(line.view().size())));
}

namespace {

// The first word of a text line and where it starts (column from 1), without folding.
std::string_view firstWord(std::string_view text, int32_t& column) {
  size_t start = 0;
  while (start < text.size() && static_cast<unsigned char>(text[start]) <= 0x20) ++start;
  size_t end = start;
  while (end < text.size() && static_cast<unsigned char>(text[end]) > 0x20) ++end;
  column = static_cast<int32_t>(start) + 1;
  return text.substr(start, end - start);
}

// Looks at a text line before it is folded: a section header inside the section means
// its END is probably missing; "END" followed by more text does not end it.
void checkTextLine(const FindingScope& scope, const RefString& name, int32_t headerLine,
                   int32_t line, std::string_view text, bool& ranIntoHeader) {
  int32_t column = 0;
  std::string_view word = firstWord(text, column);
  if (word.empty() || (word[0] != 'B' && word[0] != 'S' && word[0] != 'E')) return;
  int32_t nextColumn = 0;
  size_t after = static_cast<size_t>(column - 1) + word.size();
  bool more = !firstWord(text.substr(after), nextColumn).empty();
  if (word.starts_with(kEndKeyword)) {
    bool commented = word.size() > kEndKeyword.size() && isCommentByte(word[kEndKeyword.size()]);
    if ((word == kEndKeyword && more) || commented) {
      if (scope.wants(FindingCode::kTextAfterEnd)) {
        scope.report(Finding(FindingCode::kTextAfterEnd, scope.atColumn(line, column)));
      }
    }
    return;
  }
  if (!more || ranIntoHeader || !isSectionKeyword(word)) return;
  ranIntoHeader = true;
  if (!scope.wants(FindingCode::kRunsIntoHeader)) return;
  Finding finding(FindingCode::kRunsIntoHeader, scope.atColumn(line, column));
  finding.withKind(SectionKind::kStringSection).with(std::string(name.view()));
  finding.fixes.push_back(missingEndBefore(line));
  finding.related = scope.atToken(headerLine, 0);
  finding.relatedNote = FindingCode::kNoteSectionStart;
  scope.report(std::move(finding));
}

}  // namespace

int32_t parseStringSection(SourceLines& lines, int32_t start, const RefString& name,
                           const RefString& flag, AtomTable& atoms, StringTable& table,
                           const FindingScope& scope, FindingRecorder* deferredFolds) {
  StringSection section;
  section.name = atoms.intern(name.view());
  section.random = flag.view() == kRandomFlag;
  bool checked = scope.sink != nullptr;
  bool ranIntoHeader = false;
  // Folding edits the file's own lines in place: what reads them afterwards (the
  // diagnostics of the lines around) sees them folded, so findings about a line are
  // rendered as they are reported. Each text is copied out of the file's buffer, which is
  // released after the file.
  // With deferredFolds, each line is folded into folded instead, once per section.
  std::string folded;
  int32_t i = start;
  for (; i < lines.length(); ++i) {
    if (checked) checkTextLine(scope, name, start - 1, i, lines[i], ranIntoHeader);
    std::string_view text = lines[i];
    if (!text.empty() && deferredFolds != nullptr) {
      deferredFolds->noteFold(i);
      folded.assign(text);
      folded.resize(
          static_cast<size_t>(foldBlanks(folded.data(), static_cast<int32_t>(text.size()))));
      text = folded;
    } else if (!text.empty()) {
      lines.setLength(i, foldBlanks(lines.mutableLine(i), static_cast<int32_t>(text.size())));
      text = lines[i];
    }
    if (text == kEndKeyword) break;
    if (!text.empty()) section.texts.push(RefString(text));
  }
  if (checked && i == lines.length() && !ranIntoHeader &&
      scope.wants(FindingCode::kRunsToEndOfFile)) {
    Finding finding(FindingCode::kRunsToEndOfFile, scope.atToken(start - 1, 0));
    finding.fixes.push_back(missingEndAtEnd(lines.length()));
    scope.report(
        std::move(finding.withKind(SectionKind::kStringSection).with(std::string(name.view()))));
  }
  table.append(section);
  return i + 1;
}

bool StringSection::write(ArchiveWriter& archive) const {
  if (!archive.writeAtom(name) || !archive.writeBool(random) ||
      !archive.writeInt32(texts.length())) {
    return false;
  }
  for (const RefString& text : texts) {
    if (!archive.writeString(text)) return false;
  }
  return true;
}

}  // namespace rpgc
