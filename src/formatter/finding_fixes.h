// The findings rpgfmt fixes and those it refuses to guess about.
//
// The compiler's own checks say what is wrong with a file; where the intent is plain, the
// fix is made and said in a note: a '=' glued to a word, a keyword, type word or the
// RANDOM flag in the wrong case, commas between list values, a header right after an END
// line (which loses its section). A fix can bring lines to light that the compiler did
// not look at before (the body of a section that was lost), so the file is checked again
// after each round of fixes. Where the intent is not plain (a section without END, a
// decimal comma) the file is left as it is.
#ifndef RPGC_FORMATTER_FINDING_FIXES_H_
#define RPGC_FORMATTER_FINDING_FIXES_H_

#include <cstdint>
#include <vector>

#include "core/finding.h"
#include "core/source_lines.h"

namespace rpgc {

/// Receives the compiler's findings that the fixes and refusals look at.
class FixableFindings : public FindingSink {
 public:
  FixableFindings();
  void report(Finding finding) override { findings.push_back(std::move(finding)); }

  std::vector<Finding> findings;
};

/// A file being fixed: its lines and, for each, the line of the original file it comes
/// from (-1 for a line added).
struct FixedLines {
  SourceLines lines;
  std::vector<int32_t> origin;
};

/// Makes the fixes that findings (reported about file.lines) call for, each said by a note
/// in notes at the original line. False when there was nothing to fix.
bool applyFixes(FixedLines& file, const std::vector<Finding>& findings,
                std::vector<Finding>& notes);

/// The findings that leave the file unchanged, as rpgfmt's errors at the original lines.
std::vector<Finding> refusalsOf(const FixedLines& file, const SourceLines& original,
                                const std::vector<Finding>& findings);

}  // namespace rpgc

#endif  // RPGC_FORMATTER_FINDING_FIXES_H_
