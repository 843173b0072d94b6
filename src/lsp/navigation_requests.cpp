// Navigation: a name's places found by the outline of every file of the project.
#include "lsp/navigation_requests.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/source_syntax.h"
#include "lsp/request_target.h"
#include "lsp/uri_path.h"

namespace rpgc::lsp {

namespace {

template <typename Found>
void forEachPlaceOf(Project& project, const Target& target, Found found) {
  bool stringSection = target.kind == TargetKind::kString;
  for (const auto& entry : project.firstIndex) {
    int32_t file = entry.second;
    const SourceLines* lines = project.model.lines(file);
    if (lines == nullptr) continue;
    std::vector<OutlineSection> outline = outlineOf(*lines);
    forEachNamePlace(*lines, outline, target.name, stringSection,
                     [&](int32_t line, WordSpan span) { found(file, *lines, line, span); });
  }
}

}  // namespace

Json definitionRequest(Workspace& ws, const Json& params) {
  At at = positionOf(ws, params);
  Target target = targetAt(ws, at);
  if (target.kind == TargetKind::kFile) {
    return {
        {"uri", uriOfPath(target.name)},
        {"range",
         {{"start", {{"line", 0}, {"character", 0}}}, {"end", {{"line", 0}, {"character", 0}}}}}};
  }
  const SourcePlace* origin = nullptr;
  if (target.kind == TargetKind::kObject) {
    const ProjectModel::ObjectEntry* entry = at.project->model.object(target.name);
    if (entry != nullptr) origin = &entry->origin;
  } else if (target.kind == TargetKind::kString) {
    origin = at.project->model.stringSection(target.name);
  }
  if (origin == nullptr || !origin->known()) return nullptr;
  return ws.json.locationOfPlace(*at.project, *origin);
}

Json referencesRequest(Workspace& ws, const Json& params, bool highlights) {
  At at = positionOf(ws, params);
  Target target = targetAt(ws, at);
  Json result = Json::array();
  if (target.kind != TargetKind::kObject && target.kind != TargetKind::kString) {
    return highlights ? Json(nullptr) : result;
  }
  bool withDeclaration = true;
  if (params.contains("context") && params["context"].contains("includeDeclaration")) {
    withDeclaration = params["context"]["includeDeclaration"].get<bool>();
  }
  Project& project = *at.project;
  forEachPlaceOf(
      project, target, [&](int32_t file, const SourceLines& lines, int32_t line, WordSpan span) {
        std::vector<std::string_view> words = wordsOf(lines[line]);
        bool header = !words.empty() && isSectionKeyword(words[0]);
        if (highlights) {
          if (file != at.file) return;
          result.push_back({{"range", ws.json.rangeJson(&lines, line, span)},
                            {"kind", header ? kHighlightWrite : kHighlightRead}});
          return;
        }
        if (header && !withDeclaration) return;
        const std::string& path = project.files[static_cast<size_t>(file)];
        result.push_back(
            {{"uri", ws.documents.uriOf(path)}, {"range", ws.json.rangeJson(&lines, line, span)}});
      });
  return result;
}

Json prepareRenameRequest(Workspace& ws, const Json& params) {
  At at = positionOf(ws, params);
  Target target = targetAt(ws, at);
  bool known = (target.kind == TargetKind::kObject && at.project->model.object(target.name)) ||
               (target.kind == TargetKind::kString && at.project->model.stringSection(target.name));
  if (!known) return nullptr;
  return {{"range", ws.json.rangeJson(at.project->model.lines(at.file), target.line, target.span)},
          {"placeholder", target.name}};
}

Json renameRequest(Workspace& ws, const Json& params) {
  At at = positionOf(ws, params);
  Target target = targetAt(ws, at);
  std::string newName = params.at("newName").get<std::string>();
  bool object = target.kind == TargetKind::kObject && at.project->model.object(target.name);
  bool section = target.kind == TargetKind::kString && at.project->model.stringSection(target.name);
  if (!object && !section) {
    throw RequestError{kRequestFailed, "there is no object or string section to rename here"};
  }
  bool oneWord = !newName.empty();
  for (char c : newName) {
    if (kByteClasses[static_cast<unsigned char>(c)] != kWordByte) oneWord = false;
  }
  if (!oneWord || newName == kEqualsWord) {
    throw RequestError{kRequestFailed, "'" + newName +
                                           "' cannot be a name: a name is one word, without "
                                           "blanks, ',', ';' or '/'"};
  }
  if (object ? at.project->model.object(newName) != nullptr
             : at.project->model.stringSection(newName) != nullptr) {
    throw RequestError{kRequestFailed, "'" + newName + "' is already the name of " +
                                           (object ? "an object" : "a string section") +
                                           " of the project"};
  }
  Json changes = Json::object();
  Project& project = *at.project;
  forEachPlaceOf(project, target,
                 [&](int32_t file, const SourceLines& lines, int32_t line, WordSpan span) {
                   const std::string& path = project.files[static_cast<size_t>(file)];
                   std::string uri = ws.documents.uriOf(path);
                   changes[uri].push_back(
                       {{"range", ws.json.rangeJson(&lines, line, span)}, {"newText", newName}});
                 });
  return {{"changes", changes}};
}

}  // namespace rpgc::lsp
