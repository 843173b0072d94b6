// Value texts of the listing and the diff.
#include "tools/value_text.h"

#include <bit>
#include <cstdint>

#include "model/value_kind.h"
#include "source/typed_declarations.h"
#include "tools/float_text.h"
#include "tools/text_escape.h"

namespace rpgc {

namespace {

void appendReference(std::string& out, const ObjectReference& reference) {
  if (!reference.present) {
    out.append("(none)");
    return;
  }
  appendShownText(out, reference.name);
  if (reference.instance != 0)
    out.append(" (instance ").append(std::to_string(reference.instance)).append(")");
}

template <class List, class AppendElement>
void appendList(std::string& out, const List& list, bool brackets, AppendElement appendElement) {
  if (brackets) out.push_back('[');
  for (int32_t i = 0; i < list.size(); ++i) {
    if (i > 0) out.push_back(' ');
    appendElement(list[i]);
  }
  if (brackets) out.push_back(']');
}

// The value; lists in brackets, or for a declared line without them.
void appendValue(std::string& out, const PropertyView& property, bool brackets) {
  auto name = [&](std::string_view text) { appendShownText(out, text); };
  auto number = [&](int32_t value) { out.append(std::to_string(value)); };
  auto real = [&](float value) { out.append(shownFloatText(value)); };
  auto reference = [&](const ObjectReference& value) { appendReference(out, value); };
  switch (property.kind()) {
    case PropertyKind::kInteger:
      return number(property.integer());
    case PropertyKind::kFloat:
      real(property.real());
      if (property.isRange() &&
          std::bit_cast<uint32_t>(property.maximum()) != std::bit_cast<uint32_t>(property.real())) {
        out.append(" to ");
        real(property.maximum());
      }
      return;
    case PropertyKind::kAtom:
      return name(property.atom());
    case PropertyKind::kReference:
      return reference(property.reference());
    case PropertyKind::kIntegerList:
      return appendList(out, property.integers(), brackets, number);
    case PropertyKind::kFloatList:
      return appendList(out, property.floats(), brackets, real);
    case PropertyKind::kAtomList:
      return appendList(out, property.atoms(), brackets, name);
    case PropertyKind::kReferenceList:
      return appendList(out, property.references(), brackets, reference);
    case PropertyKind::kNone:
      break;
  }
  out.push_back('-');
}

}  // namespace

std::string shownKind(PropertyKind kind) {
  auto code = static_cast<int32_t>(kind);
  if (code < 0 || code > static_cast<int32_t>(PropertyKind::kReferenceList)) {
    return "kind " + std::to_string(code);
  }
  return std::string(propertyKindName(kind));
}

void appendShownValue(std::string& out, const PropertyView& property) {
  appendValue(out, property, !property.isDeclared());
}

void appendShownLabel(std::string& out, const PropertyView& property) {
  if (property.isDeclared()) {
    out.append(declarationWordOf(static_cast<ValueKind>(property.kind()))).push_back(' ');
    appendShownText(out, property.name());
    out.append(" = ");
    return;
  }
  appendShownText(out, property.name());
  out.append(": ").append(shownKind(property.kind())).push_back(' ');
}

void appendShownProperty(std::string& out, const PropertyView& property) {
  appendShownLabel(out, property);
  appendShownValue(out, property);
}

}  // namespace rpgc
