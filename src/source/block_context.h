// BlockContext: what the block parsers work on, and how they report a failed block.
//
// The parsers add objects to the registry through obtainTemplate, which also remembers
// where each object was first declared, so that a later conflict can say so.
#ifndef RPGC_SOURCE_BLOCK_CONTEXT_H_
#define RPGC_SOURCE_BLOCK_CONTEXT_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/atom.h"
#include "core/ref_string.h"
#include "source/assignment_buffer.h"

namespace rpgc {

class AtomTable;
class GameObject;
class ObjectRegistry;

/// A place in the sources: the index of a file in the compile order and a line (from 1).
struct SourcePosition {
  int32_t file = -1;
  int32_t line = 0;
};

/// Why a block failed: its name is already bound to an object of another class.
struct BlockError {
  SourcePosition where;  // the block's header line
  Atom name = kNoAtom;
  Atom existingClass = kNoAtom;
  Atom requestedClass = kNoAtom;
  SourcePosition existingOrigin;  // where the existing object was first declared
};

class BlockContext {
 public:
  BlockContext(AtomTable& atomTable, ObjectRegistry& objects)
      : atoms(atomTable), registry(objects) {}
  BlockContext(const BlockContext&) = delete;
  BlockContext& operator=(const BlockContext&) = delete;

  AtomTable& atoms;
  ObjectRegistry& registry;
  AssignmentBuffer buffer;
  /// The file being compiled, as stored in SourcePosition::file.
  int32_t file = -1;
  /// Where each registered object was first declared, by registry position.
  std::vector<SourcePosition> origins;
  /// Set when a block fails.
  std::optional<BlockError> error;
};

/// The template of this name and class for the block whose header is at line index
/// headerLine (the body starts one line later); created when new. Null when the name
/// belongs to another class, with ctx.error set.
GameObject* obtainTemplate(BlockContext& ctx, const RefString& name, std::string_view className,
                           int32_t headerLine);

}  // namespace rpgc

#endif  // RPGC_SOURCE_BLOCK_CONTEXT_H_
