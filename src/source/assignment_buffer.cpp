// readAssignmentBlock: keeps the assignment-shaped lines of one block body.
#include "source/assignment_buffer.h"

#include "core/atom_table.h"
#include "source/tokenizer.h"

namespace rpgc {

void AssignmentBuffer::clear() {
  typeWords.release();
  names.release();
  values.release();
  lines.release();
}

void AssignmentBuffer::append(Atom typeWord, Atom name, const StringList& valueTokens,
                              int32_t line) {
  typeWords.push(typeWord);
  names.push(name);
  values.push(valueTokens);
  lines.push(line);
}

int32_t readAssignmentBlock(const StringList& lines, int32_t start, AtomTable& atoms,
                            AssignmentBuffer& buffer) {
  buffer.clear();
  std::vector<std::string_view>& tokens = buffer.tokens;
  int32_t count = lines.length();
  for (int32_t i = start; i < count; ++i) {
    tokenizeInto(lines[i].view(), tokens);
    if (tokens.empty()) continue;
    if (tokens[0] == "END") return i + 1;
    if (tokens.size() <= 3 || tokens[2] != "=") continue;
    Atom typeWord = atoms.intern(tokens[0]);
    Atom name = atoms.intern(tokens[1]);
    StringList valueTokens;
    for (size_t t = 3; t < tokens.size(); ++t) valueTokens.push(RefString(tokens[t]));
    buffer.append(typeWord, name, valueTokens, i);
  }
  return count + 1;
}

}  // namespace rpgc
