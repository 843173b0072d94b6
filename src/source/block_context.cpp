// obtainTemplate: the registry's factory plus the bookkeeping of declaration places.
#include "source/block_context.h"

#include <algorithm>
#include <string>

#include "core/atom_table.h"
#include "format/container_layout.h"
#include "model/f_generic.h"
#include "model/game_object.h"
#include "model/object_registry.h"
#include "source/source_map.h"

namespace rpgc {

namespace {

// ORDER SECTION KINDS: the class of the objects of each kind of block.
constexpr const char* kClassNames[] = {"F_item", "F_character", "F_generic"};
static_assert(std::size(kClassNames) == static_cast<size_t>(SectionKind::kObject) + 1);

const char* classNameOf(SectionKind kind) {
  return kClassNames[static_cast<size_t>(kind)];
}

// The kind of block a registered object comes from, by its class's atom.
SectionKind kindOf(const GameObject& object, AtomTable& atoms) {
  Atom className = object.className(atoms);
  if (className == atoms.internLiteral(classNameOf(SectionKind::kItem))) return SectionKind::kItem;
  if (className == atoms.internLiteral(classNameOf(SectionKind::kCharacter))) {
    return SectionKind::kCharacter;
  }
  return SectionKind::kObject;
}

// Appends how a registered object is called: its kind and, for an object, its type word.
Finding& withObjectKind(Finding& finding, const GameObject& object, AtomTable& atoms) {
  SectionKind kind = kindOf(object, atoms);
  std::string typeWord;
  if (kind == SectionKind::kObject) {
    typeWord = atoms.atomView(static_cast<const F_generic&>(object).Type);
  }
  return finding.withKind(kind, std::move(typeWord));
}

}  // namespace

void BlockContext::reset() {
  file = -1;
  origins.clear();
  resumeAt = -1;
  namedUses.clear();
  std::fill(stringOrigins.begin(), stringOrigins.end(), SourcePlace());
  longNames.clear();
  longNameAtoms.clear();
  sectionName = kNoAtom;
  sectionKind = SectionKind::kObject;
  itemFields.clear();
  characterFields.clear();
  itemFieldGuesses.clear();
  characterFieldGuesses.clear();
  typeWords.clear();
  objectIndex = -1;
  blockNumber = 0;
  repeatedBlock = false;
  propertiesSet.clear();
  propertyChanges.clear();
  blockBodies.clear();
}

void BlockContext::noteLength(Atom atom, std::string_view text, SourcePlace place) {
  if (text.size() <= static_cast<size_t>(format::kMaxAtomNameLength)) return;
  if (longNameAtoms.insert(atom).second) {
    longNames.push_back({atom, place, sectionName, sectionKind});
  }
}

void BlockContext::noteUse(Atom atom, NamedUse::Target target, int32_t line, int32_t column) {
  FindingCode code = target == NamedUse::Target::kObject ? FindingCode::kUnresolvedReference
                                                         : FindingCode::kUnresolvedString;
  if (atom == kNoAtom || !wants(code)) return;
  // Names are never undeclared: what exists now exists at the end.
  if (target == NamedUse::Target::kObject
          ? registry.find(atom) != nullptr
          : static_cast<size_t>(atom) + 1 < stringOrigins.size() &&
                stringOrigins[static_cast<size_t>(atom) + 1].known()) {
    return;
  }
  namedUses.push_back({atom, file, line, column, target});
}

void BlockContext::noteSet(int32_t entry) {
  if (sourceMap != nullptr)
    sourceMap->noteProperty(blockObject, buffer.name(entry), buffer.line(entry));
}

void BlockContext::noteProperty(int32_t entry, uint8_t storage, bool perBlock) {
  if (repeatedBlock || objectIndex < 0) return;
  if (!wants(FindingCode::kDuplicatePropertyInBlock) &&
      !wants(FindingCode::kDuplicatePropertyAcrossBlocks)) {
    return;
  }
  Atom name = buffer.name(entry);
  SourcePlace here = SourcePlace::atToken(file, buffer.line(entry), 1);
  auto [first, added] = propertiesSet.try_emplace(PropertyKey{objectIndex, name, storage},
                                                  PropertySet{here, blockNumber});
  if (added) return;
  if (perBlock && first->second.block != blockNumber) {
    first->second = PropertySet{here, blockNumber};
    return;
  }
  FindingCode code = first->second.block == blockNumber
                         ? FindingCode::kDuplicatePropertyInBlock
                         : FindingCode::kDuplicatePropertyAcrossBlocks;
  if (!wants(code)) return;
  Finding finding(code, here);
  finding.with(std::string(atoms.atomView(name)))
      .withKind(sectionKind, std::string(sectionTypeWord))
      .with(std::string(atoms.atomView(sectionName)));
  finding.related = first->second.place;
  finding.relatedNote = FindingCode::kNoteFirstSetHere;
  report(std::move(finding));
}

void BlockContext::noteBlockBody(int32_t headerLine) {
  repeatedBlock = false;
  if (buffer.count() == 0 || objectIndex < 0 || !wants(FindingCode::kDuplicateBlock)) return;
  // FNV-1a over the type words, names and value texts, each ended by a byte no token holds.
  uint64_t hash = 0xcbf29ce484222325ull;
  auto add = [&](std::string_view bytes) {
    for (char c : bytes) hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001b3ull;
    hash = (hash ^ 0x0A) * 0x100000001b3ull;
  };
  for (int32_t i = 0; i < buffer.count(); ++i) {
    add(atoms.atomView(buffer.typeWord(i)));
    add(atoms.atomView(buffer.name(i)));
    ValueTokens values = buffer.values(i);
    for (int32_t j = 0; j < values.size(); ++j) add(values[j]);
    hash = (hash ^ 0x00) * 0x100000001b3ull;
  }
  SourcePlace here = SourcePlace::atToken(file, headerLine, 2);
  auto [from, to] = blockBodies.equal_range(blockBodyKey(objectIndex, hash));
  for (auto at = from; at != to; ++at) {
    if (at->second.object != objectIndex || at->second.hash != hash) continue;
    repeatedBlock = true;
    Finding finding(FindingCode::kDuplicateBlock, here);
    finding.withKind(sectionKind, std::string(sectionTypeWord))
        .with(std::string(atoms.atomView(sectionName)));
    finding.related = at->second.header;
    finding.relatedNote = FindingCode::kNoteRepeatedBlock;
    report(std::move(finding));
    return;
  }
  blockBodies.emplace(blockBodyKey(objectIndex, hash), BlockBody{objectIndex, hash, here});
}

GameObject* obtainTemplate(BlockContext& ctx, const RefString& name, SectionKind kind,
                           int32_t headerLine, std::string_view typeWord) {
  int32_t before = ctx.registry.count();
  GameObject* object = ctx.registry.findOrCreateTemplate(name.view(), classNameOf(kind));
  SourcePlace here = SourcePlace::atToken(ctx.file, headerLine, 2);
  Atom nameAtom = ctx.atoms.intern(name.view());
  int32_t index = ctx.registry.indexOf(nameAtom);
  SourcePlace origin = index >= 0 && static_cast<size_t>(index) < ctx.origins.size()
                           ? ctx.origins[static_cast<size_t>(index)]
                           : SourcePlace();
  ctx.sectionName = nameAtom;
  ctx.sectionKind = kind;
  ctx.sectionTypeWord = typeWord;
  ctx.objectIndex = object != nullptr ? index : -1;
  ++ctx.blockNumber;
  ctx.repeatedBlock = false;
  if (object != nullptr) {
    ctx.blockObject = index;
    if (ctx.sourceMap != nullptr) ctx.sourceMap->noteObject(index, headerLine);
    if (ctx.registry.count() > before) {
      ctx.origins.resize(static_cast<size_t>(ctx.registry.count()), here);
      ctx.noteLength(nameAtom, name.view(), here);
    } else if (ctx.wants(FindingCode::kExtendedObject)) {
      Finding finding(FindingCode::kExtendedObject, here);
      withObjectKind(finding.with(std::string(name.view())), *object, ctx.atoms);
      finding.related = origin;
      finding.relatedNote = FindingCode::kNoteDeclaredHere;
      ctx.report(std::move(finding));
    }
    return object;
  }
  Finding error(FindingCode::kNameConflict, here);
  error.with(std::string(name.view()));
  if (index >= 0) {
    withObjectKind(error, *ctx.registry.at(index), ctx.atoms);
  } else {
    error.withKind(SectionKind::kObject);
  }
  error.withKind(kind, kind == SectionKind::kObject ? std::string(typeWord) : std::string());
  error.related = origin;
  error.relatedNote = FindingCode::kNoteDeclaredHere;
  ctx.report(std::move(error));
  return nullptr;
}

}  // namespace rpgc
