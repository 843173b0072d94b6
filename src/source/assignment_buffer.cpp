// readAssignmentBlock: keeps the assignment-shaped lines of one block body.
#include "source/assignment_buffer.h"

#include <algorithm>

#include "core/atom_table.h"
#include "core/spelling.h"
#include "source/tokenizer.h"

namespace rpgc {

void AssignmentBuffer::clear() {
  typeWords.release();
  names.release();
  lines.release();
  text_.clear();
  spans_.clear();
  firstSpan_.assign(1, 0);
}

void AssignmentBuffer::append(Atom typeWord, Atom name,
                              std::span<const std::string_view> valueTokens, int32_t line,
                              const char* lineStart) {
  typeWords.push(typeWord);
  names.push(name);
  lines.push(line);
  for (std::string_view token : valueTokens) {
    spans_.push_back({static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(token.size()),
                      static_cast<uint32_t>(token.data() - lineStart + 1)});
    text_.append(token);
  }
  firstSpan_.push_back(static_cast<uint32_t>(spans_.size()));
}

ValueTokens AssignmentBuffer::values(int32_t i) const {
  size_t first = firstSpan_[static_cast<size_t>(i)];
  size_t end = firstSpan_[static_cast<size_t>(i) + 1];
  return ValueTokens(text_, std::span<const ValueTokens::Span>(spans_).subspan(first, end - first));
}

void AssignmentBuffer::retain(const std::vector<bool>& keep) {
  int32_t kept = 0;
  size_t keptSpans = 0;
  for (int32_t i = 0; i < count(); ++i) {
    if (!keep[static_cast<size_t>(i)]) continue;
    typeWords[kept] = typeWords[i];
    names[kept] = names[i];
    lines[kept] = lines[i];
    // Spans move down; the token texts stay where they are.
    for (uint32_t s = firstSpan_[static_cast<size_t>(i)];
         s < firstSpan_[static_cast<size_t>(i) + 1]; ++s) {
      spans_[keptSpans++] = spans_[s];
    }
    ++kept;
    firstSpan_[static_cast<size_t>(kept)] = static_cast<uint32_t>(keptSpans);
  }
  typeWords.resize(kept);
  names.resize(kept);
  lines.resize(kept);
  spans_.resize(keptSpans);
  firstSpan_.resize(static_cast<size_t>(kept) + 1);
}

namespace {

bool isSectionKeyword(std::string_view token) {
  return token == "BEGIN" || token == "STRING" || token == "SCRIPT";
}

Finding bodyFinding(FindingCode code, const BodyScope& scope, int32_t line, int32_t token) {
  return Finding(code, scope.findings.atToken(line, token));
}

// Says why a body line that is not an assignment is skipped, from the likeliest cause to
// the least specific one.
void reportSkippedLine(const BodyScope& scope, int32_t line,
                       const std::vector<std::string_view>& tokens) {
  const FindingScope& findings = scope.findings;
  auto report = [&](FindingCode code, int32_t token) {
    if (!findings.wants(code)) return;
    Finding finding = bodyFinding(code, scope, line, token);
    finding.with(std::string(tokens[static_cast<size_t>(token)]));
    findings.report(std::move(finding));
  };
  int32_t count = static_cast<int32_t>(tokens.size());
  bool keyword = count == 1 ? equalsIgnoringCase(tokens[0], "END")
                            : equalsIgnoringCase(tokens[0], "BEGIN") ||
                                  equalsIgnoringCase(tokens[0], "STRING") ||
                                  equalsIgnoringCase(tokens[0], "SCRIPT");
  if (keyword) return report(FindingCode::kKeywordCase, 0);
  int32_t equals = -1;
  for (int32_t k = 0; k < count; ++k) {
    if (tokens[static_cast<size_t>(k)] == "=") {
      equals = k;
      break;
    }
  }
  int32_t headerWords = equals < 0 ? std::min(count, 3) : equals;
  for (int32_t k = 0; k < headerWords; ++k) {
    std::string_view token = tokens[static_cast<size_t>(k)];
    if (token.find('=') != std::string_view::npos) return report(FindingCode::kGluedEquals, k);
  }
  for (int32_t k = 0; k < headerWords; ++k) {
    if (tokens[static_cast<size_t>(k)] == ",") return report(FindingCode::kCommaInAssignment, k);
  }
  if (equals == 2) return report(FindingCode::kNoValue, 2);
  if (equals == 1) return report(FindingCode::kMissingTypeWord, 0);
  if (equals > 2) return report(FindingCode::kNameNotOneWord, 2);
  if (count >= 3) return report(FindingCode::kMissingEquals, 2);
  report(FindingCode::kNotAssignment, 0);
}

void reportCommentInWord(const BodyScope& scope, int32_t line, std::string_view text, int32_t at) {
  if (!scope.findings.wants(FindingCode::kCommentInWord)) return;
  size_t wordStart = static_cast<size_t>(at);
  while (wordStart > 0 && !isBlankByte(text[wordStart - 1]) && text[wordStart - 1] != ',') {
    --wordStart;
  }
  size_t wordEnd = static_cast<size_t>(at);
  while (wordEnd < text.size() && !isBlankByte(text[wordEnd]) && text[wordEnd] != ',') ++wordEnd;
  Finding finding(FindingCode::kCommentInWord, scope.findings.atColumn(line, at + 1));
  finding.with(std::string(1, text[static_cast<size_t>(at)]))
      .with(std::string(text.substr(wordStart, wordEnd - wordStart)))
      .with(std::string(text.substr(wordStart, static_cast<size_t>(at) - wordStart)));
  scope.findings.report(std::move(finding));
}

void reportUnterminated(const BodyScope& scope, FindingCode code, int32_t line, int32_t token) {
  if (!scope.findings.wants(code)) return;
  Finding finding = bodyFinding(code, scope, line, token);
  std::string kind(scope.kind);
  if (scope.generic) kind = kind.empty() ? "object" : "`" + kind + "` object";
  finding.with(std::move(kind)).with(std::string(scope.name));
  if (code == FindingCode::kRunsIntoHeader) {
    finding.related = scope.findings.atToken(scope.headerLine, 0);
    finding.relatedNote = FindingCode::kNoteSectionStart;
  }
  scope.findings.report(std::move(finding));
}

}  // namespace

int32_t readAssignmentBlock(const StringList& lines, int32_t start, AtomTable& atoms,
                            AssignmentBuffer& buffer, const BodyScope* scope) {
  buffer.clear();
  std::vector<std::string_view>& tokens = buffer.tokens;
  int32_t count = lines.length();
  bool ranIntoHeader = false;
  for (int32_t i = start; i < count; ++i) {
    std::string_view text = lines[i].view();
    int32_t commentInWord = tokenizeInto(text, tokens);
    if (tokens.empty()) continue;
    if (tokens[0] == "END") {
      if (scope != nullptr && tokens.size() > 1 && !scope->script &&
          scope->findings.wants(FindingCode::kExtraEndTokens)) {
        Finding finding = bodyFinding(FindingCode::kExtraEndTokens, *scope, i, 1);
        scope->findings.report(std::move(finding.with(std::string(tokens[1]))));
      }
      return i + 1;
    }
    if (tokens.size() <= 3 || tokens[2] != "=") {
      if (scope == nullptr) continue;
      if (isSectionKeyword(tokens[0])) {
        if (!ranIntoHeader) reportUnterminated(*scope, FindingCode::kRunsIntoHeader, i, 0);
        ranIntoHeader = true;
      } else if (!scope->script) {
        reportSkippedLine(*scope, i, tokens);
      }
      continue;
    }
    if (commentInWord >= 0 && scope != nullptr && !scope->script) {
      reportCommentInWord(*scope, i, text, commentInWord);
    }
    Atom typeWord = atoms.intern(tokens[0]);
    Atom name = atoms.intern(tokens[1]);
    buffer.append(typeWord, name, std::span<const std::string_view>(tokens).subspan(3), i,
                  text.data());
  }
  if (scope != nullptr && !ranIntoHeader) {
    reportUnterminated(*scope, FindingCode::kRunsToEndOfFile, scope->headerLine, 0);
  }
  return count + 1;
}

}  // namespace rpgc
