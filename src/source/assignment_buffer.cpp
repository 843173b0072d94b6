// readAssignmentBlock: keeps the assignment-shaped lines of one block body.
#include "source/assignment_buffer.h"

#include "core/atom_table.h"
#include "source/tokenizer.h"

namespace rpgc {

void AssignmentBuffer::clear() {
  typeWords.release();
  names.release();
  lines.release();
  text_.clear();
  spans_.clear();
  firstSpan_.assign(1, 0);
}

void AssignmentBuffer::append(Atom typeWord, Atom name,
                              std::span<const std::string_view> valueTokens, int32_t line) {
  typeWords.push(typeWord);
  names.push(name);
  lines.push(line);
  for (std::string_view token : valueTokens) {
    spans_.push_back({static_cast<uint32_t>(text_.size()), static_cast<uint32_t>(token.size())});
    text_.append(token);
  }
  firstSpan_.push_back(static_cast<uint32_t>(spans_.size()));
}

ValueTokens AssignmentBuffer::values(int32_t i) const {
  size_t first = firstSpan_[static_cast<size_t>(i)];
  size_t end = firstSpan_[static_cast<size_t>(i) + 1];
  return ValueTokens(text_, std::span<const ValueTokens::Span>(spans_).subspan(first, end - first));
}

void AssignmentBuffer::retain(const std::vector<bool>& keep) {
  int32_t kept = 0;
  size_t keptSpans = 0;
  for (int32_t i = 0; i < count(); ++i) {
    if (!keep[static_cast<size_t>(i)]) continue;
    typeWords[kept] = typeWords[i];
    names[kept] = names[i];
    lines[kept] = lines[i];
    // Spans move down; the token texts stay where they are.
    for (uint32_t s = firstSpan_[static_cast<size_t>(i)];
         s < firstSpan_[static_cast<size_t>(i) + 1]; ++s) {
      spans_[keptSpans++] = spans_[s];
    }
    ++kept;
    firstSpan_[static_cast<size_t>(kept)] = static_cast<uint32_t>(keptSpans);
  }
  typeWords.resize(kept);
  names.resize(kept);
  lines.resize(kept);
  spans_.resize(keptSpans);
  firstSpan_.resize(static_cast<size_t>(kept) + 1);
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
    buffer.append(typeWord, name, std::span<const std::string_view>(tokens).subspan(3), i);
  }
  return count + 1;
}

}  // namespace rpgc
