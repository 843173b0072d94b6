// writeListing: header line, then sections or objects.
#include "tools/listing.h"

#include <string>

#include "tools/dump_input.h"
#include "tools/float_text.h"
#include "tools/text_escape.h"
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
  std::string& text = out.buffer();
  text.append(input.path).append(": ").append(what).append(" of project ");
  if (header.hasProjectName()) {
    appendShownText(text, header.projectName());
  } else {
    text.append("(none)");
  }
  text.append(", version ").append(shownFloatText(header.version()));
  text.append(", ").append(counted(header.atomCount(), "atom")).append(", ");
  text.append(counted(count, item)).append("\n");
  out.spill();
}

void writeSections(const StringTableFile& strings, TextOutput& out) {
  for (StringSectionView section : strings.sections()) {
    std::string& text = out.buffer();
    text.append("\nsection ");
    appendShownText(text, section.name());
    if (section.random()) text.append(" RANDOM");
    text.push_back('\n');
    for (std::string_view line : section.texts()) {
      text.append("  ");
      appendJsonString(text, line);
      text.push_back('\n');
    }
    out.spill();
  }
}

void writeObjects(const DatabaseFile& database, TextOutput& out) {
  for (ObjectView object : database.objects()) {
    std::string& text = out.buffer();
    text.append("\nobject ");
    appendShownText(text, object.name());
    text.append(": ");
    appendShownText(text, object.className());
    if (object.flags() != 0) text.append(", flags ").append(std::to_string(object.flags()));
    text.push_back('\n');
    bool declaredShown = object.declaredListsMatch();
    for (PropertyView property : object.properties()) {
      if (declaredShown && property.storesDeclared()) continue;
      text.append("  ");
      appendShownProperty(text, property);
      text.push_back('\n');
    }
    if (declaredShown) {
      for (PropertyView property : object.declaredProperties()) {
        text.append("  ");
        appendShownProperty(text, property);
        text.push_back('\n');
      }
    } else {
      text.append("  (the lists of declared properties do not pair up)\n");
    }
    out.spill();
  }
}

}  // namespace

void writeListing(const DumpInput& input, TextOutput& out) {
  if (input.kind == FileKind::kStringTable) {
    writeHeader(input, "string table", input.strings.sectionCount(), "section", out);
    writeSections(input.strings, out);
  } else {
    writeHeader(input, "object database", input.database.objectCount(), "object", out);
    writeObjects(input.database, out);
  }
}

}  // namespace rpgc
