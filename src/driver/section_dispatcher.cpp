// compileSource: header recognition and the walk over a file's lines, with the checks of
// headers and of the lines between sections.
#include "driver/section_dispatcher.h"

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/atom_table.h"
#include "core/finding_recorder.h"
#include "core/invisible_characters.h"
#include "core/source_syntax.h"
#include "core/spelling.h"
#include "driver/compilation.h"
#include "source/block_context.h"
#include "source/character_block.h"
#include "source/generic_block.h"
#include "source/item_block.h"
#include "source/script_section.h"
#include "source/source_map.h"
#include "source/tokenizer.h"
#include "strings/string_section.h"

namespace rpgc {

namespace {

RefString headerToken(const std::vector<std::string_view>& tokens, size_t index) {
  return index < tokens.size() ? RefString(tokens[index]) : RefString();
}

// The checks of section headers and of the lines outside sections. They only look at
// lines the walk passes over; what a section's parser reads is the parser's business.
class LayoutChecks {
 public:
  LayoutChecks(Compilation& compilation, const SourceLines& lines)
      : compilation_(compilation), ctx_(compilation.blocks), lines_(lines) {}

  void header(int32_t line, const std::vector<std::string_view>& tokens, int32_t commentInWord);
  /// A line the walk examines that starts no section.
  void outside(int32_t line, const std::vector<std::string_view>& tokens);
  /// A line the walk never examines: right after an END line, or the file's last line.
  void unexamined(int32_t line, bool afterEnd);

 private:
  void report(FindingCode code, int32_t line, int32_t token, std::string text0 = {},
              std::string text1 = {}, std::string text2 = {});
  /// Reports a finding about word (a view of the line) whose fix is to write fix instead.
  void reportWithFix(FindingCode code, int32_t line, std::string_view word, std::string_view fix,
                     std::string_view text1);
  void beginHeader(int32_t line, const std::vector<std::string_view>& tokens);
  std::string_view kindGuess(std::string_view kind, std::span<const std::string_view> kinds);
  void stringHeader(int32_t line, const std::vector<std::string_view>& tokens);

  Compilation& compilation_;
  BlockContext& ctx_;
  const SourceLines& lines_;
  std::vector<std::string_view> tokens_;
  // The generic type words checked for a misspelling, and their guesses: the headers of
  // a file repeat a few type words, each is guessed once (up to a few dozen words).
  std::vector<std::pair<std::string, std::string_view>> kindGuesses_;
  // After a header that is lost or misspelled, the lines of its section are not reported
  // one by one: quiet until the next END line.
  bool quiet_ = false;
};

void LayoutChecks::report(FindingCode code, int32_t line, int32_t token, std::string text0,
                          std::string text1, std::string text2) {
  if (!ctx_.wants(code)) return;
  Finding finding(code, SourcePlace::atToken(ctx_.file, line, token));
  finding.with(std::move(text0)).with(std::move(text1)).with(std::move(text2));
  ctx_.report(std::move(finding));
}

void LayoutChecks::reportWithFix(FindingCode code, int32_t line, std::string_view word,
                                 std::string_view fix, std::string_view text1) {
  if (!ctx_.wants(code)) return;
  // word is a view of the line: its place there is the fix's range.
  auto column = static_cast<int32_t>(word.data() - lines_[line].data()) + 1;
  Finding finding(code, SourcePlace::atColumn(ctx_.file, line, column));
  finding.with(std::string(word)).with(std::string(text1));
  finding.withFix(line, column, column + static_cast<int32_t>(word.size()), std::string(fix));
  ctx_.report(std::move(finding));
}

void LayoutChecks::header(int32_t line, const std::vector<std::string_view>& tokens,
                          int32_t commentInWord) {
  quiet_ = false;
  if (commentInWord >= 0) reportCommentInWord(ctx_.scope(), line, lines_[line], commentInWord);
  for (size_t k = 1; k < tokens.size() && k < 3; ++k) {
    reportInvisibleCharacter(ctx_.scope(), line, lines_[line], tokens[k]);
  }
  std::string_view keyword = tokens[0];
  if (keyword == kBeginKeyword) {
    beginHeader(line, tokens);
  } else if (keyword == kStringKeyword) {
    stringHeader(line, tokens);
  } else if (tokens.size() > 2) {
    report(FindingCode::kExtraHeaderTokens, line, 2, std::string(tokens[2]));
  }
}

std::string_view LayoutChecks::kindGuess(std::string_view kind,
                                         std::span<const std::string_view> kinds) {
  for (const auto& [word, guess] : kindGuesses_) {
    if (word == kind) return guess;
  }
  std::string_view guess = closestWord(kind, kinds, kind.size() < 5 ? 1 : 2);
  if (kindGuesses_.size() < 32) kindGuesses_.emplace_back(kind, guess);
  return guess;
}

void LayoutChecks::beginHeader(int32_t line, const std::vector<std::string_view>& tokens) {
  if (tokens.size() == 1) {
    report(FindingCode::kMissingNameAndTypeWord, line, 1);
    return;
  }
  std::string_view kind = tokens[1];
  if (kind == ",") {
    report(FindingCode::kHeaderComma, line, 1, ",",
           tokens.size() > 2 ? std::string(tokens[2]) : std::string());
    return;
  }
  bool generic = kind != kItemWord && kind != kCharacterWord;
  if (generic) {
    static constexpr std::string_view kKinds[] = {kItemWord, kCharacterWord};
    std::string_view guess = kindGuess(kind, kKinds);
    if (!guess.empty()) {
      reportWithFix(FindingCode::kMisspelledBlockKind, line, kind, guess, guess);
    }
  }
  if (tokens.size() == 2 && ctx_.wants(FindingCode::kMissingName)) {
    SectionKind words = !generic
                            ? (kind == kItemWord ? SectionKind::kItem : SectionKind::kCharacter)
                            : SectionKind::kObject;
    Finding finding(FindingCode::kMissingName, SourcePlace::atToken(ctx_.file, line, 2));
    ctx_.report(std::move(finding.withKind(words, generic ? std::string(kind) : std::string())));
  } else if (tokens.size() > 3) {
    report(FindingCode::kExtraHeaderTokens, line, 3, std::string(tokens[3]));
  }
}

void LayoutChecks::stringHeader(int32_t line, const std::vector<std::string_view>& tokens) {
  if (tokens.size() == 1) {
    report(FindingCode::kMissingStringName, line, 1);
    return;
  }
  Atom name = ctx_.atoms.intern(tokens[1]);
  SourcePlace here = SourcePlace::atToken(ctx_.file, line, 1);
  ctx_.sectionName = name;
  ctx_.sectionKind = SectionKind::kStringSection;
  ctx_.noteLength(name, tokens[1], here);
  std::vector<SourcePlace>& origins = compilation_.blocks.stringOrigins;
  size_t slot = static_cast<size_t>(name) + 1;
  if (slot >= origins.size()) origins.resize(std::max(slot + 1, origins.size() * 2));
  if (origins[slot].known()) {
    if (ctx_.wants(FindingCode::kDuplicateString)) {
      Finding finding(FindingCode::kDuplicateString, here);
      finding.with(std::string(tokens[1]));
      finding.related = origins[slot];
      finding.relatedNote = FindingCode::kNoteDeclaredHere;
      ctx_.report(std::move(finding));
    }
  } else {
    origins[slot] = here;
  }
  if (tokens.size() > 2 && tokens[2] != kRandomFlag) {
    report(FindingCode::kUnknownFlag, line, 2, std::string(tokens[2]));
  } else if (tokens.size() > 3) {
    report(FindingCode::kExtraHeaderTokens, line, 3, std::string(tokens[3]));
  }
}

void LayoutChecks::outside(int32_t line, const std::vector<std::string_view>& tokens) {
  std::string_view first = tokens[0];
  if (quiet_) {
    if (first == kEndKeyword) quiet_ = false;
    return;
  }
  if (reportInvisibleCharacter(ctx_.scope(), line, lines_[line], first)) {
    quiet_ = isSectionKeyword(withoutInvisibleCharacters(first));
    return;
  }
  for (std::string_view keyword : kSectionKeywords) {
    if (equalsIgnoringCase(first, keyword)) {
      reportWithFix(FindingCode::kKeywordCase, line, first, keyword, {});
      quiet_ = true;
      return;
    }
  }
  if (tokens.size() > 1) {
    std::string_view guess = closestWord(first, kSectionKeywords);
    if (!guess.empty()) {
      reportWithFix(FindingCode::kMisspelledKeyword, line, first, guess, guess);
      quiet_ = true;
      return;
    }
  }
  report(FindingCode::kStrayLine, line, 0);
}

void LayoutChecks::unexamined(int32_t line, bool afterEnd) {
  if (line < 0 || line >= lines_.length()) return;
  tokenizeInto(lines_[line], tokens_, 4);
  if (tokens_.empty()) return;
  if (!isSectionKeyword(tokens_[0])) {
    outside(line, tokens_);
    return;
  }
  quiet_ = true;
  if (afterEnd) {
    if (!ctx_.wants(FindingCode::kHeaderAfterEnd)) return;
    Finding finding(FindingCode::kHeaderAfterEnd, SourcePlace::atToken(ctx_.file, line, 0));
    finding.related = SourcePlace::atToken(ctx_.file, line - 1, 0);
    finding.relatedNote = FindingCode::kNotePreviousEnd;
    ctx_.report(std::move(finding));
  } else {
    report(FindingCode::kHeaderOnLastLine, line, 0);
  }
}

// Hands the block whose header, at line headerLine, starts with BEGIN to its parser; a
// unit's walk logs it (see ObjectBlock).
int32_t parseObjectBlock(const SourceLines& lines, int32_t headerLine,
                         const std::vector<std::string_view>& tokens, BlockContext& blocks) {
  ObjectBlock logged;
  if (blocks.objectBlocks != nullptr) {
    logged.headerLine = headerLine;
    logged.findingsFrom = blocks.deferredFolds != nullptr ? blocks.deferredFolds->count() : 0;
    logged.usesFrom = static_cast<int32_t>(blocks.namedUses.size());
  }
  int32_t start = headerLine + 1;
  std::string_view second = tokens.size() > 1 ? tokens[1] : std::string_view();
  int32_t next;
  if (tokens.size() > 1 && second == kItemWord) {
    next = parseItemBlock(lines, start, headerToken(tokens, 2), blocks);
  } else if (tokens.size() > 1 && second == kCharacterWord) {
    next = parseCharacterBlock(lines, start, headerToken(tokens, 2), blocks);
  } else {
    next = parseGenericBlock(lines, start, headerToken(tokens, 1), headerToken(tokens, 2), blocks);
  }
  if (blocks.objectBlocks != nullptr && next != -1) {
    logged.name = blocks.sectionName;
    logged.blockNumber = blocks.blockNumber;
    logged.findingsTo = blocks.deferredFolds != nullptr ? blocks.deferredFolds->count() : 0;
    logged.usesTo = static_cast<int32_t>(blocks.namedUses.size());
    blocks.objectBlocks->push_back(logged);
  }
  return next;
}

}  // namespace

int32_t compileObjectBlock(const SourceLines& lines, int32_t headerLine, Compilation& compilation) {
  std::vector<std::string_view> tokens;
  tokenizeInto(lines[headerLine], tokens, 4);
  return parseObjectBlock(lines, headerLine, tokens, compilation.blocks);
}

bool compileSource(SourceLines& lines, Compilation& compilation) {
  BlockContext& blocks = compilation.blocks;
  bool checking = blocks.findings != nullptr;
  LayoutChecks checks(compilation, lines);
  if (blocks.sourceMap != nullptr) blocks.sourceMap->setLines(blocks.file, &lines);
  FindingScope scope = blocks.scope();
  std::vector<std::string_view> tokens;
  bool failed = false;
  int32_t n = lines.length();
  int32_t i = 0;
  while (i < n - 1) {
    // A header needs its first words only; the fifth says there are extra ones.
    int32_t commentInWord = tokenizeInto(lines[i], tokens, 4);
    if (tokens.empty()) {
      ++i;
      continue;
    }
    std::string_view first = tokens[0];
    int32_t next = i;
    if (isSectionKeyword(first) && checking) checks.header(i, tokens, commentInWord);
    if (first == kScriptKeyword) {
      next = parseScriptSection(lines, i + 1, headerToken(tokens, 1), blocks);
    } else if (first == kBeginKeyword) {
      next = parseObjectBlock(lines, i, tokens, blocks);
    } else if (first == kStringKeyword) {
      next =
          parseStringSection(lines, i + 1, headerToken(tokens, 1), headerToken(tokens, 2),
                             compilation.atoms, compilation.strings, scope, blocks.deferredFolds);
      if (blocks.sourceMap != nullptr) {
        blocks.sourceMap->noteSection(compilation.strings.count() - 1, i);
      }
    } else if (checking) {
      checks.outside(i, tokens);
    }
    if (next == -1) {
      if (!compilation.keepGoing) return false;
      failed = true;
      next = blocks.resumeAt;
    }
    if (checking && next != i) {
      blocks.findings->sectionRead(blocks.file, i, std::min(next - 1, n - 1));
      checks.unexamined(next, true);
    }
    i = next + 1;
  }
  if (checking && i == n - 1) checks.unexamined(i, false);
  return !failed;
}

}  // namespace rpgc
