// positionOf, targetAt: a position read against the outline of its file.
#include "lsp/request_target.h"

#include <filesystem>
#include <string_view>
#include <vector>

#include "core/source_syntax.h"
#include "lsp/uri_path.h"

namespace rpgc::lsp {

At positionOf(Workspace& ws, const Json& params) {
  At at;
  std::string uri = params.at("textDocument").at("uri").get<std::string>();
  if (pathOfUri(uri).empty()) return at;
  at.path = normalPath(pathOfUri(uri));
  at.project = &ws.projectOf(at.path);
  auto index = at.project->firstIndex.find(at.path);
  at.file = index == at.project->firstIndex.end() ? -1 : index->second;
  int64_t line = params.at("position").at("line").get<int64_t>();
  int64_t character = params.at("position").at("character").get<int64_t>();
  SourceLines description;
  const SourceLines* lines = at.file >= 0 ? at.project->model.lines(at.file) : nullptr;
  if (at.file < 0) {
    description = linesOfText(ws.documents.textOf(at.path));
    lines = &description;
  }
  if (lines == nullptr || line < 0 || line >= lines->length() || character < 0) {
    at.project = nullptr;
    return at;
  }
  at.line = static_cast<int32_t>(line);
  at.byte = byteOfColumn((*lines)[at.line], character, ws.json.encoding);
  return at;
}

Target targetAt(Workspace& ws, const At& at) {
  Target target;
  if (at.project == nullptr) return target;
  Project& project = *at.project;
  target.line = at.line;
  if (at.file < 0) {
    // A description: its lines from the fourth name the source files.
    if (at.path != project.description || at.line < 3) return target;
    SourceLines lines = linesOfText(ws.documents.textOf(at.path));
    std::string_view name = lines[at.line];
    if (name.empty()) return target;
    std::filesystem::path file(name);
    if (file.is_relative()) file = std::filesystem::path(project.folder) / file;
    target.kind = TargetKind::kFile;
    target.name = normalPath(file.string());
    target.span = {0, static_cast<int32_t>(name.size())};
    return target;
  }
  const SourceLines& lines = *project.model.lines(at.file);
  std::string_view line = lines[at.line];
  std::vector<std::string_view> words = wordsOf(line);
  int32_t k = wordAt(words, line, at.byte);
  if (k < 0) return target;
  std::vector<OutlineSection> outline = outlineOf(lines);
  const OutlineSection* section = sectionAt(outline, at.line);
  if (section == nullptr) return target;
  std::string_view word = words[static_cast<size_t>(k)];
  target.name = std::string(word);
  target.span = spanOf(line, word);
  if (section->header == at.line) {
    if (section->kind == OutlineSection::Kind::kObject) {
      if (k == 2) target.kind = TargetKind::kObject;
      if (k == 1) target.kind = TargetKind::kHeaderKind;
    } else if (section->kind == OutlineSection::Kind::kString && k == 1) {
      target.kind = TargetKind::kString;
    }
    return target;
  }
  if (section->kind != OutlineSection::Kind::kObject || section->end == at.line) return target;
  target.blockKind = std::string(section->typeWord);
  if (k == 0) {
    target.kind = TargetKind::kTypeWord;
  } else if (k == 1) {
    target.kind = TargetKind::kField;
  } else if (k >= 3 && words.size() >= 4 && words[2] == kEqualsWord && word != ",") {
    target.kind = isStringField(words[1]) ? TargetKind::kString : TargetKind::kObject;
  }
  return target;
}

}  // namespace rpgc::lsp
