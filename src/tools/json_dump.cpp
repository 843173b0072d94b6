// writeJson: the document, written as it goes.
#include "tools/json_dump.h"

#include <string>

#include "diagnostics/text_escape.h"
#include "tools/dump_input.h"
#include "tools/escaped_output.h"
#include "tools/float_text.h"
#include "tools/text_output.h"
#include "tools/value_text.h"

namespace rpgc {

namespace {

void appendReference(std::string& out, const ObjectReference& reference) {
  if (!reference.present) {
    out.append("null");
    return;
  }
  out.append("{\"instance\": ").append(std::to_string(reference.instance)).append(", \"name\": ");
  appendJsonString(out, reference.name);
  out.push_back('}');
}

// The array an element at a time, so that the output holds one block, not the list.
template <class List, class AppendElement>
void putArray(TextOutput& out, const List& list, AppendElement appendElement) {
  out.buffer().push_back('[');
  for (int32_t i = 0; i < list.size() && !out.failed(); ++i) {
    if (i > 0) out.buffer().append(", ");
    appendElement(out.buffer(), list[i]);
    out.spill();
  }
  out.put(']');
}

void putValue(TextOutput& out, const PropertyView& property) {
  auto name = [](std::string& text, std::string_view value) { appendJsonString(text, value); };
  auto number = [](std::string& text, int32_t value) { text.append(std::to_string(value)); };
  auto real = [](std::string& text, float value) { text.append(jsonFloatText(value)); };
  std::string& text = out.buffer();
  switch (property.kind()) {
    case PropertyKind::kInteger:
      return number(text, property.integer());
    case PropertyKind::kFloat:
      return real(text, property.real());
    case PropertyKind::kAtom:
      return name(text, property.atom());
    case PropertyKind::kReference:
      return appendReference(text, property.reference());
    case PropertyKind::kIntegerList:
      return putArray(out, property.integers(), number);
    case PropertyKind::kFloatList:
      return putArray(out, property.floats(), real);
    case PropertyKind::kAtomList:
      return putArray(out, property.atoms(), name);
    case PropertyKind::kReferenceList:
      return putArray(out, property.references(), appendReference);
    case PropertyKind::kNone:
      break;
  }
  text.append("null");
}

void putProperty(TextOutput& out, const PropertyView& property) {
  std::string& text = out.buffer();
  text.append("{\"name\": ");
  appendJsonString(text, property.name());
  text.append(", \"kind\": ");
  appendJsonString(text, shownKind(property.kind()));
  text.append(", \"value\": ");
  putValue(out, property);
  if (property.isRange()) text.append(", \"max\": ").append(jsonFloatText(property.maximum()));
  out.put('}');
}

void writeHeader(const DumpInput& input, TextOutput& out) {
  FileHeader header = input.header();
  std::string& text = out.buffer();
  text.append("    {\"file\": ");
  appendJsonString(text, input.path);
  text.append(",\n     \"kind\": ");
  text.append(input.kind == FileKind::kStringTable ? "\"string table\"" : "\"object database\"");
  text.append(",\n     \"project\": ");
  if (header.hasProjectName()) {
    putJsonString(out, header.projectName());
  } else {
    text.append("null");
  }
  text.append(",\n     \"version\": ").append(jsonFloatText(header.version()));
  text.append(",\n     \"atoms\": [");
  for (int32_t i = 0; i < header.atomCount() && !out.failed(); ++i) {
    text.append(i == 0 ? "\n       " : ",\n       ");
    appendJsonString(text, header.atomName(i));
    out.spill();
  }
  text.append("]");
}

void writeSections(const StringTableFile& strings, TextOutput& out) {
  std::string& text = out.buffer();
  text.append(",\n     \"sections\": [");
  for (StringSectionView section : strings.sections()) {
    if (out.failed()) break;
    text.append(section.index() == 0 ? "\n       " : ",\n       ");
    text.append("{\"name\": ");
    appendJsonString(text, section.name());
    text.append(", \"random\": ").append(section.random() ? "true" : "false");
    text.append(", \"texts\": [");
    for (int32_t i = 0; i < section.textCount() && !out.failed(); ++i) {
      text.append(i == 0 ? "\n         " : ",\n         ");
      putJsonString(out, section.text(i));
    }
    text.append("]}");
    out.spill();
  }
  text.append("]}");
}

void writeObjects(const DatabaseFile& database, TextOutput& out) {
  std::string& text = out.buffer();
  text.append(",\n     \"objects\": [");
  for (ObjectView object : database.objects()) {
    if (out.failed()) break;
    text.append(object.index() == 0 ? "\n       " : ",\n       ");
    text.append("{\"name\": ");
    appendJsonString(text, object.name());
    text.append(",\n        \"class\": ");
    appendJsonString(text, object.className());
    text.append(",\n        \"flags\": ").append(std::to_string(object.flags()));
    text.append(",\n        \"properties\": [");
    bool storesDeclared = false;
    for (int32_t i = 0; i < object.propertyCount(); ++i) {
      PropertyView property = object.property(i);
      text.append(i == 0 ? "\n          " : ",\n          ");
      putProperty(out, property);
      storesDeclared = storesDeclared || property.storesDeclared();
    }
    // Declared properties: for classes that store them, when their lists pair up.
    text.append("],\n        \"declared\": ");
    if (!storesDeclared || !object.declaredListsMatch()) {
      text.append("null}");
    } else {
      text.push_back('[');
      for (int32_t i = 0; i < object.declaredCount(); ++i) {
        text.append(i == 0 ? "\n          " : ",\n          ");
        putProperty(out, object.declaredProperty(i));
      }
      text.append("]}");
    }
    out.spill();
  }
  text.append("]}");
}

}  // namespace

void writeJson(std::span<const DumpInput* const> inputs, TextOutput& out) {
  out.put("{\"files\": [");
  for (size_t i = 0; i < inputs.size(); ++i) {
    out.put(i == 0 ? "\n" : ",\n");
    writeHeader(*inputs[i], out);
    if (inputs[i]->kind == FileKind::kStringTable) {
      writeSections(inputs[i]->strings, out);
    } else {
      writeObjects(inputs[i]->database, out);
    }
  }
  out.put("\n]}\n");
}

}  // namespace rpgc
