// readAssignmentBlock: keeps the assignment-shaped lines of one block body.
#include "source/assignment_buffer.h"

#include <algorithm>

#include <cstdio>

#include "core/atom_table.h"
#include "core/invisible_characters.h"
#include "core/source_syntax.h"
#include "core/spelling.h"
#include "source/tokenizer.h"
#include "source/typed_declarations.h"

namespace rpgc {

void AssignmentBuffer::clear() {
  typeWords.clear();
  names.clear();
  lines.clear();
  lineText_.clear();
  spans_.clear();
  firstValue_.clear();
  endValue_.clear();
  mark_ = 0;
}

int32_t AssignmentBuffer::scan(std::string_view line) {
  mark_ = spans_.size();
  // A line holds at most one token per two bytes (and one more); reserving that much for
  // a long line costs address space only for the tokens it really has, and spares the
  // copies of growing step by step.
  size_t most = mark_ + line.size() / 2 + 1;
  if (line.size() > 4096 && spans_.capacity() < most) spans_.reserve(most);
  return scanTokens(line, [&](size_t start, size_t length) {
    spans_.push_back({static_cast<uint32_t>(start), static_cast<uint32_t>(length)});
  });
}

void AssignmentBuffer::keep(Atom typeWord, Atom name, int32_t line, const char* lineText) {
  typeWords.push_back(typeWord);
  names.push_back(name);
  lines.push_back(line);
  lineText_.push_back(lineText);
  firstValue_.push_back(mark_ + 3);
  endValue_.push_back(spans_.size());
  mark_ = spans_.size();
}

void AssignmentBuffer::retain(const std::vector<bool>& keep) {
  size_t kept = 0;
  for (size_t i = 0; i < typeWords.size(); ++i) {
    if (!keep[i]) continue;
    // The entries move down; their spans stay where they are.
    typeWords[kept] = typeWords[i];
    names[kept] = names[i];
    lines[kept] = lines[i];
    lineText_[kept] = lineText_[i];
    firstValue_[kept] = firstValue_[i];
    endValue_[kept] = endValue_[i];
    ++kept;
  }
  typeWords.resize(kept);
  names.resize(kept);
  lines.resize(kept);
  lineText_.resize(kept);
  firstValue_.resize(kept);
  endValue_.resize(kept);
}

namespace {

Finding bodyFinding(FindingCode code, const BodyScope& scope, int32_t line, int32_t token) {
  return Finding(code, scope.findings.atToken(line, token));
}

// Says why a body line that is not an assignment is skipped, from the likeliest cause to
// the least specific one.
void reportSkippedLine(const BodyScope& scope, int32_t line, std::string_view text,
                       const std::vector<std::string_view>& tokens) {
  auto columnOf = [&](std::string_view token) {
    return static_cast<int32_t>(token.data() - text.data()) + 1;
  };
  const FindingScope& findings = scope.findings;
  auto report = [&](FindingCode code, int32_t token) {
    if (!findings.wants(code)) return;
    Finding finding = bodyFinding(code, scope, line, token);
    finding.with(std::string(tokens[static_cast<size_t>(token)]));
    findings.report(std::move(finding));
  };
  int32_t count = static_cast<int32_t>(tokens.size());
  std::string_view keyword;
  if (count == 1 && equalsIgnoringCase(tokens[0], kEndKeyword)) keyword = kEndKeyword;
  for (std::string_view section : kSectionKeywords) {
    if (count > 1 && equalsIgnoringCase(tokens[0], section)) keyword = section;
  }
  if (!keyword.empty()) {
    if (!findings.wants(FindingCode::kKeywordCase)) return;
    Finding finding = bodyFinding(FindingCode::kKeywordCase, scope, line, 0);
    int32_t column = columnOf(tokens[0]);
    finding.with(std::string(tokens[0]))
        .withFix(line, column, column + static_cast<int32_t>(keyword.size()), std::string(keyword));
    return findings.report(std::move(finding));
  }
  int32_t equals = -1;
  for (int32_t k = 0; k < count; ++k) {
    if (tokens[static_cast<size_t>(k)] == kEqualsWord) {
      equals = k;
      break;
    }
  }
  int32_t headerWords = equals < 0 ? std::min(count, 3) : equals;
  // A no-break space between two words joins them: the likeliest cause of all.
  for (int32_t k = 0; k < headerWords; ++k) {
    if (reportInvisibleCharacter(findings, line, text, tokens[static_cast<size_t>(k)])) return;
  }
  for (int32_t k = 0; k < headerWords; ++k) {
    std::string_view token = tokens[static_cast<size_t>(k)];
    if (token.find('=') == std::string_view::npos) continue;
    if (!findings.wants(FindingCode::kGluedEquals)) return;
    // The fix sets every '=' of the word apart: "Weight=1.5" becomes "Weight = 1.5".
    std::string spaced;
    for (size_t at = 0; at < token.size();) {
      size_t sign = std::min(token.find('=', at), token.size());
      if (sign > at) {
        if (!spaced.empty()) spaced += ' ';
        spaced.append(token.substr(at, sign - at));
      }
      if (sign < token.size()) spaced += spaced.empty() ? "=" : " =";
      at = sign + 1;
    }
    Finding finding = bodyFinding(FindingCode::kGluedEquals, scope, line, k);
    int32_t column = columnOf(token);
    finding.with(std::string(token))
        .withFix(line, column, column + static_cast<int32_t>(token.size()), std::move(spaced));
    return findings.report(std::move(finding));
  }
  for (int32_t k = 0; k < headerWords; ++k) {
    if (tokens[static_cast<size_t>(k)] == ",") return report(FindingCode::kCommaInAssignment, k);
  }
  if (equals == 2) return report(FindingCode::kNoValue, 2);
  if (equals == 1) {
    if (!findings.wants(FindingCode::kMissingTypeWord)) return;
    std::span<const std::string_view> values(tokens.begin() + 2, tokens.end());
    std::string_view typeWord = suggestedTypeWord(scope.kind, tokens[0], values);
    Finding finding = bodyFinding(FindingCode::kMissingTypeWord, scope, line, 0);
    int32_t column = columnOf(tokens[0]);
    finding.with(std::string(tokens[0])).with(std::string(typeWord));
    finding.withFix(line, column, column, std::string(typeWord) + " ");
    return findings.report(std::move(finding));
  }
  if (equals > 2) return report(FindingCode::kNameNotOneWord, 2);
  if (count >= 3) return report(FindingCode::kMissingEquals, 2);
  report(FindingCode::kNotAssignment, 0);
}

}  // namespace

bool reportInvisibleCharacter(const FindingScope& findings, int32_t line, std::string_view text,
                              std::string_view word) {
  InvisibleCharacter found = findInvisibleCharacter(word);
  if (found.length == 0 || !findings.wants(FindingCode::kInvisibleCharacter)) return false;
  auto column = static_cast<int32_t>(word.data() - text.data()) + 1;
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(found.code));
  std::string visible = withoutInvisibleCharacters(word);
  Finding finding(FindingCode::kInvisibleCharacter, findings.atColumn(line, column));
  finding.with(std::string(word)).with(std::string(found.name)).with(code).with(visible);
  finding.withFix(line, column, column + static_cast<int32_t>(word.size()), std::move(visible));
  findings.report(std::move(finding));
  return true;
}

void reportCommentInWord(const FindingScope& findings, int32_t line, std::string_view text,
                         int32_t at) {
  if (!findings.wants(FindingCode::kCommentInWord)) return;
  size_t wordStart = static_cast<size_t>(at);
  while (wordStart > 0 && !isBlankByte(text[wordStart - 1]) && text[wordStart - 1] != ',') {
    --wordStart;
  }
  size_t wordEnd = static_cast<size_t>(at);
  while (wordEnd < text.size() && !isBlankByte(text[wordEnd]) && text[wordEnd] != ',') ++wordEnd;
  Finding finding(FindingCode::kCommentInWord, findings.atColumn(line, at + 1));
  finding.with(std::string(1, text[static_cast<size_t>(at)]))
      .with(std::string(text.substr(wordStart, wordEnd - wordStart)))
      .with(std::string(text.substr(wordStart, static_cast<size_t>(at) - wordStart)));
  findings.report(std::move(finding));
}

namespace {

void reportUnterminated(const BodyScope& scope, FindingCode code, int32_t line, int32_t token,
                        int32_t lineCount, std::string_view headerText = {}) {
  if (!scope.findings.wants(code)) return;
  Finding finding = bodyFinding(code, scope, line, token);
  finding.withKind(scope.kind, std::string(scope.typeWord)).with(std::string(scope.name));
  finding.fixes.push_back(code == FindingCode::kRunsIntoHeader ? missingEndBefore(line)
                                                               : missingEndAtEnd(lineCount));
  if (code == FindingCode::kRunsIntoHeader) {
    // The section whose header this is disappears into the one before.
    std::vector<std::string_view> header;
    tokenizeInto(headerText, header, 3);
    bool begin = header[0] == kBeginKeyword;
    std::string_view kindWord = begin && header.size() > 1 ? header[1] : std::string_view();
    SectionKind kind =
        !begin ? (header[0] == kStringKeyword ? SectionKind::kStringSection : SectionKind::kScript)
        : kindWord == kItemWord      ? SectionKind::kItem
        : kindWord == kCharacterWord ? SectionKind::kCharacter
                                     : SectionKind::kObject;
    size_t nameAt = begin ? 2 : 1;
    finding.withKind(kind, kind == SectionKind::kObject ? std::string(kindWord) : std::string())
        .with(nameAt < header.size() ? std::string(header[nameAt]) : std::string());
    finding.related = scope.findings.atToken(scope.headerLine, 0);
    finding.relatedNote = FindingCode::kNoteSectionStart;
  }
  scope.findings.report(std::move(finding));
}

}  // namespace

int32_t readAssignmentBlock(const SourceLines& lines, int32_t start, AtomTable& atoms,
                            AssignmentBuffer& buffer, const BodyScope* scope) {
  buffer.clear();
  int32_t count = lines.length();
  bool ranIntoHeader = false;
  for (int32_t i = start; i < count; ++i) {
    std::string_view text = lines[i];
    int32_t commentInWord = buffer.scan(text);
    size_t tokens = buffer.scanned();
    if (tokens == 0) continue;
    std::string_view first = buffer.scannedToken(text, 0);
    if (first == kEndKeyword) {
      if (scope != nullptr && tokens > 1 && !scope->script &&
          scope->findings.wants(FindingCode::kExtraEndTokens)) {
        Finding finding = bodyFinding(FindingCode::kExtraEndTokens, *scope, i, 1);
        scope->findings.report(std::move(finding.with(std::string(buffer.scannedToken(text, 1)))));
      }
      buffer.drop();
      return i + 1;
    }
    if (tokens <= 3 || buffer.scannedToken(text, 2) != kEqualsWord) {
      if (scope != nullptr) {
        if (isSectionKeyword(first)) {
          if (!ranIntoHeader)
            reportUnterminated(*scope, FindingCode::kRunsIntoHeader, i, 0, count, text);
          ranIntoHeader = true;
        } else if (!scope->script) {
          std::vector<std::string_view> views;
          for (size_t k = 0; k < tokens; ++k) views.push_back(buffer.scannedToken(text, k));
          reportSkippedLine(*scope, i, text, views);
        }
      }
      buffer.drop();
      continue;
    }
    if (commentInWord >= 0 && scope != nullptr && !scope->script) {
      reportCommentInWord(scope->findings, i, text, commentInWord);
    }
    if (scope != nullptr && !scope->script) {
      reportInvisibleCharacter(scope->findings, i, text, first);
      reportInvisibleCharacter(scope->findings, i, text, buffer.scannedToken(text, 1));
    }
    Atom typeWord = atoms.intern(first);
    Atom name = atoms.intern(buffer.scannedToken(text, 1));
    buffer.keep(typeWord, name, i, text.data());
  }
  if (scope != nullptr && !ranIntoHeader) {
    reportUnterminated(*scope, FindingCode::kRunsToEndOfFile, scope->headerLine, 0, count);
  }
  return count + 1;
}

}  // namespace rpgc
