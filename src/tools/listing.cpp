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
                 std::string_view item, TextOutput& out, const ListingOptions& options) {
  FileHeader header = input.header();
  // The path as error lines show it: a control byte in a file name cannot reach the
  // terminal.
  if (options.headerPath) out.put(escapeText(input.path)).put(": ");
  out.put(what).put(" of project ");
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

void writeSections(const StringTableFile& strings, TextOutput& out, const SourcePlaces* places) {
  int32_t index = 0;
  for (StringSectionView section : strings.sections()) {
    if (out.failed()) return;
    out.put('\n');
    const std::string* place = nullptr;
    if (places != nullptr) {
      auto found = places->sections.find(index);
      if (found != places->sections.end()) place = &found->second;
    }
    writeListedSection(section, out, place);
    ++index;
  }
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

// A property's line; with a map, the places that set it. A declared property declared
// several times is shown once per declaration, each with its own place when the counts
// agree.
void writeProperty(const PropertyView& property, TextOutput& out,
                   const SourcePlaces::Object* map = nullptr,
                   std::unordered_map<std::string_view, size_t>* seen = nullptr) {
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

void writeObjects(const DatabaseFile& database, TextOutput& out, const ListingOptions& options) {
  for (ObjectView object : database.objects()) {
    if (out.failed()) return;
    out.put('\n');
    writeListedObject(object, out, options);
  }
}

}  // namespace

void writeListedSection(StringSectionView section, TextOutput& out, const std::string* place) {
  std::string& text = out.buffer();
  text.append("section ");
  appendShownText(text, section.name());
  if (section.random()) text.append(" RANDOM");
  if (place != nullptr) text.append("  (" + escapeText(*place) + ")");
  text.push_back('\n');
  for (std::string_view line : section.texts()) {
    out.put("  ");
    putJsonString(out, line);
    out.put('\n');
  }
}

void writeListedObject(ObjectView object, TextOutput& out, const ListingOptions& options) {
  std::string& text = out.buffer();
  text.append("object ");
  appendShownText(text, object.name());
  text.append(": ");
  appendShownText(text, object.className());
  if (object.flags() != 0) text.append(", flags ").append(std::to_string(object.flags()));
  const SourcePlaces::Object* map =
      options.places != nullptr ? options.places->object(object.name()) : nullptr;
  if (map != nullptr) appendPlaces(text, &map->declared);
  text.push_back('\n');
  bool declaredShown = object.declaredListsMatch();
  for (PropertyView property : object.properties()) {
    if (declaredShown && property.storesDeclared()) continue;
    if (options.allProperties || !holdsDefaultValue(property)) writeProperty(property, out, map);
  }
  if (declaredShown) {
    std::unordered_map<std::string_view, size_t> seen;  // declarations shown, by name
    for (PropertyView property : object.declaredProperties()) {
      writeProperty(property, out, map, &seen);
    }
  } else {
    out.put("  (the lists of declared properties do not pair up)\n");
  }
}

void writeListingHeader(const DumpInput& input, TextOutput& out, const ListingOptions& options) {
  if (input.kind == FileKind::kStringTable) {
    writeHeader(input, "string table", input.strings.sectionCount(), "section", out, options);
  } else {
    writeHeader(input, "object database", input.database.objectCount(), "object", out, options);
  }
}

void writeListing(const DumpInput& input, TextOutput& out, const ListingOptions& options) {
  writeListingHeader(input, out, options);
  if (input.kind == FileKind::kStringTable) {
    writeSections(input.strings, out, options.places);
  } else {
    writeObjects(input.database, out, options);
  }
}

}  // namespace rpgc
