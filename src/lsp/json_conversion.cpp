// JsonConversion: columns counted in the client's encoding, words found by the outline's
// tokenizer.
#include "lsp/json_conversion.h"

#include <algorithm>
#include <string>
#include <vector>

#include "diagnostics/message_table.h"
#include "diagnostics/warning_options.h"

namespace rpgc::lsp {

Json JsonConversion::positionJson(std::string_view line, int32_t lineIndex, size_t byte) const {
  return {{"line", lineIndex}, {"character", columnOfByte(line, byte, encoding)}};
}

Json JsonConversion::rangeJson(const SourceLines* lines, int32_t line, WordSpan span) const {
  std::string_view text =
      lines != nullptr && line >= 0 && line < lines->length() ? (*lines)[line] : std::string_view();
  int32_t shown = std::max(line, 0);
  return {{"start", positionJson(text, shown, static_cast<size_t>(span.start))},
          {"end", positionJson(text, shown, static_cast<size_t>(span.end()))}};
}

Json JsonConversion::rangeOfPlace(const Project& project, const SourcePlace& place,
                                  int32_t endColumn) const {
  const SourceLines* lines = project.linesOf(place.file);
  if (place.line < 0 || lines == nullptr || place.line >= lines->length()) {
    return rangeJson(nullptr, std::max(place.line, 0), {});
  }
  std::string_view line = (*lines)[place.line];
  std::vector<std::string_view> words = wordsOf(line);
  WordSpan span;
  if (place.column > 0) {
    size_t start = static_cast<size_t>(place.column - 1);
    int32_t word = wordAt(words, line, start);
    span.start = static_cast<int32_t>(std::min(start, line.size()));
    if (endColumn > place.column) {
      span.length = std::min(endColumn - 1, static_cast<int32_t>(line.size())) - span.start;
    } else if (word >= 0) {
      span.length = spanOf(line, words[static_cast<size_t>(word)]).end() - span.start;
    }
  } else if (place.token >= 0 && static_cast<size_t>(place.token) < words.size()) {
    span = spanOf(line, words[static_cast<size_t>(place.token)]);
  } else if (!words.empty()) {
    span.start = spanOf(line, words.back()).end();
  }
  return rangeJson(lines, place.line, span);
}

Json JsonConversion::locationOfPlace(const Project& project, const SourcePlace& place) const {
  return {{"uri", documents_.uriOf(project.pathOf(place.file))},
          {"range", rangeOfPlace(project, place)}};
}

Json JsonConversion::diagnosticOf(const Project& project, const Finding& finding) const {
  static const WarningOptions kOptions;
  int severity = kSeverityInformation;
  switch (kOptions.severity(finding.code)) {
    case Severity::kError:
      severity = kSeverityError;
      break;
    case Severity::kWarning:
      severity = kSeverityWarning;
      break;
    case Severity::kNote:
      break;
  }
  Json diagnostic = {{"range", rangeOfPlace(project, finding.place, finding.endColumn)},
                     {"severity", severity},
                     {"source", "rpgc"},
                     {"code", std::string(messageRow(finding.code).name)},
                     {"message", messageOf(finding)}};
  if (finding.relatedNote != FindingCode::kCount && finding.related.known() &&
      finding.related.file < static_cast<int32_t>(project.files.size())) {
    Finding note = finding;
    note.code = finding.relatedNote;
    diagnostic["relatedInformation"] = Json::array(
        {{{"location", locationOfPlace(project, finding.related)}, {"message", messageOf(note)}}});
  }
  return diagnostic;
}

}  // namespace rpgc::lsp
