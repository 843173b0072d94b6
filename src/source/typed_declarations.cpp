// applyTypedDeclarations: keyword table and the appending conversions.
#include "source/typed_declarations.h"

#include <string_view>

#include "core/atom_table.h"
#include "model/f_generic.h"
#include "source/assignment_buffer.h"
#include "source/number_text.h"

namespace rpgc {

namespace {

enum class Declaration {
  kFloat,
  kInteger,
  kAtom,
  kReference,
  kAtoms,
  kIntegers,
  kFloats,
  kReferences
};

struct DeclarationWord {
  std::string_view word;
  Declaration declaration;
  ValueKind kind;  // the kind of the property it declares
};

// Compared in this order; the first exact match wins.
constexpr DeclarationWord kDeclarationWords[] = {
    {"FLOAT", Declaration::kFloat, ValueKind::kFloat},
    {"INTEGER", Declaration::kInteger, ValueKind::kInteger},
    {"ATOM", Declaration::kAtom, ValueKind::kAtom},
    {"REFERENCE", Declaration::kReference, ValueKind::kReference},
    {"ATOMS", Declaration::kAtoms, ValueKind::kAtomList},
    {"INTEGERS", Declaration::kIntegers, ValueKind::kIntegerList},
    {"FLOATS", Declaration::kFloats, ValueKind::kFloatList},
    {"REFERENCES", Declaration::kReferences, ValueKind::kReferenceList},
};
static_assert(std::size(kDeclarationWords) == 8);

template <typename List, typename Convert>
void appendAll(List& list, const ValueTokens& values, Convert convert) {
  for (int32_t i = 0; i < values.size(); ++i) list.push(convert(values[i]));
}

}  // namespace

std::string_view declarationWordOf(ValueKind kind) {
  for (const DeclarationWord& candidate : kDeclarationWords) {
    if (candidate.kind == kind) return candidate.word;
  }
  return {};
}

void applyTypedDeclarations(F_generic& object, const RefString& typeWord,
                            const AssignmentBuffer& buffer, AtomTable& atoms) {
  object.Type = atoms.intern(typeWord.view());
  auto atomOf = [&](std::string_view text) { return atoms.intern(text); };
  for (int32_t i = 0; i < buffer.count(); ++i) {
    std::string_view word = atoms.atomView(buffer.typeWords[i]);
    Atom name = buffer.names[i];
    ValueTokens values = buffer.values(i);
    std::string_view first = values[0];
    const DeclarationWord* match = nullptr;
    for (const DeclarationWord& candidate : kDeclarationWords) {
      if (candidate.word == word) {
        match = &candidate;
        break;
      }
    }
    if (match == nullptr) continue;
    switch (match->declaration) {
      case Declaration::kFloat:
        object.FloatPropertyName.push(name);
        object.FloatPropertyValue.push(floatOfText(first));
        break;
      case Declaration::kInteger:
        object.IntegerPropertyName.push(name);
        object.IntegerPropertyValue.push(integerOfText(first));
        break;
      case Declaration::kAtom:
        object.AtomPropertyName.push(name);
        object.AtomPropertyValue.push(atomOf(first));
        break;
      case Declaration::kReference:
        object.ReferencePropertyName.push(name);
        object.ReferencePropertyValue.push(atomOf(first));
        break;
      case Declaration::kAtoms:
        object.LAtomPropertyName.push(name);
        object.LAtomPropertyCount.push(values.size());
        appendAll(object.LAtomPropertyValues, values, atomOf);
        break;
      case Declaration::kReferences:
        object.LReferencePropertyName.push(name);
        object.LReferencePropertyCount.push(values.size());
        appendAll(object.LReferencePropertyValues, values, atomOf);
        break;
      case Declaration::kIntegers:
        object.LIntegerPropertyName.push(name);
        object.LIntegerPropertyCount.push(values.size());
        appendAll(object.LIntegerPropertyValues, values, integerOfText);
        break;
      case Declaration::kFloats:
        object.LFloatPropertyName.push(name);
        object.LFloatPropertyCount.push(values.size());
        appendAll(object.LFloatPropertyValues, values, floatOfText);
        break;
    }
  }
}

}  // namespace rpgc
