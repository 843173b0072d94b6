// obtainTemplate: the registry's factory plus the bookkeeping of declaration places.
#include "source/block_context.h"

#include <string>

#include "core/atom_table.h"
#include "format/container_layout.h"
#include "model/f_generic.h"
#include "model/game_object.h"
#include "model/object_registry.h"

namespace rpgc {

namespace {

// "an item", "a character", "a `quest` object": how a registered object is called.
std::string objectPhrase(const GameObject& object, AtomTable& atoms) {
  std::string_view className = object.classNameText();
  std::string_view typeWord;
  if (className == "F_generic") {
    typeWord = atoms.atomView(static_cast<const F_generic&>(object).Type);
  }
  return withArticle(kindWords(className, typeWord));
}

}  // namespace

std::string withArticle(const std::string& words) {
  bool vowel =
      !words.empty() && std::string_view("aeiou").find(words.front()) != std::string_view::npos;
  return (vowel ? "an " : "a ") + words;
}

std::string kindWords(std::string_view className, std::string_view typeWord) {
  if (className == "F_item") return "item";
  if (className == "F_character") return "character";
  if (typeWord.empty()) return "object";
  return "`" + std::string(typeWord) + "` object";
}

void BlockContext::noteLength(Atom atom, std::string_view text, SourcePlace place) {
  if (text.size() <= static_cast<size_t>(format::kMaxAtomNameLength)) return;
  for (const LongName& noted : longNames) {
    if (noted.atom == atom) return;
  }
  longNames.push_back({atom, place, sectionName, sectionKind});
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

GameObject* obtainTemplate(BlockContext& ctx, const RefString& name, std::string_view className,
                           int32_t headerLine, std::string_view typeWord) {
  int32_t before = ctx.registry.count();
  GameObject* object = ctx.registry.findOrCreateTemplate(name.view(), className);
  SourcePlace here = SourcePlace::atToken(ctx.file, headerLine, 2);
  Atom nameAtom = ctx.atoms.intern(name.view());
  int32_t index = ctx.registry.indexOf(nameAtom);
  SourcePlace origin = index >= 0 && static_cast<size_t>(index) < ctx.origins.size()
                           ? ctx.origins[static_cast<size_t>(index)]
                           : SourcePlace();
  ctx.sectionName = nameAtom;
  ctx.sectionKind = className == "F_item"        ? "item"
                    : className == "F_character" ? "character"
                                                 : "object";
  if (object != nullptr) {
    if (ctx.registry.count() > before) {
      ctx.origins.resize(static_cast<size_t>(ctx.registry.count()), here);
      ctx.noteLength(nameAtom, name.view(), here);
    } else if (ctx.wants(FindingCode::kExtendedObject)) {
      Finding finding(FindingCode::kExtendedObject, here);
      finding.with(std::string(name.view())).with(objectPhrase(*object, ctx.atoms));
      finding.related = origin;
      finding.relatedNote = FindingCode::kNoteDeclaredHere;
      ctx.report(std::move(finding));
    }
    return object;
  }
  Finding error(FindingCode::kNameConflict, here);
  error.with(std::string(name.view()));
  error.with(index >= 0 ? objectPhrase(*ctx.registry.at(index), ctx.atoms) : "an object");
  error.with(withArticle(kindWords(className, typeWord)));
  error.related = origin;
  error.relatedNote = FindingCode::kNoteDeclaredHere;
  ctx.error = error;
  ctx.report(std::move(error));
  return nullptr;
}

}  // namespace rpgc
