// Helpers for tests of the source language: line lists from literals, a fixture that owns
// what the block parsers work on, and compact dumps of templates (one row, one assertion).
//
// The dumps read the templates' declared fields directly, not through their reflection
// tables, so that a fault in how a parser locates a field shows up in the dump.
#ifndef RPGC_TESTS_SUPPORT_SOURCE_FIXTURE_H_
#define RPGC_TESTS_SUPPORT_SOURCE_FIXTURE_H_

#include <gtest/gtest.h>

#include <cctype>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "core/atom_table.h"
#include "core/source_lines.h"
#include "core/string_list.h"
#include "core/value_lists.h"
#include "model/f_character.h"
#include "model/f_generic.h"
#include "model/f_item.h"
#include "model/object_registry.h"
#include "source/block_context.h"
#include "support/finding_recorder.h"

namespace rpgc::test {

/// A line list holding the given texts (which may contain any byte, zero included).
inline SourceLines linesOf(std::initializer_list<std::string_view> texts) {
  return SourceLines(texts);
}

/// The texts of a line list, for comparing with a vector of expected texts.
inline std::vector<std::string> textsOf(const SourceLines& lines) {
  std::vector<std::string> texts;
  for (int32_t i = 0; i < lines.length(); ++i) texts.emplace_back(lines[i]);
  return texts;
}

/// The texts of a string list, for comparing with a vector of expected texts.
inline std::vector<std::string> textsOf(const StringList& list) {
  std::vector<std::string> texts;
  for (const RefString& s : list) texts.emplace_back(s.view());
  return texts;
}

/// The value tokens of a buffered line, for comparing with a vector of expected texts.
inline std::vector<std::string> textsOf(const ValueTokens& values) {
  std::vector<std::string> texts;
  for (int32_t i = 0; i < values.size(); ++i) texts.emplace_back(values[i]);
  return texts;
}

/// Test names of parameterised rows from their `label` member (letters and digits kept,
/// everything else turned into '_').
struct RowLabel {
  template <class Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& param) const {
    std::string name;
    for (char c : std::string_view(param.param.label)) {
      name += std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '_';
    }
    return name;
  }
};

/// An atom's name; "<none>" for -1 and "<?N>" for an atom the table does not know.
inline std::string atomName(const AtomTable& atoms, Atom atom) {
  if (atom == kNoAtom) return "<none>";
  if (atom < 0 || atom >= atoms.count()) return "<?" + std::to_string(atom) + ">";
  return std::string(atoms.atomView(atom));
}

/// The shortest text that reads back as the same float ("1.5", "2", "-0", "inf").
inline std::string floatText(float value) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

/// Appends " Name=value" pieces, leaving out fields at their initial value.
class FieldDump {
 public:
  explicit FieldDump(const AtomTable& atoms) : atoms_(atoms) {}

  FieldDump& atom(const char* name, Atom value) {
    if (value != kNoAtom) add(name, atomName(atoms_, value));
    return *this;
  }
  FieldDump& integer(const char* name, int32_t value) {
    if (value != 0) add(name, std::to_string(value));
    return *this;
  }
  FieldDump& atoms(const char* name, const AtomList& list) {
    return listOf(name, list, [&](Atom a) { return atomName(atoms_, a); });
  }
  FieldDump& integers(const char* name, const IntList& list) {
    return listOf(name, list, [](int32_t v) { return std::to_string(v); });
  }
  FieldDump& reals(const char* name, const FloatList& list) {
    return listOf(name, list, floatText);
  }

  const std::string& text() const { return text_; }

 private:
  template <typename List, typename Show>
  FieldDump& listOf(const char* name, const List& list, Show show) {
    if (list.empty()) return *this;
    std::string shown = "[";
    for (int32_t i = 0; i < list.length(); ++i) {
      if (i > 0) shown += ' ';
      shown += show(list[i]);
    }
    add(name, shown + "]");
    return *this;
  }

  void add(const char* name, const std::string& value) {
    if (!text_.empty()) text_ += ' ';
    text_ += name;
    text_ += '=';
    text_ += value;
  }

  const AtomTable& atoms_;
  std::string text_;
};

inline void dumpGenericFields(FieldDump& dump, const F_generic& o) {
  dump.atom("Type", o.Type)
      .atoms("IntegerPropertyName", o.IntegerPropertyName)
      .integers("IntegerPropertyValue", o.IntegerPropertyValue)
      .atoms("FloatPropertyName", o.FloatPropertyName)
      .reals("FloatPropertyValue", o.FloatPropertyValue)
      .atoms("AtomPropertyName", o.AtomPropertyName)
      .atoms("AtomPropertyValue", o.AtomPropertyValue)
      .atoms("ReferencePropertyName", o.ReferencePropertyName)
      .atoms("ReferencePropertyValue", o.ReferencePropertyValue)
      .atoms("LAtomPropertyName", o.LAtomPropertyName)
      .integers("LAtomPropertyCount", o.LAtomPropertyCount)
      .atoms("LAtomPropertyValues", o.LAtomPropertyValues)
      .atoms("LReferencePropertyName", o.LReferencePropertyName)
      .integers("LReferencePropertyCount", o.LReferencePropertyCount)
      .atoms("LReferencePropertyValues", o.LReferencePropertyValues)
      .atoms("LIntegerPropertyName", o.LIntegerPropertyName)
      .integers("LIntegerPropertyCount", o.LIntegerPropertyCount)
      .integers("LIntegerPropertyValues", o.LIntegerPropertyValues)
      .atoms("LFloatPropertyName", o.LFloatPropertyName)
      .integers("LFloatPropertyCount", o.LFloatPropertyCount)
      .reals("LFloatPropertyValues", o.LFloatPropertyValues);
}

/// "Type=quest IntegerPropertyName=[Reward] IntegerPropertyValue=[50]": every field not at
/// its initial value, in declared order.
inline std::string debugString(const F_generic& object, const AtomTable& atoms) {
  FieldDump dump(atoms);
  dumpGenericFields(dump, object);
  return dump.text();
}

inline std::string debugString(const F_item& o, const AtomTable& atoms) {
  FieldDump dump(atoms);
  dump.atoms("STR_Desc", o.STR_Desc)
      .atom("Type", o.Type)
      .atom("Class", o.Class)
      .atoms("FloatPropertyName", o.FloatPropertyName)
      .reals("FloatPropertyMin", o.FloatPropertyMin)
      .reals("FloatPropertyMax", o.FloatPropertyMax)
      .atoms("AtomPropertyName", o.AtomPropertyName)
      .atoms("AtomPropertyValue", o.AtomPropertyValue)
      .atoms("ReferencePropertyName", o.ReferencePropertyName)
      .atoms("ReferencePropertyValue", o.ReferencePropertyValue)
      .atoms("ModNames", o.ModNames)
      .reals("ModFactors", o.ModFactors)
      .atoms("Materials", o.Materials)
      .atoms("EffectMacro_0", o.EffectMacro_0)
      .atoms("EffectMacro_1", o.EffectMacro_1)
      .atoms("EffectMacro_2", o.EffectMacro_2);
  return dump.text();
}

inline std::string debugString(const F_character& o, const AtomTable& atoms) {
  FieldDump dump(atoms);
  dumpGenericFields(dump, o);
  dump.atoms("WeaponChoice", o.WeaponChoice)
      .atoms("ArmourChoice", o.ArmourChoice)
      .atoms("ShieldChoice", o.ShieldChoice)
      .atoms("HelmetChoice", o.HelmetChoice)
      .atoms("BootsChoice", o.BootsChoice)
      .atoms("GlovesChoice", o.GlovesChoice)
      .atoms("EquipmentChoice", o.EquipmentChoice)
      .atoms("InventoryChoice", o.InventoryChoice)
      .atoms("InventoryBonus", o.InventoryBonus)
      .atoms("AbilityChoice", o.AbilityChoice)
      .integers("AbilityLevel", o.AbilityLevel)
      .reals("AbilityProficiency", o.AbilityProficiency)
      .atom("Puppet", o.Puppet)
      .atom("Role", o.Role)
      .atoms("ClassChoice", o.ClassChoice)
      .atoms("RankChoice", o.RankChoice)
      .atoms("KnowledgeItem", o.KnowledgeItem)
      .integer("KnowledgeDesc", o.KnowledgeDesc)
      .atoms("WayptLocations", o.WayptLocations)
      .atoms("WayptConditions", o.WayptConditions)
      .integers("WayptTimeFlags", o.WayptTimeFlags)
      .atoms("WayptRoles", o.WayptRoles)
      .atoms("WayptSpots", o.WayptSpots)
      .integer("CrowdMin", o.CrowdMin)
      .integer("CrowdMax", o.CrowdMax)
      .atoms("CrowdMembers", o.CrowdMembers);
  return dump.text();
}

/// A fixture owning the atom table, the registry and the block context of one compile.
class SourceTest : public ::testing::Test {
 protected:
  /// The registered object at position index, if it has class T (by class name).
  template <class T>
  T* objectAt(int32_t index) {
    if (index < 0 || index >= registry_.count()) return nullptr;
    GameObject* object = registry_.at(index);
    if (std::string_view(object->classNameText()) != T().classNameText()) return nullptr;
    return static_cast<T*>(object);
  }

  /// The registered object of this name, if it has class T; "" names the unnamed object.
  template <class T>
  T* objectNamed(std::string_view name) {
    Atom atom = atoms_.find(name);
    if (!name.empty() && atom == kNoAtom) return nullptr;
    return objectAt<T>(registry_.indexOf(atom));
  }

  /// debugString of the object of this name and class, or "<no such object>".
  template <class T>
  std::string dumpNamed(std::string_view name) {
    T* object = objectNamed<T>(name);
    return object == nullptr ? "<no such object>" : debugString(*object, atoms_);
  }

  /// debugString of the object at position index if it has class T, or "<no such object>".
  template <class T>
  std::string dumpAt(int32_t index) {
    T* object = objectAt<T>(index);
    return object == nullptr ? "<no such object>" : debugString(*object, atoms_);
  }

  std::string name(Atom atom) const { return atomName(atoms_, atom); }

  /// The one error reported so far, as its message says it; "" without one.
  std::string errorMessage() const {
    return errors_.errors.size() == 1 ? messageOf(errors_.errors[0]) : std::string();
  }

  /// Keeps the errors reported from now on in errors_.
  void recordErrors() { ctx_.findings = &errors_; }

  AtomTable atoms_;
  ObjectRegistry registry_{atoms_};
  BlockContext ctx_{atoms_, registry_};
  FindingRecorder errors_;
};

}  // namespace rpgc::test

#endif  // RPGC_TESTS_SUPPORT_SOURCE_FIXTURE_H_
