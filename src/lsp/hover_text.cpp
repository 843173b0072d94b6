// The texts of hovers: what type words and fields are, and values as stored.
#include "lsp/hover_text.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "core/atom_table.h"
#include "core/source_syntax.h"
#include "model/game_object.h"
#include "source/character_block.h"
#include "source/item_block.h"

namespace rpgc::lsp {

namespace {

struct WordHelp {
  std::string_view word;
  std::string_view text;
};

constexpr WordHelp kTypeWordHelp[] = {
    {"FLOAT",
     "one number, stored as a 32-bit float: `FLOAT Weight = 1.5`. In an item, a range "
     "of two numbers: `FLOAT Damage = 2 to 5`."},
    {"INTEGER", "one whole number, stored as a 32-bit integer: `INTEGER Level = 12`."},
    {"ATOM", "one name: `ATOM Colour = red`."},
    {"REFERENCE", "the name of an object of the project: `REFERENCE Maker = Marta`."},
    {"ATOMS", "a list of names: `ATOMS Tags = old rusty`."},
    {"INTEGERS", "a list of whole numbers: `INTEGERS Stats = 12 11 10`."},
    {"FLOATS", "a list of numbers: `FLOATS Weights = 0.5 1 2`."},
    {"REFERENCES", "a list of names of objects of the project: `REFERENCES Guards = Ann Bo`."},
};

std::string numberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

std::string typeWordHelp(std::string_view word) {
  for (const WordHelp& help : kTypeWordHelp) {
    if (help.word == word)
      return "**" + std::string(word) + "** (type word): " + std::string(help.text);
  }
  return {};
}

std::string fieldHelp(std::string_view blockKind, std::string_view field) {
  bool item = blockKind == kItemWord;
  std::span<const std::string_view> fields =
      item ? itemFixedFieldNames() : characterFixedFieldNames();
  if (!item && blockKind != kCharacterWord) return {};
  if (std::find(fields.begin(), fields.end(), field) == fields.end()) {
    if (!(field == "Type" && !item)) return {};
  }
  std::string text = "**" + std::string(field) + "**: a field of " +
                     (item ? std::string("items") : std::string("characters")) +
                     ", set by its name whatever the type word; the last line wins.";
  if (field == "Type" && !item) {
    text += " Takes one of `player`, `monster`, `crowd`; any other value makes `character`.";
  } else if (field == "Type" || field == "Class") {
    text += " Takes one name.";
  } else if (field.starts_with("STR_")) {
    text += " Takes the name of a string section.";
  } else if (field.ends_with("Choice") || field.ends_with("Members") ||
             field.ends_with("Locations") || field == "InventoryBonus") {
    text += " Takes names of objects of the project.";
  } else if (field == "CrowdMin" || field == "CrowdMax") {
    text += " Takes one whole number.";
  } else if (field == "AbilityLevel" || field == "WayptTimeFlags") {
    text += " Takes a list of whole numbers.";
  } else if (field == "AbilityProficiency" || field == "ModFactors") {
    text += " Takes a list of numbers.";
  } else {
    text += " Takes names.";
  }
  return text;
}

// A property's value as the database holds it, in one line; empty when it holds nothing.
std::string valueText(const PropertyRef& value, const AtomTable& atoms) {
  auto joined = [](const auto& list, auto text) {
    std::string out;
    for (int32_t i = 0; i < list.length(); ++i) {
      if (i > 0) out += ' ';
      out += text(list[i]);
    }
    return out;
  };
  auto atom = [&](Atom a) { return a == kNoAtom ? std::string() : std::string(atoms.atomView(a)); };
  auto object = [&](GameObject* o) { return o == nullptr ? std::string("-") : atom(o->name()); };
  switch (value.kind) {
    case ValueKind::kInteger:
      return std::to_string(value.integer());
    case ValueKind::kFloat:
      return numberText(value.real());
    case ValueKind::kAtom:
      return atom(value.atom());
    case ValueKind::kReference:
      return value.reference() == nullptr ? std::string() : object(value.reference());
    case ValueKind::kIntegerList:
      return joined(value.integers(), [](int32_t n) { return std::to_string(n); });
    case ValueKind::kFloatList:
      return joined(value.reals(), [](float f) { return numberText(f); });
    case ValueKind::kAtomList:
      return joined(value.atoms(), atom);
    case ValueKind::kReferenceList:
      return joined(value.references(), object);
    case ValueKind::kNone:
      break;
  }
  return {};
}

}  // namespace rpgc::lsp
