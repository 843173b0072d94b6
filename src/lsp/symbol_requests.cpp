// Symbols: the sections of the outline, by file or by name across the projects.
#include "lsp/symbol_requests.h"

#include <filesystem>
#include <string>
#include <string_view>

#include "core/source_syntax.h"
#include "core/spelling.h"
#include "lsp/source_outline.h"
#include "lsp/uri_path.h"

namespace rpgc::lsp {

namespace {

int symbolKindOf(const OutlineSection& section) {
  constexpr int kFunction = 12, kString = 15, kObject = 19, kClass = 5, kStruct = 23;
  switch (section.kind) {
    case OutlineSection::Kind::kString:
      return kString;
    case OutlineSection::Kind::kScript:
      return kFunction;
    case OutlineSection::Kind::kObject:
      break;
  }
  if (section.typeWord == kItemWord) return kObject;
  if (section.typeWord == kCharacterWord) return kClass;
  return kStruct;
}

std::string detailOf(const OutlineSection& section) {
  switch (section.kind) {
    case OutlineSection::Kind::kString:
      return "string section";
    case OutlineSection::Kind::kScript:
      return "script";
    case OutlineSection::Kind::kObject:
      break;
  }
  return std::string(section.typeWord);
}

}  // namespace

Json documentSymbolsRequest(Workspace& ws, const Json& params) {
  std::string uri = params.at("textDocument").at("uri").get<std::string>();
  std::string path = normalPath(pathOfUri(uri));
  Json symbols = Json::array();
  if (pathOfUri(uri).empty() || ProjectSet::isDescription(path)) return symbols;
  Project& project = ws.projectOf(path);
  const SourceLines* lines = project.model.lines(project.firstIndex.at(path));
  if (lines == nullptr) return symbols;
  for (const OutlineSection& section : outlineOf(*lines)) {
    int32_t last = section.end < 0 ? lines->length() - 1 : section.end;
    Json range = {{"start", ws.json.positionJson((*lines)[section.header], section.header, 0)},
                  {"end", ws.json.positionJson((*lines)[last], last, (*lines)[last].size())}};
    symbols.push_back(
        {{"name", section.name.empty() ? "(no name)" : std::string(section.name)},
         {"detail", detailOf(section)},
         {"kind", symbolKindOf(section)},
         {"range", range},
         {"selectionRange", ws.json.rangeJson(lines, section.header, section.nameSpan)}});
  }
  return symbols;
}

Json workspaceSymbolsRequest(Workspace& ws, const Json& params) {
  std::string query = params.value("query", std::string());
  constexpr size_t kMostSymbols = 1000;
  Json symbols = Json::array();
  auto matches = [&](std::string_view name) {
    if (query.empty()) return true;
    if (name.size() < query.size()) return false;
    for (size_t at = 0; at + query.size() <= name.size(); ++at) {
      if (equalsIgnoringCase(name.substr(at, query.size()), query)) return true;
    }
    return false;
  };
  for (auto& project : ws.projects.all()) {
    for (const auto& [path, index] : project->firstIndex) {
      const SourceLines* lines = project->model.lines(index);
      if (lines == nullptr) continue;
      for (const OutlineSection& section : outlineOf(*lines)) {
        if (section.name.empty() || !matches(section.name)) continue;
        if (symbols.size() >= kMostSymbols) return symbols;
        symbols.push_back(
            {{"name", std::string(section.name)},
             {"kind", symbolKindOf(section)},
             {"containerName", std::filesystem::path(path).filename().string()},
             {"location",
              {{"uri", ws.documents.uriOf(path)},
               {"range", ws.json.rangeJson(lines, section.header, section.nameSpan)}}}});
      }
    }
  }
  return symbols;
}

}  // namespace rpgc::lsp
