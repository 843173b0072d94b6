// AssignmentBuffer and readAssignmentBlock: the shared reader of block bodies.
//
// A block body runs from the line after its header to a line whose first token is
// "END". Lines shaped like an assignment (type word, name, "=", one or more values) are
// kept, already split; every other line is skipped. The block parsers then interpret
// the buffer each in its own way.
#ifndef RPGC_SOURCE_ASSIGNMENT_BUFFER_H_
#define RPGC_SOURCE_ASSIGNMENT_BUFFER_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/atom.h"
#include "core/string_list.h"
#include "core/value_lists.h"

namespace rpgc {

class AtomTable;

/// Parallel lists: entry i belongs to the i-th accepted line of the last block read.
class AssignmentBuffer {
 public:
  int32_t count() const { return typeWords.length(); }
  void clear();
  void append(Atom typeWord, Atom name, const StringList& valueTokens, int32_t line);

  AtomList typeWords;     // atom of token 0
  AtomList names;         // atom of token 1
  StringListList values;  // tokens 3 .. last, at least one
  IntList lines;          // index of the source line in its file

  /// Token scratch, reused across lines to avoid reallocating.
  std::vector<std::string_view> tokens;
};

/// Reads the body that starts at line start into buffer. Returns the index of the "END"
/// line plus one, or the number of lines plus one when no line begins with "END".
int32_t readAssignmentBlock(const StringList& lines, int32_t start, AtomTable& atoms,
                            AssignmentBuffer& buffer);

}  // namespace rpgc

#endif  // RPGC_SOURCE_ASSIGNMENT_BUFFER_H_
