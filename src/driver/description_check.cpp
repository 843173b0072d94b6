// checkDescription: the description file's lines that are read differently from how
// they are written.
#include "driver/description_check.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/source_syntax.h"
#include "diagnostics/diagnostic_engine.h"
#include "driver/run_settings.h"
#include "source/number_text.h"
#include "source/tokenizer.h"

namespace rpgc {

// Warnings about a description file that is read but ignored in part, and a note when
// the one argument given looks like a source file rather than a description.
void checkDescription(const SettledSettings& settled, bool loneArgument, DiagnosticEngine& engine) {
  const SourceLines& lines = settled.descriptionLines;
  if (!settled.descriptionRead) return;
  int32_t file = engine.addFile(settled.descriptionFile);
  engine.setLines(file, &lines);
  if (lines.length() < 4) {
    int32_t n = lines.length();
    engine.report(Finding(FindingCode::kDescriptionTooShort, SourcePlace{file, -1, -1, 0}).with(n));
  } else {
    NumberIssue issue = NumberIssue::kNone;
    std::string_view text = lines[1];
    float version = floatOfText(text, &issue);
    if (issue != NumberIssue::kNone) {
      FindingCode code = issue == NumberIssue::kNotANumber ? FindingCode::kDescriptionVersion
                         : issue == NumberIssue::kTrailingText
                             ? FindingCode::kDescriptionVersionTrailing
                             : FindingCode::kDescriptionVersionRange;
      char value[32];
      std::snprintf(value, sizeof value, "%g", static_cast<double>(version));
      int32_t column = static_cast<int32_t>(text.find_first_not_of(" \t")) + 1;
      engine.report(
          Finding(code, SourcePlace{file, 1, -1, column}).with(std::string(text)).with(value));
    }
    if (lines[2].empty()) {
      engine.report(Finding(FindingCode::kDescriptionNoOutput, SourcePlace{file, 2, -1, 0}));
    }
  }
  if (loneArgument) {
    std::vector<std::string_view> tokens;
    for (int32_t i = 0; i < lines.length(); ++i) {
      tokenizeInto(lines[i], tokens, 1);
      if (!tokens.empty() && isSectionKeyword(tokens[0])) {
        engine.report(Finding(FindingCode::kNoteLooksLikeSource, SourcePlace())
                          .with(settled.descriptionFile));
        break;
      }
    }
  }
  engine.setLines(file, nullptr);
}

}  // namespace rpgc
