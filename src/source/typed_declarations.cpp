// applyTypedDeclarations: keyword table and the appending conversions.
#include "source/typed_declarations.h"

#include <string_view>

#include "core/atom_table.h"
#include "core/spelling.h"
#include "model/f_generic.h"
#include "source/assignment_buffer.h"
#include "source/block_context.h"
#include "source/line_values.h"

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
constexpr bool declarationWordsFollowTypeWords() {
  for (size_t k = 0; k < std::size(kTypeWords); ++k) {
    if (kDeclarationWords[k].word != kTypeWords[k]) return false;
  }
  return true;
}
static_assert(std::size(kDeclarationWords) == std::size(kTypeWords) &&
              declarationWordsFollowTypeWords());

bool isStringField(std::string_view name) {
  return name.starts_with("STR_");
}

}  // namespace

std::string_view declarationWordOf(ValueKind kind) {
  for (const DeclarationWord& candidate : kDeclarationWords) {
    if (candidate.kind == kind) return candidate.word;
  }
  return {};
}

void reportUnknownTypeWord(BlockContext& ctx, int32_t entry, FindingCode code) {
  if (!ctx.wants(code)) return;
  std::string_view word = ctx.atoms.atomView(ctx.buffer.typeWord(entry));
  std::string_view suggestion =
      code == FindingCode::kUnknownTypeWord ? closestWord(word, kTypeWords) : std::string_view();
  if (!suggestion.empty()) code = FindingCode::kUnknownTypeWordGuess;
  Finding finding(code, SourcePlace::atToken(ctx.file, ctx.buffer.line(entry), 0));
  finding.with(std::string(word)).with(std::string(suggestion));
  ctx.report(std::move(finding));
}

int32_t typeWordIndex(BlockContext& ctx, Atom word) {
  return ctx.typeWords.get(word, [&] {
    std::string_view text = ctx.atoms.atomView(word);
    for (size_t k = 0; k < std::size(kTypeWords); ++k) {
      if (kTypeWords[k] == text) return static_cast<int32_t>(k);
    }
    return -1;
  });
}

void applyTypedDeclarations(F_generic& object, const RefString& typeWord, BlockContext& ctx) {
  object.Type = ctx.atoms.intern(typeWord.view());
  const AssignmentBuffer& buffer = ctx.buffer;
  for (int32_t i = 0; i < buffer.count(); ++i) {
    Atom name = buffer.name(i);
    // kDeclarationWords follows kTypeWords.
    int32_t declaration = typeWordIndex(ctx, buffer.typeWord(i));
    const DeclarationWord* match = declaration >= 0 ? &kDeclarationWords[declaration] : nullptr;
    if (match == nullptr) {
      reportUnknownTypeWord(ctx, i, FindingCode::kUnknownTypeWord);
      continue;
    }
    bool list = match->declaration >= Declaration::kAtoms;
    LineValues values(ctx, i, list ? LineValues::Shape::kList : LineValues::Shape::kSingle);
    std::string_view nameText = ctx.atoms.atomView(name);
    ctx.noteLength(name, nameText, SourcePlace::atToken(ctx.file, values.line(), 1));
    bool strings = isStringField(nameText);
    auto atomOf = [&](int32_t j) { return strings ? values.stringName(j) : values.atom(j); };
    if (!list) values.ignoreFrom(1);
    switch (match->declaration) {
      case Declaration::kFloat:
        object.FloatPropertyName.push(name);
        object.FloatPropertyValue.push(values.real(0));
        break;
      case Declaration::kInteger:
        object.IntegerPropertyName.push(name);
        object.IntegerPropertyValue.push(values.integer(0));
        break;
      case Declaration::kAtom:
        object.AtomPropertyName.push(name);
        object.AtomPropertyValue.push(atomOf(0));
        break;
      case Declaration::kReference:
        object.ReferencePropertyName.push(name);
        object.ReferencePropertyValue.push(values.objectName(0));
        break;
      case Declaration::kAtoms:
        object.LAtomPropertyName.push(name);
        object.LAtomPropertyCount.push(values.count());
        for (int32_t j = 0; j < values.count(); ++j) object.LAtomPropertyValues.push(atomOf(j));
        break;
      case Declaration::kReferences:
        object.LReferencePropertyName.push(name);
        object.LReferencePropertyCount.push(values.count());
        for (int32_t j = 0; j < values.count(); ++j) {
          object.LReferencePropertyValues.push(values.objectName(j));
        }
        break;
      case Declaration::kIntegers:
        object.LIntegerPropertyName.push(name);
        object.LIntegerPropertyCount.push(values.count());
        for (int32_t j = 0; j < values.count(); ++j) {
          object.LIntegerPropertyValues.push(values.integer(j));
        }
        break;
      case Declaration::kFloats:
        object.LFloatPropertyName.push(name);
        object.LFloatPropertyCount.push(values.count());
        for (int32_t j = 0; j < values.count(); ++j)
          object.LFloatPropertyValues.push(values.real(j));
        break;
    }
  }
}

}  // namespace rpgc
