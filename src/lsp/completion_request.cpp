// completionRequest: the line as the editor holds it, cut into words.
#include "lsp/completion_request.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/source_syntax.h"
#include "lsp/request_target.h"
#include "source/character_block.h"
#include "source/item_block.h"
#include "source/typed_declarations.h"

namespace rpgc::lsp {

Json completionRequest(Workspace& ws, const Json& params) {
  At at = positionOf(ws, params);
  Json items = Json::array();
  bool incomplete = false;
  if (at.project == nullptr || at.file < 0) return {{"isIncomplete", false}, {"items", items}};
  const SourceLines& lines = *at.project->model.lines(at.file);
  // The line as the editor holds it: blanks after the last word count here.
  std::string text = ws.documents.textOf(at.path);
  std::string_view line = lineOf(text, lineStart(text, at.line));
  if (line.ends_with('\r')) line.remove_suffix(1);
  int64_t character = params.at("position").at("character").get<int64_t>();
  at.byte = byteOfColumn(line, character, ws.json.encoding);
  std::vector<std::string_view> words = wordsOf(line);
  // The word the cursor is in, and how many words come before it.
  size_t before = 0;
  std::string_view partial;
  for (std::string_view word : words) {
    size_t start = static_cast<size_t>(word.data() - line.data());
    if (start + word.size() < at.byte) {
      ++before;
    } else if (start <= at.byte) {
      partial = word.substr(0, at.byte - start);
      break;
    }
  }
  auto add = [&](std::string_view label, int kind) {
    items.push_back({{"label", std::string(label)}, {"kind", kind}});
  };
  std::vector<OutlineSection> outline = outlineOf(lines);
  const OutlineSection* section = sectionAt(outline, at.line);
  bool inText = section != nullptr && section->kind != OutlineSection::Kind::kObject &&
                section->header != at.line;
  if (inText) return {{"isIncomplete", false}, {"items", items}};
  bool inBody = section != nullptr && section->header != at.line;
  if (before == 0) {
    for (std::string_view keyword : kSectionKeywords) add(keyword, kCompletionKeyword);
    add(kEndKeyword, kCompletionKeyword);
    if (inBody) {
      for (std::string_view word : kTypeWords) add(word, kCompletionKeyword);
    }
  } else if (!inBody && before == 1 && words[0] == kBeginKeyword) {
    add(kItemWord, kCompletionKeyword);
    add(kCharacterWord, kCompletionKeyword);
  } else if (inBody && before == 1) {
    std::span<const std::string_view> fields;
    if (section->typeWord == kItemWord) fields = itemFixedFieldNames();
    if (section->typeWord == kCharacterWord) fields = characterFixedFieldNames();
    for (std::string_view field : fields) add(field, kCompletionField);
    if (section->typeWord == kCharacterWord) add("Type", kCompletionField);
  } else if (inBody && before >= 3 && words.size() >= 3 && words[2] == kEqualsWord) {
    constexpr size_t kMostItems = 500;
    bool strings = isStringField(words[1]);
    bool objects = words[0] == "REFERENCE" || words[0] == "REFERENCES";
    auto offer = [&](std::string_view name, int kind) {
      if (!name.starts_with(partial)) return;
      if (items.size() >= kMostItems) {
        incomplete = true;
        return;
      }
      add(name, kind);
    };
    if (strings) {
      for (const auto& [name, place] : at.project->model.stringSections()) {
        offer(name, kCompletionText);
      }
    } else if (objects) {
      for (const auto& [name, entry] : at.project->model.objects()) {
        offer(name, kCompletionReference);
      }
    }
  }
  return {{"isIncomplete", incomplete}, {"items", items}};
}

}  // namespace rpgc::lsp
