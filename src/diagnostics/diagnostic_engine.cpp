// DiagnosticEngine: locating findings in their lines, and the text and JSON renderings.
#include "diagnostics/diagnostic_engine.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include "core/source_syntax.h"
#include "core/utf8.h"
#include "diagnostics/text_escape.h"
#include "io/line_reader.h"
#include "source/tokenizer.h"

namespace rpgc {

namespace {

constexpr std::string_view kBold = "\033[1m";
constexpr std::string_view kReset = "\033[0m";
constexpr std::string_view kGreen = "\033[1;32m";

// Lines longer than this are shown as a window around the column.
constexpr size_t kExcerptWidth = 160;
// Findings of one kind shown for one line in the text format; a long list of bad values
// would otherwise repeat one message thousands of times.
constexpr int32_t kShownPerLine = 3;

std::string_view severityWord(Severity severity) {
  switch (severity) {
    case Severity::kNote:
      return "note";
    case Severity::kWarning:
      return "warning";
    case Severity::kError:
      return "error";
  }
  return "error";
}

std::string_view severityColor(Severity severity) {
  switch (severity) {
    case Severity::kNote:
      return "\033[1;36m";
    case Severity::kWarning:
      return "\033[1;35m";
    case Severity::kError:
      return "\033[1;31m";
  }
  return "";
}

// The end of the word that starts at byte index at (the index after its last byte).
size_t wordEnd(std::string_view text, size_t at) {
  size_t end = at;
  while (end < text.size() && !endsWord(text[end])) ++end;
  return end;
}

// The source line as shown, each character as itself or, when it does not show as itself
// (a control but a tab, a byte that is not UTF-8), as '?'; the caret line under it: the
// same blanks and tabs up to the column (one blank per character shown), then '^' and '~'
// up to the end column; and, with a fix, the fix's text under the bytes it replaces (none
// when the line is shown as a window).
struct Excerpt {
  std::string shown;
  std::string caret;
  std::string fix;
};

Excerpt excerptLines(std::string_view text, int32_t column, int32_t endColumn,
                     const FindingFix* fix) {
  size_t caretAt = column > 0 ? static_cast<size_t>(column - 1) : text.size();
  caretAt = std::min(caretAt, text.size());
  size_t caretEnd = endColumn > column ? static_cast<size_t>(endColumn - 1) : caretAt + 1;
  size_t from = 0;
  size_t to = text.size();
  if (text.size() > kExcerptWidth) {
    from = caretAt > kExcerptWidth / 3 ? caretAt - kExcerptWidth / 3 : 0;
    to = std::min(text.size(), from + kExcerptWidth);
    while (from > 0 && isContinuationByte(text[from])) --from;
    while (to < text.size() && isContinuationByte(text[to])) ++to;
  }
  Excerpt excerpt;
  excerpt.shown = from > 0 ? "\u2026" : "";
  excerpt.caret = from > 0 ? " " : "";
  size_t fixAt = fix != nullptr && fix->column > 0 ? static_cast<size_t>(fix->column - 1) : 0;
  bool showFix = fix != nullptr && from == 0 && to == text.size() && fixAt <= text.size();
  std::string fixIndent;
  for (size_t i = from; i < to;) {
    size_t length = characterLength(text, i);
    bool tab = text[i] == '\t';
    if (tab || isPrintable(text, i)) {
      excerpt.shown.append(text.substr(i, length));
    } else {
      excerpt.shown += '?';
    }
    if (i < caretAt) excerpt.caret += tab ? '\t' : ' ';
    if (i >= caretAt && i < caretEnd && column > 0) excerpt.caret += i == caretAt ? '^' : '~';
    if (i < fixAt) fixIndent += tab ? '\t' : ' ';
    i += length;
  }
  if (column > 0 && caretAt >= to) excerpt.caret += '^';
  if (to < text.size()) excerpt.shown += "\u2026";
  if (showFix) excerpt.fix = fixIndent + escapeText(fix->replacement);
  return excerpt;
}

std::string jsonNumberOrNull(int32_t value) {
  return value > 0 ? std::to_string(value) : "null";
}

}  // namespace

bool standardErrorWantsColor() {
  const char* term = std::getenv("TERM");
  return isatty(fileno(stderr)) != 0 && std::getenv("NO_COLOR") == nullptr &&
         (term == nullptr || std::string_view(term) != "dumb");
}

DiagnosticEngine::DiagnosticEngine(WarningOptions options, DiagnosticStyle style, Output output)
    : output_(std::move(output)) {
  if (!output_) {
    output_ = [](std::string_view text) {
      std::fwrite(text.data(), 1, text.size(), stderr);
      std::fflush(stderr);
    };
  }
  configure(options, style);
}

void DiagnosticEngine::configure(const WarningOptions& options, const DiagnosticStyle& style) {
  options_ = options;
  style_ = style;
  for (const MessageRow& row : messageRows()) {
    wanted_.set(static_cast<size_t>(row.code), options_.shown(row.code));
  }
}

void DiagnosticEngine::reportOutOfMemory(FindingCode code) noexcept {
  // A stable sort that finds no memory sorts in place; the held texts are rendered.
  std::stable_sort(held_.begin(), held_.end(), [](const Held& a, const Held& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  for (const Held& held : held_) output_(held.text);
  held_.clear();
  perLine_.clear();
  sections_.clear();
  ++errors_;
  // The message has no placeholders, and it and the name hold nothing JSON escapes: both
  // go out as they are, a piece at a time (renderJson and headline, without the strings).
  const MessageRow& row = messageRow(code);
  if (style_.format == DiagnosticFormat::kJson) {
    output_(
        "{\"file\":null,\"line\":null,\"column\":null,\"endColumn\":null,\"severity\":\"error\","
        "\"name\":\"");
    output_(row.name);
    output_("\",\"message\":\"");
    output_(row.format);
    output_("\",\"fixes\":[],\"notes\":[]}\n");
    return;
  }
  if (style_.color) output_(kBold);
  output_(style_.program);
  output_(":");
  if (style_.color) output_(kReset);
  output_(" ");
  if (style_.color) output_(severityColor(Severity::kError));
  output_("error:");
  if (style_.color) output_(kReset);
  output_(" ");
  output_(row.format);
  output_("\n");
}

void DiagnosticEngine::showPaths(std::string runFolder, std::string shownFrom, bool absolute) {
  runFolder_ = std::move(runFolder);
  shownFrom_ = std::move(shownFrom);
  absolutePaths_ = absolute;
}

std::string DiagnosticEngine::shownPath(std::string_view path) const {
  namespace fs = std::filesystem;
  bool moved = runFolder_ != shownFrom_;
  if (path.empty() || runFolder_.empty() || !(moved || absolutePaths_)) return std::string(path);
  fs::path given(path);
  if (given.is_absolute()) return std::string(path);
  fs::path full = (fs::path(runFolder_) / given).lexically_normal();
  if (!full.has_filename()) full = full.parent_path();  // a folder: "sub/." gives "sub/"
  if (absolutePaths_) return full.string();
  fs::path relative = full.lexically_relative(shownFrom_);
  return relative.empty() ? full.string() : relative.string();
}

int32_t DiagnosticEngine::addFile(std::string path) {
  shownFiles_.push_back(shownPath(path));
  files_.push_back(std::move(path));
  return static_cast<int32_t>(files_.size()) - 1;
}

std::string DiagnosticEngine::countsText() const {
  std::string text;
  auto count = [&text](int32_t n, std::string_view one, std::string_view many) {
    if (n == 0) return;
    if (!text.empty()) text += ", ";
    text += std::to_string(n) + " ";
    text += n == 1 ? one : many;
  };
  count(warnings_, "warning", "warnings");
  count(errors_, "error", "errors");
  return text;
}

void DiagnosticEngine::summary(std::string_view text) {
  if (style_.format != DiagnosticFormat::kText) return;
  flush();
  std::string line;
  if (style_.color) {
    line += std::string(kBold) + style_.program + ":" + std::string(kReset) + " ";
  } else {
    line += style_.program + ": ";
  }
  line += text;
  line += "\n";
  output_(line);
}

void DiagnosticEngine::setLines(int32_t file, const SourceLines* lines) {
  flush();
  sections_.clear();
  currentFile_ = lines != nullptr ? file : -1;
  currentLines_ = lines;
}

void DiagnosticEngine::flush() {
  for (const auto& [key, count] : perLine_) {
    if (count <= kShownPerLine) continue;
    auto line = static_cast<int32_t>(key >> 16);
    auto code = static_cast<FindingCode>(key & 0xFFFF);
    Shown where;
    where.location =
        escapeText(shownFiles_[static_cast<size_t>(currentFile_)]) + ":" + std::to_string(line + 1);
    bool warning = messageRow(code).severity == Severity::kWarning;
    std::string message = std::to_string(count - kShownPerLine) + " more " +
                          (options_.severity(code) == Severity::kError ? "errors" : "warnings") +
                          " like this on this line are not shown";
    std::string tag = warning ? "[-W" + std::string(messageRow(code).name) + "]" : "";
    held_.push_back({line, INT32_MAX, headline(where, Severity::kNote, message, tag), 0});
  }
  perLine_.clear();
  // Findings come in the order the parsers meet them (a block's body, then its values);
  // shown by line and column they read like the file.
  std::stable_sort(held_.begin(), held_.end(), [](const Held& a, const Held& b) {
    return a.line != b.line ? a.line < b.line : a.column < b.column;
  });
  // Both lists go by line: one walk finds the section each finding is in.
  size_t section = 0;
  int32_t lastContext = -1;
  std::string context;  // JSON: the field of the current section
  bool text = style_.format == DiagnosticFormat::kText;
  for (Held& held : held_) {
    while (section < sections_.size() && sections_[section].second < held.line) ++section;
    bool inside = section < sections_.size() && sections_[section].first < held.line;
    if (inside && sections_[section].first != lastContext) {
      lastContext = sections_[section].first;
      if (text) {
        output_(contextLine(lastContext));
      } else {
        context = contextJson(lastContext);
      }
    }
    if (inside && !text) held.text.insert(held.contextAt, context);
    output_(held.text);
  }
  held_.clear();
}

void DiagnosticEngine::sectionRead(int32_t file, int32_t headerLine, int32_t lastLine) {
  if (file != currentFile_) return;
  if (!sections_.empty() && sections_.back().first >= headerLine) return;
  sections_.emplace_back(headerLine, lastLine);
}

DiagnosticEngine::SectionContext DiagnosticEngine::contextOf(
    int32_t headerLine, std::vector<std::string_view>& tokens) const {
  if (currentLines_ != nullptr && headerLine < currentLines_->length()) {
    tokenizeInto((*currentLines_)[headerLine], tokens, 3);
  }
  auto token = [&](size_t k) { return k < tokens.size() ? tokens[k] : std::string_view(); };
  if (token(0) == kBeginKeyword) {
    std::string_view kind = token(1);
    if (kind == kItemWord) return {"item", {}, token(2)};
    if (kind == kCharacterWord) return {"character", {}, token(2)};
    return {"object", kind, token(2)};
  }
  return {token(0) == kStringKeyword ? "string-section" : "script", {}, token(1)};
}

std::string DiagnosticEngine::contextLine(int32_t headerLine) {
  std::vector<std::string_view> tokens;
  SectionContext section = contextOf(headerLine, tokens);
  std::string words = section.kind == "object"
                          ? "`" + shortenMiddle(escapeText(section.typeWord)) + "` object"
                      : section.kind == "string-section" ? "string section"
                                                         : std::string(section.kind);
  std::string location = escapeText(shownFiles_[static_cast<size_t>(currentFile_)]) + ":";
  if (style_.color) location = std::string(kBold) + location + std::string(kReset);
  return location + " in " + words + " '" + shortenMiddle(escapeText(section.name)) + "':\n";
}

std::string DiagnosticEngine::contextJson(int32_t headerLine) {
  std::vector<std::string_view> tokens;
  SectionContext section = contextOf(headerLine, tokens);
  std::string json = ",\"context\":{\"kind\":\"" + std::string(section.kind) + "\"";
  if (section.kind == "object") json += ",\"typeWord\":" + jsonString(section.typeWord);
  json += ",\"name\":" + jsonString(section.name);
  json += ",\"line\":" + std::to_string(headerLine + 1) + "}";
  return json;
}

const SourceLines* DiagnosticEngine::linesOf(int32_t file) {
  if (file == currentFile_ && currentLines_ != nullptr) return currentLines_;
  if (file < 0 || static_cast<size_t>(file) >= files_.size()) return nullptr;
  auto found = cached_.find(file);
  if (found != cached_.end()) return found->second.length() > 0 ? &found->second : nullptr;
  if (cachedBytes_ > kCachedBytes) {
    cached_.clear();
    cachedBytes_ = 0;
  }
  SourceLines& lines = cached_[file];
  if (!readLines(files_[static_cast<size_t>(file)].c_str(), lines)) {
    lines.clear();  // remembered as unreadable
    return nullptr;
  }
  for (int32_t i = 0; i < lines.length(); ++i) cachedBytes_ += lines[i].size() + 8;
  return &lines;
}

DiagnosticEngine::Shown DiagnosticEngine::locate(const SourcePlace& place, int32_t endColumn,
                                                 const FindingFix* fix) {
  Shown where;
  if (!place.known() || static_cast<size_t>(place.file) >= files_.size()) return where;
  where.file = shownFiles_[static_cast<size_t>(place.file)];
  where.location = escapeText(where.file);
  if (place.line < 0) return where;
  where.line = place.line + 1;
  where.location += ":" + std::to_string(where.line);
  const SourceLines* lines = linesOf(place.file);
  bool haveText = lines != nullptr && place.line < lines->length();
  std::string_view text = haveText ? (*lines)[place.line] : std::string_view();
  where.column = place.column;
  if (where.column == 0 && place.token >= 0 && haveText) {
    std::vector<std::string_view> tokens;
    tokenizeInto(text, tokens);
    if (static_cast<size_t>(place.token) < tokens.size()) {
      where.column =
          static_cast<int32_t>(tokens[static_cast<size_t>(place.token)].data() - text.data()) + 1;
    } else {
      // What the place points at is missing: show the end of the line's last word.
      size_t end = tokens.empty() ? 0
                                  : static_cast<size_t>(tokens.back().data() - text.data()) +
                                        tokens.back().size();
      where.column = static_cast<int32_t>(end) + 1;
    }
  }
  if (where.column > 0) {
    where.location += ":" + std::to_string(where.column);
    size_t at = static_cast<size_t>(where.column - 1);
    where.endColumn = endColumn > where.column ? endColumn
                      : at < text.size()
                          ? static_cast<int32_t>(std::max(wordEnd(text, at), at + 1)) + 1
                          : where.column;
  }
  // A fix that adds lines is for editors: under the caret it would not read as one line.
  if (fix != nullptr &&
      (fix->line != place.line || fix->replacement.find('\n') != std::string::npos)) {
    fix = nullptr;
  }
  if (haveText && style_.format == DiagnosticFormat::kText) {
    Excerpt excerpt = excerptLines(text, where.column, where.endColumn, fix);
    std::string number = std::to_string(where.line);
    std::string gutter(std::max<size_t>(4, number.size()), ' ');
    number.insert(0, gutter.size() - number.size(), ' ');
    where.excerpt = " " + number + " | " + excerpt.shown + "\n";
    if (where.column > 0) {
      where.excerpt += " " + gutter + " | ";
      where.excerpt +=
          style_.color ? std::string(kGreen) + excerpt.caret + std::string(kReset) : excerpt.caret;
      where.excerpt += "\n";
    }
    if (!excerpt.fix.empty()) {
      where.excerpt += " " + gutter + " | ";
      where.excerpt +=
          style_.color ? std::string(kGreen) + excerpt.fix + std::string(kReset) : excerpt.fix;
      where.excerpt += "\n";
    }
  }
  return where;
}

std::string DiagnosticEngine::headline(const Shown& where, Severity severity,
                                       const std::string& message, std::string_view tag) {
  std::string line;
  std::string location = where.location.empty() ? style_.program : where.location;
  if (style_.color) {
    line += std::string(kBold) + location + ":" + std::string(kReset) + " ";
    line += std::string(severityColor(severity)) + std::string(severityWord(severity)) + ":" +
            std::string(kReset) + " ";
  } else {
    line += location + ": " + std::string(severityWord(severity)) + ": ";
  }
  line += message;
  if (!tag.empty()) {
    line += " ";
    line += style_.color
                ? std::string(severityColor(severity)) + std::string(tag) + std::string(kReset)
                : std::string(tag);
  }
  line += "\n";
  return line;
}

std::string DiagnosticEngine::renderText(const Finding& finding, Severity severity) {
  const MessageRow& row = messageRow(finding.code);
  std::string tag;
  if (row.severity == Severity::kWarning) {
    tag = options_.promoted(finding.code) ? "[-Werror=" + std::string(row.name) + "]"
                                          : "[-W" + std::string(row.name) + "]";
  }
  const FindingFix* fix = finding.fixes.size() == 1 ? &finding.fixes.front() : nullptr;
  Shown where = locate(finding.place, finding.endColumn, fix);
  heldColumn_ = where.column;
  std::string text = headline(where, severity, messageOf(finding), tag) + where.excerpt;
  if (finding.relatedNote != FindingCode::kCount && finding.related.known()) {
    Finding note = finding;
    note.code = finding.relatedNote;
    Shown related = locate(finding.related);
    text += headline(related, Severity::kNote, messageOf(note), {}) + related.excerpt;
  }
  return text;
}

std::string DiagnosticEngine::renderJson(const Finding& finding, Severity severity) {
  auto object = [&](const Shown& where, Severity level, std::string_view name,
                    const std::string& message) {
    std::string json = "{\"file\":";
    json += where.location.empty() ? "null" : jsonString(where.file);
    json += ",\"line\":" + jsonNumberOrNull(where.line);
    json += ",\"column\":" + jsonNumberOrNull(where.column);
    json += ",\"endColumn\":" + jsonNumberOrNull(where.endColumn);
    json += ",\"severity\":\"" + std::string(severityWord(level)) + "\"";
    json += ",\"name\":" + jsonString(name);
    json += ",\"message\":" + jsonString(message);
    return json;
  };
  Shown where = locate(finding.place, finding.endColumn);
  heldColumn_ = where.column;
  std::string json = object(where, severity, messageRow(finding.code).name, messageOf(finding));
  heldContextAt_ = json.size();
  json += ",\"fixes\":[";
  for (const FindingFix& fix : finding.fixes) {
    if (&fix != &finding.fixes.front()) json += ",";
    json += "{\"line\":" + std::to_string(fix.line + 1);
    json += ",\"column\":" + std::to_string(fix.column);
    json += ",\"endColumn\":" + std::to_string(fix.endColumn);
    json += ",\"replacement\":" + jsonString(fix.replacement) + "}";
  }
  json += "],\"notes\":[";
  if (finding.relatedNote != FindingCode::kCount && finding.related.known()) {
    Finding note = finding;
    note.code = finding.relatedNote;
    json += object(locate(finding.related), Severity::kNote, messageRow(note.code).name,
                   messageOf(note)) +
            ",\"fixes\":[]}";
  }
  json += "]}\n";
  return json;
}

void DiagnosticEngine::report(Finding finding) {
  if (!options_.shown(finding.code)) return;
  for (int i = 0; i < Finding::kTexts && finding.pathTexts != 0; ++i) {
    if ((finding.pathTexts >> i & 1) != 0) finding.texts[i] = shownPath(finding.texts[i]);
  }
  Severity severity = options_.severity(finding.code);
  if (severity == Severity::kError) ++errors_;
  if (severity == Severity::kWarning) ++warnings_;
  bool held = currentFile_ >= 0 && finding.place.file == currentFile_;
  if (held && style_.format == DiagnosticFormat::kText && finding.place.line >= 0) {
    uint64_t key =
        static_cast<uint64_t>(finding.place.line) << 16 | static_cast<uint64_t>(finding.code);
    if (++perLine_[key] > kShownPerLine) return;  // counted; the line's note tells
  }
  // Rendered now: a string section's lines are folded in place once it is read.
  std::string text = style_.format == DiagnosticFormat::kJson ? renderJson(finding, severity)
                                                              : renderText(finding, severity);
  if (held) {
    held_.push_back({finding.place.line, heldColumn_, std::move(text), heldContextAt_});
  } else {
    flush();
    output_(text);
  }
}

}  // namespace rpgc
