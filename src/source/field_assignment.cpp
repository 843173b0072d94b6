// assignField: the scalar and list-replacing conversions shared by the block parsers.
#include "source/field_assignment.h"

#include "core/spelling.h"
#include "source/block_context.h"
#include "source/line_values.h"

namespace rpgc {

namespace {

template <typename List, typename Convert>
void replaceList(List& list, LineValues& values, Convert convert) {
  list.release();
  int32_t n = values.count();
  if (n > 0) list.resize(n);
  for (int32_t i = 0; i < n; ++i) list[i] = convert(i);
}

}  // namespace

void assignField(const PropertyRef& field, LineValues& values, FieldTarget target) {
  auto atomOf = [&](int32_t j) {
    switch (target) {
      case FieldTarget::kObject:
        return values.objectName(j);
      case FieldTarget::kStringSection:
        return values.stringName(j);
      case FieldTarget::kNone:
        break;
    }
    return values.atom(j);
  };
  switch (field.kind) {
    case ValueKind::kInteger:
      values.ignoreFrom(1);
      field.integer() = values.integer(0);
      break;
    case ValueKind::kFloat:
      values.ignoreFrom(1);
      field.real() = values.real(0);
      break;
    case ValueKind::kAtom:
      values.ignoreFrom(1);
      field.atom() = atomOf(0);
      break;
    case ValueKind::kIntegerList:
      replaceList(field.integers(), values, [&](int32_t j) { return values.integer(j); });
      break;
    case ValueKind::kFloatList:
      replaceList(field.reals(), values, [&](int32_t j) { return values.real(j); });
      break;
    case ValueKind::kAtomList:
      replaceList(field.atoms(), values, atomOf);
      break;
    case ValueKind::kReference:
    case ValueKind::kReferenceList:
    case ValueKind::kNone:
      break;  // no fixed field of a template holds these
  }
}

FixedFields::FixedFields(std::span<const format::PropertyRow> rows,
                         std::span<const FixedField> fields) {
  for (const FixedField& field : fields) {
    entries_.push_back({field.name, format::propertyIndex(rows, field.name), field.target});
    names_.push_back(field.name);
  }
}

int32_t FixedFields::find(std::string_view name) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t FixedFields::find(Atom nameAtom, std::string_view name, AtomMemo& memo) const {
  return memo.get(nameAtom, [&] { return find(name); });
}

int32_t FixedFields::misspelled(Atom nameAtom, std::string_view name, AtomMemo& guesses) const {
  return guesses.get(nameAtom, [&] {
    // Short names are only taken for misspellings when just their case differs: a
    // designer's own property may well be one letter away from a field's name.
    int edits = name.size() < 6 ? 0 : name.size() < 10 ? 1 : 2;
    std::string_view guess = closestWord(name, names_, edits);
    return guess.empty() ? -1 : find(guess);
  });
}

}  // namespace rpgc
