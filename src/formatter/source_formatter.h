// formatSource: a source file in the canonical layout.
//
// The layout: sections one empty line apart (and one after the last), at most one
// empty line in a row anywhere else outside scripts; headers, assignments and END lines
// written as their words one blank apart ('=' standing apart, a ',' right after the word
// before it), type words and keywords in capitals, nothing in front of a line but in
// scripts, whose lines stay as written; comments kept, after one blank; no blanks at line
// ends; the line ends of the file (LF or CR LF, by its first line) and a UTF-8 byte order
// mark kept.
//
// A file that compiled without findings compiles to the same outputs once formatted: each
// file is compiled in both forms and compared before anything is said to have changed.
// Findings with a plain fix are fixed first (finding_fixes.h); findings whose intent is
// unclear leave the file as it is.
#ifndef RPGC_FORMATTER_SOURCE_FORMATTER_H_
#define RPGC_FORMATTER_SOURCE_FORMATTER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/finding.h"

namespace rpgc {

struct FormattedSource {
  /// True when the file is left as it is; findings then say why.
  bool refused = false;
  /// The file in the canonical layout.
  std::string text;
  /// For each line of text, the line of the original file it was made from (from 0), or
  /// -1 for a line added.
  std::vector<int32_t> origin;
  /// Notes of the fixes made, or the reasons of a refusal, at lines of the original file
  /// (place.file left to the caller).
  std::vector<Finding> findings;
};

/// Formats the content of one source file.
FormattedSource formatSource(std::string_view content);

}  // namespace rpgc

#endif  // RPGC_FORMATTER_SOURCE_FORMATTER_H_
