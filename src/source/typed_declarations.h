// applyTypedDeclarations: designer-defined properties of generic objects and characters.
//
// Each buffered line whose type word is one of the eight keywords appends its property
// to the lists that store declared properties of its kind (the storage roles of
// format/property_tables.h); other lines are skipped. Single forms take the first value;
// list forms take every value token and record the count.
#ifndef RPGC_SOURCE_TYPED_DECLARATIONS_H_
#define RPGC_SOURCE_TYPED_DECLARATIONS_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "core/atom.h"
#include "core/finding.h"
#include "core/ref_string.h"
#include "format/value_kind.h"

namespace rpgc {

class BlockContext;
class F_generic;
class GameObject;
class LineValues;

namespace format {
struct DeclaredStorage;
}  // namespace format

/// The eight type words of typed declarations, singles first.
inline constexpr std::string_view kTypeWords[] = {"FLOAT", "INTEGER",  "ATOM",   "REFERENCE",
                                                  "ATOMS", "INTEGERS", "FLOATS", "REFERENCES"};

/// Indices into kTypeWords of the words an item's own lines take.
inline constexpr int32_t kFloatTypeWord = 0;
inline constexpr int32_t kAtomTypeWord = 2;
inline constexpr int32_t kReferenceTypeWord = 3;
static_assert(kTypeWords[kFloatTypeWord] == "FLOAT" && kTypeWords[kAtomTypeWord] == "ATOM" &&
              kTypeWords[kReferenceTypeWord] == "REFERENCE");

/// The index in kTypeWords of the type word of this atom, or -1; looked up once per atom.
int32_t typeWordIndex(BlockContext& ctx, Atom word);

/// The type word that declares a typed property of kind ("INTEGER", "ATOMS", ...); a
/// REFERENCE stores its target's name but is of kind kReference. "" for kNone.
std::string_view declarationWordOf(ValueKind kind);

/// The type word a line "name = values" of a block of this kind lacks: a fixed field's
/// own (from the property tables: "INTEGER" for CrowdMin, "ATOMS" for STR_Desc), else the
/// one its values read as.
std::string_view suggestedTypeWord(SectionKind kind, std::string_view name,
                                   std::span<const std::string_view> values);

/// Sets object.Type to the atom of typeWord, then appends every typed declaration of
/// ctx.buffer, in order, reporting the lines it skips and the values it doubts.
void applyTypedDeclarations(F_generic& object, const RefString& typeWord, BlockContext& ctx);

/// Appends one declared property of storage.kind to the lists of storage: name to the
/// names, the count of a list, and the value tokens converted to the kind (atoms naming
/// string sections when strings is set, objects for references). A single value takes the
/// first token and reports the others.
void appendDeclared(GameObject& object, const format::DeclaredStorage& storage, Atom name,
                    LineValues& values, bool strings);

/// Reports that the type word of buffer entry i is not one (kUnknownTypeWord) or is one
/// this kind of block ignores (kIgnoredTypeWord).
void reportUnknownTypeWord(BlockContext& ctx, int32_t entry, FindingCode code);

}  // namespace rpgc

#endif  // RPGC_SOURCE_TYPED_DECLARATIONS_H_
