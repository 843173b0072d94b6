// amplifyingDatabase: a small database whose every reading is large: one generic object
// declaring one atom list (ATOMS Coins) of many copies of one atom of the longest name,
// 1024 bytes. Each copy takes 4 bytes of the file and 1024 of a listing, so a tool that
// builds a value as one string needs 256 times the file in memory.
//
// Written through the compiler's own writer: the source declares the list with one
// element, which is then repeated in the compiled object before it is written.
#ifndef RPGC_TESTS_SUPPORT_AMPLIFYING_DATABASE_H_
#define RPGC_TESTS_SUPPORT_AMPLIFYING_DATABASE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "support/compile_in_memory.h"

namespace rpgc::test {

/// The name of the repeated atom: 1024 bytes.
inline std::string amplifyingAtom() {
  std::string atom;
  while (atom.size() < 1024) atom += "GoldCoin";
  return atom.substr(0, 1024);
}

/// The .gdf bytes (scrambled, as on disk) of project Hoard: object Hoard of type quest,
/// declaring ATOMS Coins with copies copies of amplifyingAtom(); empty when it fails.
/// When changedLast is set, the last copy is the atom "Copper" instead.
inline Bytes amplifyingDatabase(int32_t copies, bool changedLast = false) {
  std::string atom = amplifyingAtom();
  std::string source = "BEGIN quest Hoard\nATOMS Coins = " + atom + "\nEND\n";
  auto repeat = [&](Compilation& compilation) {
    GameObject& hoard = *compilation.registry.at(0);
    Atom coin = compilation.atoms.intern(atom);
    Atom copper = compilation.atoms.intern(std::string_view("Copper"));
    for (int32_t i = 0; i < hoard.propertyCount(); ++i) {
      std::string_view name = hoard.propertyNameText(i);
      if (name == "LAtomPropertyCount") hoard.property(i).integers()[0] = copies;
      if (name != "LAtomPropertyValues") continue;
      AtomList& values = hoard.property(i).atoms();
      values.resize(copies);
      for (Atom& value : values) value = coin;
      if (changedLast && copies > 0) values[copies - 1] = copper;
    }
  };
  CompiledFiles files = compileInMemory("Hoard", 1.0f, {source}, true, repeat);
  return files.ok ? files.database : Bytes();
}

}  // namespace rpgc::test

#endif  // RPGC_TESTS_SUPPORT_AMPLIFYING_DATABASE_H_
