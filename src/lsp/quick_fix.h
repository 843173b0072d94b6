// quickFixOf: the one edit that mends a finding, for the findings that have exactly one.
//
// The fix is read from what the finding carries (its code, its place, the word it
// suggests); this is the one place that knows how, so that findings that come with a
// fix of their own can replace it.
#ifndef RPGC_LSP_QUICK_FIX_H_
#define RPGC_LSP_QUICK_FIX_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/finding.h"
#include "core/source_lines.h"

namespace rpgc::lsp {

struct QuickFix {
  std::string title;
  int32_t line = 0;  // the edit replaces bytes [start, end) of this line
  int32_t start = 0;
  int32_t end = 0;
  std::string newText;
  bool atEndOfFile = false;  // instead: newText is added after the file's last line
};

/// The closest name of an object of the project to a word, or empty.
using NameGuess = std::function<std::string(std::string_view)>;

/// The fix of finding, about lines, or none.
std::optional<QuickFix> quickFixOf(const Finding& finding, const SourceLines& lines,
                                   const NameGuess& closestObject);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_QUICK_FIX_H_
