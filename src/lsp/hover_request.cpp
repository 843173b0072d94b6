// hoverRequest: the object's blocks compiled again with a source map.
#include "lsp/hover_request.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/atom_table.h"
#include "core/source_syntax.h"
#include "driver/compilation.h"
#include "driver/section_dispatcher.h"
#include "lsp/hover_text.h"
#include "lsp/request_target.h"
#include "model/game_object.h"
#include "source/source_map.h"

namespace rpgc::lsp {

namespace {

std::string hoverObject(Project& project, const std::string& name) {
  // The object's blocks alone, compiled in project order at their own lines (the other
  // lines left empty): the object as the database holds it, extensions merged, and where
  // each property was set as rpgc --source-map tells it.
  Compilation compilation;
  compilation.keepGoing = true;
  SourceMap map;
  compilation.blocks.sourceMap = &map;
  for (int32_t file = 0; file < project.model.fileCount(); ++file) {
    const SourceLines* lines = project.model.lines(file);
    if (lines == nullptr) continue;
    std::vector<OutlineSection> outline = outlineOf(*lines);
    bool named = std::any_of(outline.begin(), outline.end(), [&](const OutlineSection& section) {
      return section.kind == OutlineSection::Kind::kObject && section.name == name;
    });
    if (!named) continue;
    SourceLines blocks;
    int32_t next = 0;
    for (const OutlineSection& section : outline) {
      if (section.kind != OutlineSection::Kind::kObject || section.name != name) continue;
      int32_t last = section.end < 0 ? lines->length() - 1 : section.end;
      for (; next < section.header; ++next) blocks.push("");
      for (; next <= last; ++next) blocks.push((*lines)[next]);
    }
    blocks.push("");
    blocks.push("");
    compilation.blocks.file = file;
    compileSource(blocks, compilation);
  }
  Atom nameAtom = compilation.atoms.find(name);
  GameObject* object = compilation.registry.find(nameAtom);
  if (object == nullptr) return {};
  int32_t index = compilation.registry.indexOf(nameAtom);
  std::unordered_map<std::string, std::string> setBy;  // property name -> "file:line"
  for (const SourceMap::Setting& setting : map.settings()) {
    if (setting.object != index || setting.property == kNoAtom) continue;
    const SourceMap::Place& place = setting.place;
    setBy[std::string(compilation.atoms.atomView(setting.property))] =
        std::filesystem::path(project.files[static_cast<size_t>(place.file)]).filename().string() +
        ":" + std::to_string(place.line);
  }
  AtomTable& atoms = compilation.atoms;
  const ProjectModel::ObjectEntry* entry = project.model.object(name);
  std::string kind(kItemWord);
  if (entry != nullptr && entry->kind == SectionKind::kCharacter) kind = kCharacterWord;
  if (entry != nullptr && entry->kind == SectionKind::kObject) kind = std::string(entry->typeWord);
  std::string text = "**" + kind + " " + name + "** (" + object->classNameText() + ")\n\n```\n";
  for (int32_t i = 0; i < object->propertyCount(); ++i) {
    std::string value = valueText(object->property(i), atoms);
    if (value.empty()) continue;
    std::string property = object->propertyNameText(i);
    text += property + "  " + value;
    PropertyRef ref = object->property(i);
    if (ref.kind == ValueKind::kAtomList && property.ends_with("PropertyName")) {
      // The names of typed properties: each with the line that declared it.
      for (int32_t k = 0; k < ref.atoms().length(); ++k) {
        auto where = setBy.find(std::string(atoms.atomView(ref.atoms()[k])));
        if (where != setBy.end()) text += "  " + where->second;
      }
    } else if (auto where = setBy.find(property); where != setBy.end()) {
      text += "  " + where->second;
    }
    text += "\n";
  }
  return text + "```";
}

}  // namespace

Json hoverRequest(Workspace& ws, const Json& params) {
  At at = positionOf(ws, params);
  Target target = targetAt(ws, at);
  std::string text;
  switch (target.kind) {
    case TargetKind::kObject:
      text = hoverObject(*at.project, target.name);
      break;
    case TargetKind::kTypeWord:
      text = typeWordHelp(target.name);
      break;
    case TargetKind::kField:
      text = fieldHelp(target.blockKind, target.name);
      break;
    case TargetKind::kHeaderKind:
      if (target.name == kItemWord) {
        text =
            "**item**: an object of class F_item, with fixed fields and FLOAT ranges, ATOM and "
            "REFERENCE properties.";
      } else if (target.name == kCharacterWord) {
        text =
            "**character**: an object of class F_character, with fixed fields and typed "
            "properties.";
      } else {
        text = "**" + target.name +
               "**: a type word of objects of class F_generic, which hold "
               "typed properties only.";
      }
      break;
    case TargetKind::kString: {
      const SourcePlace* origin = at.project->model.stringSection(target.name);
      if (origin != nullptr) {
        text = "**string section " + target.name + "**, declared in " +
               std::filesystem::path(at.project->files[static_cast<size_t>(origin->file)])
                   .filename()
                   .string() +
               ":" + std::to_string(origin->line + 1);
      }
      break;
    }
    default:
      break;
  }
  if (text.empty()) return nullptr;
  const SourceLines* lines = at.file >= 0 ? at.project->model.lines(at.file) : nullptr;
  return {{"contents", {{"kind", "markdown"}, {"value", text}}},
          {"range", ws.json.rangeJson(lines, target.line, target.span)}};
}

}  // namespace rpgc::lsp
