// checkDescription: the description file's lines that are read differently from how
// they are written.
#include "driver/description_check.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/source_syntax.h"
#include "core/spelling.h"
#include "diagnostics/diagnostic_engine.h"
#include "driver/run_settings.h"
#include "source/number_text.h"
#include "source/tokenizer.h"

namespace rpgc {

void checkDescriptionLines(const SourceLines& lines, int32_t file, FindingSink& sink) {
  if (lines.length() < 4) {
    int32_t n = lines.length();
    sink.report(Finding(FindingCode::kDescriptionTooShort, SourcePlace{file, -1, -1, 0}).with(n));
    return;
  }
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
    sink.report(
        Finding(code, SourcePlace{file, 1, -1, column}).with(std::string(text)).with(value));
  }
  if (lines[2].empty()) {
    sink.report(Finding(FindingCode::kDescriptionNoOutput, SourcePlace{file, 2, -1, 0}));
  }
}

Finding sourceNotFound(Finding failure, const std::string& name, int32_t description, int32_t line,
                       const std::string& base) {
  failure.place = SourcePlace::atColumn(description, line, 1);
  failure.endColumn = static_cast<int32_t>(name.size()) + 1;
  std::filesystem::path path(name);
  std::filesystem::path folder = path.parent_path();
  std::filesystem::path listed =
      base.empty() || folder.is_absolute() ? folder : std::filesystem::path(base) / folder;
  std::error_code error;
  std::vector<std::string> names;
  for (std::filesystem::directory_iterator entry(listed.empty() ? "." : listed, error), end;
       !error && entry != end && names.size() < 10000; entry.increment(error)) {
    if (entry->is_regular_file(error)) names.push_back(entry->path().filename().string());
  }
  std::vector<std::string_view> candidates(names.begin(), names.end());
  std::string_view guess = closestWord(path.filename().string(), candidates);
  if (guess.empty()) return failure;
  std::string suggested = (folder / guess).string();
  failure.code = FindingCode::kCannotOpenSourceGuess;
  failure.with(suggested);
  failure.withFix(line, 1, static_cast<int32_t>(name.size()) + 1, suggested);
  return failure;
}

// Warnings about a description file that is read but ignored in part, and a note when
// the one argument given looks like a source file rather than a description.
void checkDescription(const SettledSettings& settled, bool loneArgument, DiagnosticEngine& engine) {
  const SourceLines& lines = settled.descriptionLines;
  if (!settled.descriptionRead) return;
  int32_t file = engine.addFile(settled.descriptionFile);
  engine.setLines(file, &lines);
  checkDescriptionLines(lines, file, engine);
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
