// Value texts of the listing and the diff: one walk over a value's elements, written
// whole into an output a block at a time, or into a string up to a length.
#include "tools/value_text.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "diagnostics/text_escape.h"
#include "format/value_kind.h"
#include "source/typed_declarations.h"
#include "tools/escaped_output.h"
#include "tools/float_text.h"
#include "tools/text_output.h"

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

// The elements from first on, while room() allows another one; a gap left out is shown
// as "…", and a list shown in part ends with its length: "[… 7 8 … (1,000 values)]".
template <class List, class Room, class AppendElement>
bool appendList(std::string& out, const List& list, bool brackets, int32_t first, Room room,
                AppendElement appendElement) {
  if (brackets) out.push_back('[');
  int32_t i = std::clamp(first, 0, list.size());
  if (i > 0) out.append("\u2026");
  for (; i < list.size(); ++i) {
    if (i > first && !room()) break;
    if (i > 0) out.push_back(' ');
    appendElement(list[i]);
  }
  bool whole = first <= 0 && i == list.size();
  if (i < list.size()) out.append(" \u2026");
  if (!whole) out.append(" (").append(groupedNumber(list.size())).append(" values)");
  if (brackets) out.push_back(']');
  return whole;
}

// The value, lists in brackets or for a declared line without them; false when room()
// cut a list short.
template <class Room>
bool appendValue(std::string& out, const PropertyView& property, int32_t first, Room room) {
  bool brackets = !property.isDeclared();
  auto name = [&](std::string_view text) { appendShownText(out, text); };
  auto number = [&](int32_t value) { out.append(std::to_string(value)); };
  auto real = [&](float value) { out.append(shownFloatText(value)); };
  auto reference = [&](const ObjectReference& value) { appendReference(out, value); };
  switch (property.kind()) {
    case PropertyKind::kInteger:
      number(property.integer());
      return true;
    case PropertyKind::kFloat:
      real(property.real());
      if (property.isRange() &&
          std::bit_cast<uint32_t>(property.maximum()) != std::bit_cast<uint32_t>(property.real())) {
        out.append(" to ");
        real(property.maximum());
      }
      return true;
    case PropertyKind::kAtom:
      name(property.atom());
      return true;
    case PropertyKind::kReference:
      reference(property.reference());
      return true;
    case PropertyKind::kIntegerList:
      return appendList(out, property.integers(), brackets, first, room, number);
    case PropertyKind::kFloatList:
      return appendList(out, property.floats(), brackets, first, room, real);
    case PropertyKind::kAtomList:
      return appendList(out, property.atoms(), brackets, first, room, name);
    case PropertyKind::kReferenceList:
      return appendList(out, property.references(), brackets, first, room, reference);
    case PropertyKind::kNone:
      break;
  }
  out.push_back('-');
  return true;
}

}  // namespace

bool holdsDefaultValue(const PropertyView& property) {
  switch (property.kind()) {
    case PropertyKind::kInteger:
      return property.integer() == 0;
    case PropertyKind::kFloat:  // -0.0 is stored otherwise, and shown so
      return std::bit_cast<uint32_t>(property.real()) == 0;
    case PropertyKind::kAtom:
      return property.atom().empty();
    case PropertyKind::kReference:
      return !property.reference().present;
    case PropertyKind::kIntegerList:
    case PropertyKind::kFloatList:
    case PropertyKind::kAtomList:
    case PropertyKind::kReferenceList:
      return property.size() == 0;
    case PropertyKind::kNone:
      break;
  }
  return false;
}

std::string groupedNumber(int64_t value) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  std::string grouped = value < 0 ? "-" : "";
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  return grouped;
}

std::string shownKind(PropertyKind kind) {
  auto code = static_cast<int32_t>(kind);
  if (code < 0 || code > static_cast<int32_t>(PropertyKind::kReferenceList)) {
    return "kind " + std::to_string(code);
  }
  return std::string(propertyKindName(kind));
}

void putShownValue(TextOutput& out, const PropertyView& property) {
  appendValue(out.buffer(), property, 0, [&out] { return !out.spill().failed(); });
  out.spill();
}

void appendShortValue(std::string& out, const PropertyView& property, int32_t first) {
  size_t start = out.size();
  auto room = [&] { return out.size() - start < kShortValueBytes; };
  if (appendValue(out, property, 0, room) || first <= 0) return;
  out.resize(start);
  appendValue(out, property, first, room);
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

void putShownProperty(TextOutput& out, const PropertyView& property) {
  appendShownLabel(out.buffer(), property);
  putShownValue(out, property);
}

}  // namespace rpgc
