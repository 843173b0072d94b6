// The fixes, each made on the words of its line, and the refusals.
#include "formatter/finding_fixes.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "core/source_syntax.h"
#include "core/spelling.h"
#include "formatter/line_words.h"
#include "formatter/section_walk.h"
#include "source/typed_declarations.h"

namespace rpgc {

namespace {

constexpr FindingCode kFixedCodes[] = {
    FindingCode::kGluedEquals,     FindingCode::kKeywordCase,
    FindingCode::kUnknownTypeWord, FindingCode::kUnknownTypeWordGuess,
    FindingCode::kUnknownFlag,     FindingCode::kMisspelledBlockKind,
    FindingCode::kListComma,       FindingCode::kListCommaName,
    FindingCode::kListCommaGlued,  FindingCode::kHeaderAfterEnd,
};

// What each finding that leaves the file unchanged becomes; the texts stay.
constexpr std::pair<FindingCode, FindingCode> kRefusals[] = {
    {FindingCode::kRunsIntoHeader, FindingCode::kFormatRunsIntoHeader},
    {FindingCode::kRunsToEndOfFile, FindingCode::kFormatRunsToEndOfFile},
    {FindingCode::kHeaderOnLastLine, FindingCode::kFormatHeaderOnLastLine},
    {FindingCode::kDecimalComma, FindingCode::kFormatDecimalComma},
    {FindingCode::kDecimalCommaList, FindingCode::kFormatDecimalComma},
    {FindingCode::kDecimalCommaRange, FindingCode::kFormatDecimalComma},
};

bool isFixed(FindingCode code) {
  return std::find(std::begin(kFixedCodes), std::end(kFixedCodes), code) != std::end(kFixedCodes);
}

// The word of candidates that word is in another case, or empty.
template <typename Words>
std::string_view inOtherCase(std::string_view word, const Words& candidates) {
  for (std::string_view candidate : candidates) {
    if (word != candidate && equalsIgnoringCase(word, candidate)) return candidate;
  }
  return {};
}

// "FLOAT Weight=1.5", "FLOAT Weight= 1.5", "FLOAT Weight =1.5": the one '=' of the line
// made a word of its own, when that gives an assignment.
bool setEqualsApart(LineWords& line) {
  size_t equalsBytes = 0;
  size_t glued = line.words.size();
  for (size_t k = 0; k < line.words.size(); ++k) {
    std::string_view word = line.words[k];
    size_t here = static_cast<size_t>(std::count(word.begin(), word.end(), '='));
    equalsBytes += here;
    if (here > 0 && word != kEqualsWord) glued = k;
  }
  if (equalsBytes != 1 || glued == line.words.size()) return false;
  std::string_view word = line.words[glued];
  size_t at = word.find('=');
  auto gluedAt = line.words.begin() + static_cast<std::ptrdiff_t>(glued);
  std::vector<std::string_view> words(line.words.begin(), gluedAt);
  if (at > 0) words.push_back(word.substr(0, at));
  words.push_back(kEqualsWord);
  if (at + 1 < word.size()) words.push_back(word.substr(at + 1));
  words.insert(words.end(), gluedAt + 1, line.words.end());
  if (words.size() < 4 || words[2] != kEqualsWord) return false;
  line.words = std::move(words);
  return true;
}

Finding noteAt(FindingCode code, int32_t line) {
  return Finding(code, SourcePlace{-1, line, -1, 0});
}

// Fixes one line by the findings reported about it; true when its words changed.
bool fixLine(LineWords& words, LineRole role, int32_t originLine,
             std::span<const Finding* const> found, bool& blankBefore,
             std::vector<Finding>& notes) {
  bool rewritten = false;
  bool commaValue = false;
  for (const Finding* finding : found) {
    switch (finding->code) {
      case FindingCode::kHeaderAfterEnd:
        blankBefore = true;
        notes.push_back(noteAt(FindingCode::kFormatLineBeforeHeader, originLine));
        break;
      case FindingCode::kGluedEquals:
        if (role == LineRole::kBody && setEqualsApart(words)) {
          rewritten = true;
          notes.push_back(
              noteAt(FindingCode::kFormatEqualsSetApart, originLine).with(finding->texts[0]));
        }
        break;
      case FindingCode::kKeywordCase: {
        if (words.words.empty()) break;
        // END closes a block; a section keyword inside a body would only open another
        // section there, so it is left as it is.
        std::string_view keyword =
            role == LineRole::kBody && words.words.size() == 1
                ? inOtherCase(words.words[0], std::initializer_list<std::string_view>{kEndKeyword})
            : role == LineRole::kOutside ? inOtherCase(words.words[0], kSectionKeywords)
                                         : std::string_view();
        if (keyword.empty()) break;
        notes.push_back(noteAt(FindingCode::kFormatKeywordCase, originLine)
                            .with(std::string(words.words[0]))
                            .with(std::string(keyword)));
        words.words[0] = keyword;
        rewritten = true;
        break;
      }
      case FindingCode::kUnknownTypeWord:
      case FindingCode::kUnknownTypeWordGuess: {
        if (role != LineRole::kBody || words.words.empty()) break;
        std::string_view typeWord = inOtherCase(words.words[0], kTypeWords);
        if (typeWord.empty()) break;
        notes.push_back(noteAt(FindingCode::kFormatTypeWordCase, originLine)
                            .with(std::string(words.words[0]))
                            .with(std::string(typeWord)));
        words.words[0] = typeWord;
        rewritten = true;
        break;
      }
      case FindingCode::kUnknownFlag:
        if (role != LineRole::kHeader || words.words.size() < 3) break;
        if (inOtherCase(words.words[2], std::initializer_list<std::string_view>{kRandomFlag})
                .empty()) {
          break;
        }
        notes.push_back(
            noteAt(FindingCode::kFormatFlagCase, originLine).with(std::string(words.words[2])));
        words.words[2] = kRandomFlag;
        rewritten = true;
        break;
      case FindingCode::kMisspelledBlockKind: {
        if (role != LineRole::kHeader || words.words.size() < 2) break;
        const std::string& guess = finding->texts[1];
        if (words.words[1] == guess || !equalsIgnoringCase(words.words[1], guess)) break;
        notes.push_back(noteAt(FindingCode::kFormatBlockKindCase, originLine)
                            .with(std::string(words.words[1]))
                            .with(guess));
        words.words[1] = guess;
        rewritten = true;
        break;
      }
      case FindingCode::kListComma:
      case FindingCode::kListCommaName:
      case FindingCode::kListCommaGlued:  // "5,0" in a list of integers
        if (role == LineRole::kBody) commaValue = true;
        break;
      default:
        break;
    }
  }
  // A line with a comma read as a value loses every comma among its values, also those
  // the compiler ignored as extra values and so did not name: one round makes the line
  // what the next round finds nothing more to fix on.
  if (commaValue && words.isAssignment()) {
    std::vector<std::string_view> kept(words.words.begin(), words.words.begin() + 3);
    for (size_t k = 3; k < words.words.size(); ++k) {
      if (words.words[k] != ",") kept.push_back(words.words[k]);
    }
    size_t dropped = words.words.size() - kept.size();
    if (kept.size() >= 4 && dropped > 0) {
      notes.push_back(
          noteAt(FindingCode::kFormatListComma, originLine).with(static_cast<int64_t>(dropped)));
      words.words = std::move(kept);
      rewritten = true;
    }
  }
  return rewritten;
}

}  // namespace

FixableFindings::FixableFindings() {
  for (FindingCode code : kFixedCodes) wanted_.set(static_cast<size_t>(code));
  for (const auto& [found, refusal] : kRefusals) wanted_.set(static_cast<size_t>(found));
}

bool applyFixes(FixedLines& file, const std::vector<Finding>& findings,
                std::vector<Finding>& notes) {
  std::vector<const Finding*> fixes;
  for (const Finding& finding : findings) {
    if (isFixed(finding.code) && finding.place.line >= 0) fixes.push_back(&finding);
  }
  if (fixes.empty()) return false;
  std::stable_sort(fixes.begin(), fixes.end(), [](const Finding* a, const Finding* b) {
    return a->place.line < b->place.line;
  });
  std::vector<LineRole> roles = walkSections(file.lines);
  FixedLines fixed;
  fixed.origin.reserve(file.origin.size() + 1);
  bool changed = false;
  size_t next = 0;
  for (int32_t i = 0; i < file.lines.length(); ++i) {
    std::string_view text = file.lines[i];
    int32_t originLine = file.origin[static_cast<size_t>(i)];
    size_t first = next;
    while (next < fixes.size() && fixes[next]->place.line == i) ++next;
    bool blankBefore = false;
    std::string rewritten;
    if (next > first) {
      LineWords words(text);
      if (fixLine(words, roles[static_cast<size_t>(i)], originLine,
                  std::span(fixes).subspan(first, next - first), blankBefore, notes)) {
        rewritten = words.render();
        text = rewritten;
        changed = true;
      }
    }
    if (blankBefore) {
      fixed.lines.push("");
      fixed.origin.push_back(-1);
      changed = true;
    }
    fixed.lines.push(text);
    fixed.origin.push_back(originLine);
  }
  if (changed) file = std::move(fixed);
  return changed;
}

std::vector<Finding> refusalsOf(const FixedLines& file, const SourceLines& original,
                                const std::vector<Finding>& findings) {
  // A place in the fixed lines, at the original line; its column only when the line
  // is as it was.
  auto originalPlace = [&](SourcePlace place) {
    if (place.line < 0 || place.line >= file.lines.length()) return place;
    int32_t line = file.origin[static_cast<size_t>(place.line)];
    bool same = line >= 0 && file.lines[place.line] == original[line];
    place.line = line;
    if (!same) {
      place.token = -1;
      place.column = 0;
    }
    return place;
  };
  std::vector<Finding> refusals;
  for (const Finding& finding : findings) {
    for (const auto& [found, refusal] : kRefusals) {
      if (finding.code != found) continue;
      Finding error = finding;
      error.code = refusal;
      error.place = originalPlace(finding.place);
      if (error.related.known()) error.related = originalPlace(finding.related);
      refusals.push_back(std::move(error));
    }
  }
  std::stable_sort(refusals.begin(), refusals.end(),
                   [](const Finding& a, const Finding& b) { return a.place.line < b.place.line; });
  return refusals;
}

}  // namespace rpgc
