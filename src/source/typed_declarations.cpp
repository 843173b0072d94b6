// applyTypedDeclarations: the keyword table, and the appending conversions driven by the
// storage roles of the property tables.
#include "source/typed_declarations.h"

#include <array>
#include <string_view>

#include "core/atom_table.h"
#include "core/spelling.h"
#include "format/property_tables.h"
#include "model/f_generic.h"
#include "source/assignment_buffer.h"
#include "source/block_context.h"
#include "source/character_block.h"
#include "source/item_block.h"
#include "source/line_values.h"
#include "source/number_text.h"

namespace rpgc {

namespace {

// The kind of the property each type word declares. ORDER: kTypeWords.
constexpr ValueKind kDeclaredKinds[] = {
    ValueKind::kFloat,    ValueKind::kInteger,     ValueKind::kAtom,      ValueKind::kReference,
    ValueKind::kAtomList, ValueKind::kIntegerList, ValueKind::kFloatList, ValueKind::kReferenceList,
};
static_assert(std::size(kDeclaredKinds) == std::size(kTypeWords));

// Where a generic object or a character stores the declared properties of each kind, by
// kind code.
constexpr auto kStorageByKind = [] {
  std::array<format::DeclaredStorage, 9> storages{};
  for (ValueKind kind : kDeclaredKinds) {
    storages[static_cast<size_t>(kind)] = format::declaredStorage(format::kGenericProperties, kind);
  }
  return storages;
}();

constexpr bool everyKindHasStorage() {
  for (ValueKind kind : kDeclaredKinds) {
    if (kStorageByKind[static_cast<size_t>(kind)].kind != kind) return false;
  }
  return true;
}
static_assert(everyKindHasStorage());

bool isStringField(std::string_view name) {
  return name.starts_with("STR_");
}

}  // namespace

std::string_view declarationWordOf(ValueKind kind) {
  for (size_t i = 0; i < std::size(kDeclaredKinds); ++i) {
    if (kDeclaredKinds[i] == kind) return kTypeWords[i];
  }
  return {};
}

std::string_view suggestedTypeWord(SectionKind kind, std::string_view name,
                                   std::span<const std::string_view> values) {
  if (kind == SectionKind::kItem || kind == SectionKind::kCharacter) {
    bool item = kind == SectionKind::kItem;
    std::span<const std::string_view> fields =
        item ? itemFixedFieldNames() : characterFixedFieldNames();
    std::span<const format::PropertyRow> rows =
        item ? std::span<const format::PropertyRow>(format::kItemProperties)
             : std::span<const format::PropertyRow>(format::kCharacterProperties);
    for (std::string_view field : fields) {
      int32_t index = field == name ? format::propertyIndex(rows, name) : -1;
      if (index >= 0) return declarationWordOf(rows[static_cast<size_t>(index)].kind);
    }
    if (name == "Type") return "ATOM";
  }
  bool integers = !values.empty();
  bool numbers = !values.empty();
  for (std::string_view value : values) {
    NumberIssue issue = NumberIssue::kNone;
    integerOfText(value, &issue);
    integers = integers && issue == NumberIssue::kNone;
    floatOfText(value, &issue);
    numbers = numbers && issue == NumberIssue::kNone;
  }
  bool list = values.size() > 1 && kind != SectionKind::kItem;
  // Items take FLOAT, ATOM and REFERENCE lines only; a list of names is an ATOMS.
  if (kind == SectionKind::kItem) return numbers ? "FLOAT" : "ATOM";
  if (integers) return list ? "INTEGERS" : "INTEGER";
  if (numbers) return list ? "FLOATS" : "FLOAT";
  return list ? "ATOMS" : "ATOM";
}

void reportUnknownTypeWord(BlockContext& ctx, int32_t entry, FindingCode code) {
  if (!ctx.wants(code)) return;
  std::string_view word = ctx.atoms.atomView(ctx.buffer.typeWord(entry));
  std::string_view suggestion =
      code == FindingCode::kUnknownTypeWord ? closestWord(word, kTypeWords) : std::string_view();
  if (!suggestion.empty()) code = FindingCode::kUnknownTypeWordGuess;
  int32_t line = ctx.buffer.line(entry);
  Finding finding(code, SourcePlace::atToken(ctx.file, line, 0));
  finding.with(std::string(word)).with(std::string(suggestion));
  if (!suggestion.empty()) {
    ValueTokens words = ctx.buffer.words(entry);
    finding.withFix(line, words.column(0), words.endColumn(0), std::string(suggestion));
  }
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

void appendDeclared(GameObject& object, const format::DeclaredStorage& storage, Atom name,
                    LineValues& values, bool strings) {
  bool list = isList(storage.kind);
  if (!list) values.ignoreFrom(1);
  int32_t count = list ? values.count() : 1;
  object.property(storage.names).atoms().push(name);
  if (list) object.property(storage.counts).integers().push(count);
  PropertyRef target = object.property(storage.values);
  for (int32_t j = 0; j < count; ++j) {
    switch (storage.kind) {
      case ValueKind::kInteger:
      case ValueKind::kIntegerList:
        target.integers().push(values.integer(j));
        break;
      case ValueKind::kFloat:
      case ValueKind::kFloatList:
        target.reals().push(values.real(j));
        break;
      case ValueKind::kAtom:
      case ValueKind::kAtomList:
        target.atoms().push(strings ? values.stringName(j) : values.atom(j));
        break;
      case ValueKind::kReference:
      case ValueKind::kReferenceList:
        target.atoms().push(values.objectName(j));  // references are stored as names
        break;
      case ValueKind::kNone:
        break;
    }
  }
}

void applyTypedDeclarations(F_generic& object, const RefString& typeWord, BlockContext& ctx) {
  object.Type = ctx.atoms.intern(typeWord.view());
  static constexpr int32_t kTypeProperty =
      format::propertyIndex(format::kGenericProperties, "Type");
  ctx.noteReplaced(kTypeProperty);
  const AssignmentBuffer& buffer = ctx.buffer;
  for (int32_t i = 0; i < buffer.count(); ++i) {
    Atom name = buffer.name(i);
    int32_t declaration = typeWordIndex(ctx, buffer.typeWord(i));
    if (declaration < 0) {
      reportUnknownTypeWord(ctx, i, FindingCode::kUnknownTypeWord);
      continue;
    }
    ValueKind kind = kDeclaredKinds[declaration];
    ctx.noteProperty(i, static_cast<uint8_t>(1 + static_cast<int>(kind)));
    LineValues values(ctx, i, isList(kind) ? LineValues::Shape::kList : LineValues::Shape::kSingle);
    std::string_view nameText = ctx.atoms.atomView(name);
    ctx.noteLength(name, nameText, SourcePlace::atToken(ctx.file, values.line(), 1));
    appendDeclared(object, kStorageByKind[static_cast<size_t>(kind)], name, values,
                   isStringField(nameText));
    ctx.noteAppended(kStorageByKind[static_cast<size_t>(kind)]);
    ctx.noteSet(i);
  }
}

}  // namespace rpgc
