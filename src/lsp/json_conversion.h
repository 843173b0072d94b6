// JsonConversion: the compiler's places, lines and findings as the protocol's positions,
// ranges, locations and diagnostics, in the columns the client asked for.
#ifndef RPGC_LSP_JSON_CONVERSION_H_
#define RPGC_LSP_JSON_CONVERSION_H_

#include <cstdint>
#include <string_view>

#include "core/finding.h"
#include "core/source_lines.h"
#include "lsp/document_store.h"
#include "lsp/project_set.h"
#include "lsp/protocol.h"
#include "lsp/source_outline.h"
#include "lsp/text_positions.h"

namespace rpgc::lsp {

class JsonConversion {
 public:
  explicit JsonConversion(const DocumentStore& documents) : documents_(documents) {}

  PositionEncoding encoding = PositionEncoding::kUtf16;

  /// The position of a byte of line (number lineIndex).
  Json positionJson(std::string_view line, int32_t lineIndex, size_t byte) const;
  /// The range of a span of line of lines (an empty line when lines has none such).
  Json rangeJson(const SourceLines* lines, int32_t line, WordSpan span) const;
  /// The range a place points at: its column to endColumn (when past it) or to the end of
  /// its word, or its token.
  Json rangeOfPlace(const Project& project, const SourcePlace& place, int32_t endColumn = 0) const;
  Json locationOfPlace(const Project& project, const SourcePlace& place) const;
  /// A finding of the project as a diagnostic, its related place as related information.
  Json diagnosticOf(const Project& project, const Finding& finding) const;

 private:
  const DocumentStore& documents_;
};

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_JSON_CONVERSION_H_
