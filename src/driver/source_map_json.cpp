// sourceMapJson: the settings grouped by object (a counting sort, so linear in the
// number of settings), then by property in the order each was first set.
#include "driver/source_map_json.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/atom_table.h"
#include "diagnostics/diagnostic_engine.h"
#include "diagnostics/text_escape.h"
#include "driver/compilation.h"
#include "model/game_object.h"
#include "source/source_map.h"

namespace rpgc {

namespace {

void appendPlace(std::string& json, const SourceMap::Place& place, const DiagnosticEngine& engine) {
  json += "{\"file\":";
  json += place.file >= 0 ? jsonString(engine.fileName(place.file)) : "null";
  json += ",\"line\":" + std::to_string(place.line);
  json += ",\"column\":";
  json += place.column > 0 ? std::to_string(place.column) : "null";
  json += "}";
}

void appendName(std::string& json, Atom atom, const AtomTable& atoms) {
  json += atom == kNoAtom ? "null" : jsonString(atoms.atomView(atom));
}

}  // namespace

std::string sourceMapJson(const SourceMap& map, Compilation& compilation,
                          const DiagnosticEngine& engine, const std::string& folder) {
  const AtomTable& atoms = compilation.atoms;
  const ObjectRegistry& registry = compilation.registry;
  const std::vector<SourceMap::Setting>& settings = map.settings();

  // Settings by object, in the order they were made.
  auto objects = static_cast<size_t>(registry.count());
  std::vector<size_t> first(objects + 1, 0);
  for (const SourceMap::Setting& setting : settings) {
    if (setting.object >= 0 && static_cast<size_t>(setting.object) < objects) {
      ++first[static_cast<size_t>(setting.object) + 1];
    }
  }
  for (size_t k = 0; k < objects; ++k) first[k + 1] += first[k];
  std::vector<const SourceMap::Setting*> byObject(first[objects]);
  std::vector<size_t> next(first.begin(), first.end() - 1);
  for (const SourceMap::Setting& setting : settings) {
    if (setting.object >= 0 && static_cast<size_t>(setting.object) < objects) {
      byObject[next[static_cast<size_t>(setting.object)]++] = &setting;
    }
  }

  std::string json = "{\"folder\":" + jsonString(folder) + ",\n\"objects\":[";
  // Reused from object to object: each property's places, in first-set order.
  std::unordered_map<Atom, size_t> slotOf;
  std::vector<std::pair<Atom, std::vector<const SourceMap::Place*>>> properties;
  for (size_t k = 0; k < objects; ++k) {
    GameObject* object = registry.at(static_cast<int32_t>(k));
    json += k == 0 ? "\n{\"name\":" : ",\n{\"name\":";
    appendName(json, object->name(), atoms);
    json += ",\"class\":" +
            jsonString(object->classNameText() != nullptr ? object->classNameText() : "");
    json += ",\"declared\":[";
    slotOf.clear();
    properties.clear();
    bool firstHeader = true;
    for (size_t s = first[k]; s < first[k + 1]; ++s) {
      const SourceMap::Setting& setting = *byObject[s];
      if (setting.property == kNoAtom) {
        if (!firstHeader) json += ",";
        firstHeader = false;
        appendPlace(json, setting.place, engine);
        continue;
      }
      auto [slot, added] = slotOf.emplace(setting.property, properties.size());
      if (added) properties.push_back({setting.property, {}});
      properties[slot->second].second.push_back(&setting.place);
    }
    json += "],\"properties\":{";
    for (size_t p = 0; p < properties.size(); ++p) {
      if (p > 0) json += ",";
      json += jsonString(atoms.atomView(properties[p].first)) + ":[";
      for (size_t q = 0; q < properties[p].second.size(); ++q) {
        if (q > 0) json += ",";
        appendPlace(json, *properties[p].second[q], engine);
      }
      json += "]";
    }
    json += "}}";
  }
  json += "\n],\n\"strings\":[";
  const StringTable& table = compilation.strings;
  bool firstSection = true;
  for (const SourceMap::Section& section : map.sections()) {
    if (section.index < 0 || section.index >= table.count()) continue;
    json += firstSection ? "\n{\"name\":" : ",\n{\"name\":";
    firstSection = false;
    appendName(json, table.at(section.index).name, atoms);
    json += ",\"index\":" + std::to_string(section.index) + ",\"declared\":";
    appendPlace(json, section.place, engine);
    json += "}";
  }
  json += "\n]}\n";
  return json;
}

}  // namespace rpgc
