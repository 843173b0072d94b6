// writeListing: header line, then sections or objects, a line or an element at a time.
#include "tools/listing.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "diagnostics/text_escape.h"
#include "tools/dump_input.h"
#include "tools/escaped_output.h"
#include "tools/float_text.h"
#include "tools/source_places.h"
#include "tools/text_output.h"
#include "tools/value_text.h"

namespace rpgc {

namespace {

// "1 atom", "2 atoms".
std::string counted(int32_t count, std::string_view noun) {
  return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

void writeHeader(const DumpInput& input, std::string_view what, int32_t count,
                 std::string_view item, TextOutput& out) {
  FileHeader header = input.header();
  // The path as error lines show it: a control byte in a file name cannot reach the
  // terminal.
  out.put(escapeText(input.path)).put(": ").put(what).put(" of project ");
  if (header.hasProjectName()) {
    putShownText(out, header.projectName());
  } else {
    out.put("(none)");
  }
  std::string& text = out.buffer();
  text.append(", version ").append(shownFloatText(header.version()));
  text.append(", ").append(counted(header.atomCount(), "atom")).append(", ");
  text.append(counted(count, item)).append("\n");
  out.spill();
}

// "  (items.txt:3:12, items.txt:40:12)" after a line of the listing.
void appendPlaces(std::string& text, const std::vector<std::string>* places) {
  if (places == nullptr || places->empty()) return;
  text.append("  (");
  for (size_t i = 0; i < places->size(); ++i) {
    if (i > 0) text.append(", ");
    text.append(escapeText((*places)[i]));
  }
  text.push_back(')');
}

void writeSections(const StringTableFile& strings, TextOutput& out, const SourcePlaces* places) {
  int32_t index = 0;
  for (StringSectionView section : strings.sections()) {
    if (out.failed()) return;
    std::string& text = out.buffer();
    text.append("\nsection ");
    appendShownText(text, section.name());
    if (section.random()) text.append(" RANDOM");
    if (places != nullptr) {
      auto found = places->sections.find(index);
      if (found != places->sections.end()) text.append("  (" + escapeText(found->second) + ")");
    }
    ++index;
    text.push_back('\n');
    for (std::string_view line : section.texts()) {
      out.put("  ");
      putJsonString(out, line);
      out.put('\n');
    }
  }
}

// A property's line; with a map, the places that set it. A declared property declared
// several times is shown once per declaration, each with its own place when the counts
// agree.
void writeProperty(const PropertyView& property, TextOutput& out, const SourcePlaces::Object* map,
                   std::unordered_map<std::string_view, size_t>* seen) {
  out.put("  ");
  putShownProperty(out, property);
  const std::vector<std::string>* places =
      map != nullptr ? map->placesOf(property.name()) : nullptr;
  if (places != nullptr && seen != nullptr && places->size() > 1) {
    size_t occurrence = (*seen)[property.name()]++;
    if (occurrence < places->size()) {
      std::vector<std::string> one{(*places)[occurrence]};
      appendPlaces(out.buffer(), &one);
      places = nullptr;
    }
  }
  appendPlaces(out.buffer(), places);
  out.put('\n');
}

void writeObjects(const DatabaseFile& database, TextOutput& out, const SourcePlaces* places) {
  std::unordered_map<std::string_view, size_t> seen;  // declarations shown, by name
  for (ObjectView object : database.objects()) {
    if (out.failed()) return;
    const SourcePlaces::Object* map = places != nullptr ? places->object(object.name()) : nullptr;
    std::string& text = out.buffer();
    text.append("\nobject ");
    appendShownText(text, object.name());
    text.append(": ");
    appendShownText(text, object.className());
    if (object.flags() != 0) text.append(", flags ").append(std::to_string(object.flags()));
    if (map != nullptr) appendPlaces(text, &map->declared);
    text.push_back('\n');
    bool declaredShown = object.declaredListsMatch();
    for (PropertyView property : object.properties()) {
      if (!declaredShown || !property.storesDeclared()) writeProperty(property, out, map, nullptr);
    }
    if (declaredShown) {
      seen.clear();
      for (PropertyView property : object.declaredProperties()) {
        writeProperty(property, out, map, &seen);
      }
    } else {
      out.put("  (the lists of declared properties do not pair up)\n");
    }
  }
}

}  // namespace

void writeListing(const DumpInput& input, TextOutput& out, const SourcePlaces* places) {
  if (input.kind == FileKind::kStringTable) {
    writeHeader(input, "string table", input.strings.sectionCount(), "section", out);
    writeSections(input.strings, out, places);
  } else {
    writeHeader(input, "object database", input.database.objectCount(), "object", out);
    writeObjects(input.database, out, places);
  }
}

}  // namespace rpgc
