// Compilation: the state one run of the compiler builds up, from the first source file
// to the two output files.
//
// The program has one of these for its whole run; tests make fresh ones.
#ifndef RPGC_DRIVER_COMPILATION_H_
#define RPGC_DRIVER_COMPILATION_H_

#include <vector>

#include "archive/archive_writer.h"
#include "core/atom_table.h"
#include "core/finding.h"
#include "model/object_registry.h"
#include "source/block_context.h"
#include "strings/string_table.h"

namespace rpgc {

struct Compilation {
  Compilation() = default;
  Compilation(const Compilation&) = delete;
  Compilation& operator=(const Compilation&) = delete;

  AtomTable atoms;
  ObjectRegistry registry{atoms};
  StringTable strings;
  BlockContext blocks{atoms, registry};
  ArchiveWriter archive{atoms};
  /// Whether a walk goes on after a section fails (to report everything, writing nothing).
  bool keepGoing = false;
};

}  // namespace rpgc

#endif  // RPGC_DRIVER_COMPILATION_H_
