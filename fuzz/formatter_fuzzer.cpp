// Fuzz entry of rpgfmt's formatter: one source file formatted, then formatted again.
//
// Promises checked: nothing crashes or reads out of bounds; a file is either left
// unchanged with a reason, or formatted into a text that formats to itself without a
// note, whose line origins rise through the file, and (checked inside formatSource, which
// refuses otherwise) that compiles to what the file with its fixes compiles to; a file
// without fixes never reaches that refusal.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formatter/source_formatter.h"
#include "formatter/unified_diff.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rpgc;
  std::string_view input = fuzz::inputText(data, size);
  FormattedSource formatted = formatSource(input);
  for (const Finding& finding : formatted.findings) {
    fuzz::require(finding.code != FindingCode::kFormatChangesOutput);
  }
  if (formatted.refused) {
    fuzz::require(!formatted.findings.empty() && formatted.text.empty());
    return 0;
  }
  int32_t last = -1;
  for (int32_t origin : formatted.origin) {
    fuzz::require(origin == -1 || origin > last);
    if (origin >= 0) last = origin;
  }
  FormattedSource again = formatSource(formatted.text);
  fuzz::require(!again.refused && again.findings.empty() && again.text == formatted.text);
  std::string diff = unifiedDiff("f", input, formatted.text, formatted.origin);
  fuzz::require(diff.empty() == (input == formatted.text));
  return 0;
}
