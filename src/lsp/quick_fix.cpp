// quickFixOf: one case per finding code that has a fix.
#include "lsp/quick_fix.h"

#include <vector>

#include "core/source_syntax.h"
#include "lsp/source_outline.h"

namespace rpgc::lsp {

namespace {

// The word a finding's place points at: by index, or the word starting at its column.
int32_t wordOfPlace(const SourcePlace& place, std::string_view line,
                    const std::vector<std::string_view>& words) {
  if (place.column > 0) {
    return wordAt(words, line, static_cast<size_t>(place.column - 1));
  }
  return place.token >= 0 && static_cast<size_t>(place.token) < words.size() ? place.token : -1;
}

QuickFix replaceWord(std::string title, int32_t line, WordSpan span, std::string newText) {
  return {std::move(title), line, span.start, span.end(), std::move(newText), false};
}

}  // namespace

std::optional<QuickFix> quickFixOf(const Finding& finding, const SourceLines& lines,
                                   const NameGuess& closestObject) {
  const SourcePlace& place = finding.place;
  if (place.line < 0 || place.line >= lines.length()) return std::nullopt;
  std::string_view line = lines[place.line];
  std::vector<std::string_view> words = wordsOf(line);
  int32_t word = wordOfPlace(place, line, words);
  WordSpan span = word >= 0 ? spanOf(line, words[static_cast<size_t>(word)]) : WordSpan();
  auto suggest = [&](const std::string& guess) -> std::optional<QuickFix> {
    if (word < 0 || guess.empty()) return std::nullopt;
    return replaceWord("Change to '" + guess + "'", place.line, span, guess);
  };
  switch (finding.code) {
    case FindingCode::kMisspelledKeyword:
    case FindingCode::kMisspelledBlockKind:
    case FindingCode::kUnknownTypeWordGuess:
      return suggest(finding.texts[1]);
    case FindingCode::kMisspelledField:
      return suggest(finding.texts[3]);
    case FindingCode::kKeywordCase: {
      if (word < 0) return std::nullopt;
      std::string upper(words[static_cast<size_t>(word)]);
      for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      }
      return suggest(upper);
    }
    case FindingCode::kUnresolvedReference:
      if (word < 0 || !closestObject) return std::nullopt;
      return suggest(closestObject(words[static_cast<size_t>(word)]));
    case FindingCode::kGluedEquals: {
      if (word < 0) return std::nullopt;
      std::string_view glued = words[static_cast<size_t>(word)];
      size_t equals = glued.find('=');
      std::string spaced;
      for (std::string_view part :
           {glued.substr(0, equals), std::string_view("="), glued.substr(equals + 1)}) {
        if (part.empty()) continue;
        if (!spaced.empty()) spaced += ' ';
        spaced += part;
      }
      return replaceWord("Set '=' apart", place.line, span, spaced);
    }
    case FindingCode::kRunsIntoHeader:
      return QuickFix{"Add the missing END", place.line, 0, 0, "END\n\n", false};
    case FindingCode::kRunsToEndOfFile:
      return QuickFix{"Add the missing END", 0, 0, 0, "END\n", true};
    default:
      return std::nullopt;
  }
}

}  // namespace rpgc::lsp
