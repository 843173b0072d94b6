// formatSource: fixes to a fixed point, the layout of every line by its role, and the
// comparison of what both forms compile to.
#include "formatter/source_formatter.h"

#include <algorithm>
#include <numeric>

#include "core/source_lines.h"
#include "core/spelling.h"
#include "formatter/compiled_image.h"
#include "formatter/finding_fixes.h"
#include "formatter/line_words.h"
#include "formatter/section_walk.h"
#include "source/typed_declarations.h"

namespace rpgc {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Each round of fixes can bring to light only what the last one uncovered (a lost
// section's body); real files need one or two.
constexpr int kMostFixRounds = 8;

// Collects the lines of the formatted file. Empty lines are held back and written, one
// for a run, only before a line that may follow one: not at the start of the file or of a
// section, not before an END line, not at the end of the file.
class LayoutWriter {
 public:
  LayoutWriter(std::vector<std::string>& lines, std::vector<int32_t>& origin)
      : lines_(lines), origin_(origin) {}

  void line(std::string_view text, int32_t origin) {
    if (blank_ && !sectionStart_ && !lines_.empty()) push("", blankOrigin_);
    push(text, origin);
    blank_ = false;
    sectionStart_ = false;
    afterEnd_ = false;
  }
  /// An empty line of the file (origin), or one the layout wants (-1).
  void blank(int32_t origin) {
    if (!blank_) {
      blank_ = true;
      blankOrigin_ = origin;
    } else if (blankOrigin_ < 0) {
      blankOrigin_ = origin;
    }
  }
  void header(std::string_view text, int32_t origin) {
    line(text, origin);
    sectionStart_ = true;
  }
  /// A line written as it is, empty or not (a script's).
  void verbatim(std::string_view text, int32_t origin) {
    push(text, origin);
    sectionStart_ = false;
    afterEnd_ = false;
  }
  void end(std::string_view text, int32_t origin) {
    blank_ = false;
    line(text, origin);
    blank(-1);  // sections stand one empty line apart
    afterEnd_ = true;
  }
  /// Ends the file: after a last section, with an empty line, so that a section added at
  /// the end does not directly follow its END line (where it would be lost).
  void finish() {
    if (blank_ && afterEnd_) push("", blankOrigin_);
  }

 private:
  void push(std::string_view text, int32_t origin) {
    lines_.emplace_back(text);
    origin_.push_back(origin);
  }

  std::vector<std::string>& lines_;
  std::vector<int32_t>& origin_;
  bool blank_ = false;
  int32_t blankOrigin_ = -1;
  bool sectionStart_ = false;
  bool afterEnd_ = false;
};

void layOut(const FixedLines& file, LayoutWriter& out) {
  std::vector<LineRole> roles = walkSections(file.lines);
  for (int32_t i = 0; i < file.lines.length(); ++i) {
    std::string_view text = file.lines[i];
    std::string_view trimmed = withoutLeadingBlanks(text);
    int32_t origin = file.origin[static_cast<size_t>(i)];
    LineRole role = roles[static_cast<size_t>(i)];
    if (role == LineRole::kScript) {
      out.verbatim(text, origin);
    } else if (role == LineRole::kHeader) {
      out.header(LineWords(text).render(), origin);
    } else if (role == LineRole::kEnd) {
      out.end(LineWords(text).render(), origin);
    } else if (trimmed.empty()) {
      out.blank(origin);
    } else if (role == LineRole::kBody) {
      LineWords words(text);
      if (!words.isAssignment()) {
        out.line(trimmed, origin);
        continue;
      }
      // A lower-case type word was reported and fixed where it made the line skipped;
      // where it remains, the line sets a fixed field, whatever its type word.
      for (std::string_view typeWord : kTypeWords) {
        if (equalsIgnoringCase(words.words[0], typeWord)) words.words[0] = typeWord;
      }
      out.line(words.render(), origin);
    } else {
      out.line(trimmed, origin);  // a text, a comment, a stray line
    }
  }
}

FormattedSource refusal(Finding finding) {
  FormattedSource result;
  result.refused = true;
  result.findings.push_back(std::move(finding));
  return result;
}

// Notes in the order of the lines, each fix of a line said once.
void sortNotes(std::vector<Finding>& notes) {
  std::stable_sort(notes.begin(), notes.end(),
                   [](const Finding& a, const Finding& b) { return a.place.line < b.place.line; });
  auto same = [](const Finding& a, const Finding& b) {
    return a.place.line == b.place.line && a.code == b.code && a.texts[0] == b.texts[0];
  };
  notes.erase(std::unique(notes.begin(), notes.end(), same), notes.end());
}

}  // namespace

FormattedSource formatSource(std::string_view content) {
  bool byteOrderMark = content.starts_with(kByteOrderMark);
  size_t zero = content.find('\0');
  if (zero != std::string_view::npos) {
    std::string_view before = content.substr(0, zero);
    size_t lineStart = before.rfind('\n');
    lineStart = lineStart == std::string_view::npos ? (byteOrderMark ? 3 : 0) : lineStart + 1;
    auto line = static_cast<int32_t>(std::count(before.begin(), before.end(), '\n'));
    auto column = static_cast<int32_t>(zero - lineStart) + 1;
    return refusal(Finding(FindingCode::kFormatZeroByte, SourcePlace{-1, line, -1, column}));
  }
  FixedLines file;
  if (!file.lines.assign(std::string(content))) {
    return refusal(Finding(FindingCode::kLineTooLong, SourcePlace()));
  }
  const SourceLines original = file.lines;
  file.origin.resize(static_cast<size_t>(file.lines.length()));
  std::iota(file.origin.begin(), file.origin.end(), 0);

  FixableFindings found;
  CompiledImage image;
  std::vector<Finding> notes;
  for (int round = 0;; ++round) {
    found.findings.clear();
    image = compiledImage(file.lines, &found);
    if (round == kMostFixRounds || !applyFixes(file, found.findings, notes)) break;
  }
  FormattedSource result;
  result.findings = refusalsOf(file, original, found.findings);
  if (!result.findings.empty()) {
    result.refused = true;
    return result;
  }

  std::vector<std::string> lines;
  LayoutWriter writer(lines, result.origin);
  layOut(file, writer);
  writer.finish();
  // A line that starts with the byte order mark's bytes, moved to the top of a file that
  // has none, would read as the file's mark: an empty line keeps it a line of text.
  if (!byteOrderMark && !lines.empty() && lines[0].starts_with(kByteOrderMark)) {
    lines.insert(lines.begin(), std::string());
    result.origin.insert(result.origin.begin(), -1);
  }
  size_t lineFeed = content.find('\n');
  std::string_view lineEnd =
      lineFeed != std::string_view::npos && lineFeed > 0 && content[lineFeed - 1] == '\r' ? "\r\n"
                                                                                          : "\n";
  if (byteOrderMark && !lines.empty()) result.text = kByteOrderMark;
  for (size_t k = 0; k < lines.size(); ++k) {
    result.text += lines[k];
    result.text += lineEnd;
  }

  SourceLines formatted;
  if (!formatted.assign(result.text) || compiledImage(formatted, nullptr) != image) {
    return refusal(Finding(FindingCode::kFormatChangesOutput, SourcePlace()));
  }
  sortNotes(notes);
  result.findings = std::move(notes);
  return result;
}

}  // namespace rpgc
