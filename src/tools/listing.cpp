// writeListing: header line, then sections or objects, a line or an element at a time.
#include "tools/listing.h"

#include <string>

#include "diagnostics/text_escape.h"
#include "tools/dump_input.h"
#include "tools/escaped_output.h"
#include "tools/float_text.h"
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

void writeSections(const StringTableFile& strings, TextOutput& out) {
  for (StringSectionView section : strings.sections()) {
    if (out.failed()) return;
    out.put('\n');
    writeListedSection(section, out);
  }
}

void writeProperty(const PropertyView& property, TextOutput& out) {
  out.put("  ");
  putShownProperty(out, property);
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

void writeListedSection(StringSectionView section, TextOutput& out) {
  std::string& text = out.buffer();
  text.append("section ");
  appendShownText(text, section.name());
  if (section.random()) text.append(" RANDOM");
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
  text.push_back('\n');
  bool declaredShown = object.declaredListsMatch();
  for (PropertyView property : object.properties()) {
    if (declaredShown && property.storesDeclared()) continue;
    if (options.allProperties || !holdsDefaultValue(property)) writeProperty(property, out);
  }
  if (declaredShown) {
    for (PropertyView property : object.declaredProperties()) writeProperty(property, out);
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
    writeSections(input.strings, out);
  } else {
    writeObjects(input.database, out, options);
  }
}

}  // namespace rpgc
