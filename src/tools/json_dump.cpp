// writeJson: the document, written as it goes.
#include "tools/json_dump.h"

#include <string>

#include "tools/dump_input.h"
#include "tools/float_text.h"
#include "tools/text_escape.h"
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

template <class List, class AppendElement>
void appendArray(std::string& out, const List& list, AppendElement appendElement) {
  out.push_back('[');
  for (int32_t i = 0; i < list.size(); ++i) {
    if (i > 0) out.append(", ");
    appendElement(list[i]);
  }
  out.push_back(']');
}

void appendValue(std::string& out, const PropertyView& property) {
  auto name = [&](std::string_view text) { appendJsonString(out, text); };
  auto number = [&](int32_t value) { out.append(std::to_string(value)); };
  auto real = [&](float value) { out.append(jsonFloatText(value)); };
  auto reference = [&](const ObjectReference& value) { appendReference(out, value); };
  switch (property.kind()) {
    case PropertyKind::kInteger:
      return number(property.integer());
    case PropertyKind::kFloat:
      return real(property.real());
    case PropertyKind::kAtom:
      return name(property.atom());
    case PropertyKind::kReference:
      return reference(property.reference());
    case PropertyKind::kIntegerList:
      return appendArray(out, property.integers(), number);
    case PropertyKind::kFloatList:
      return appendArray(out, property.floats(), real);
    case PropertyKind::kAtomList:
      return appendArray(out, property.atoms(), name);
    case PropertyKind::kReferenceList:
      return appendArray(out, property.references(), reference);
    case PropertyKind::kNone:
      break;
  }
  out.append("null");
}

void appendProperty(std::string& out, const PropertyView& property) {
  out.append("{\"name\": ");
  appendJsonString(out, property.name());
  out.append(", \"kind\": ");
  appendJsonString(out, shownKind(property.kind()));
  out.append(", \"value\": ");
  appendValue(out, property);
  if (property.isRange()) out.append(", \"max\": ").append(jsonFloatText(property.maximum()));
  out.push_back('}');
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
    appendJsonString(text, header.projectName());
  } else {
    text.append("null");
  }
  text.append(",\n     \"version\": ").append(jsonFloatText(header.version()));
  text.append(",\n     \"atoms\": [");
  for (int32_t i = 0; i < header.atomCount(); ++i) {
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
    text.append(section.index() == 0 ? "\n       " : ",\n       ");
    text.append("{\"name\": ");
    appendJsonString(text, section.name());
    text.append(", \"random\": ").append(section.random() ? "true" : "false");
    text.append(", \"texts\": [");
    for (int32_t i = 0; i < section.textCount(); ++i) {
      text.append(i == 0 ? "\n         " : ",\n         ");
      appendJsonString(text, section.text(i));
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
      appendProperty(text, property);
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
        appendProperty(text, object.declaredProperty(i));
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
