// String sections: in-place folding, the section parser and the record writer.
#include "strings/string_section.h"

#include "archive/archive.h"
#include "core/atom_table.h"
#include "strings/string_table.h"

namespace rpgc {

void foldBlanks(RefString& line) {
  char* bytes = line.mutableBytes();
  if (bytes == nullptr) return;
  int32_t j = 0;
  bool afterBlank = true;
  for (int32_t i = 0; bytes[i] != 0; ++i) {
    auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte > 0x20) {
      bytes[j++] = bytes[i];
      afterBlank = false;
    } else if (!afterBlank) {
      bytes[j++] = ' ';
      afterBlank = true;
    }
  }
  if (j > 0 && afterBlank) --j;
  line.setLength(j);
}

int32_t parseStringSection(StringList& lines, int32_t start, const RefString& name,
                           const RefString& flag, AtomTable& atoms, StringTable& table) {
  StringSection section;
  section.name = atoms.intern(name.view());
  section.random = flag.equals("RANDOM");
  // Folding edits the file's own lines in place; nothing reads them unfolded afterwards.
  int32_t i = start;
  for (; i < lines.length(); ++i) {
    RefString& line = lines[i];
    if (!line.isEmpty()) foldBlanks(line);
    if (line.equals("END")) break;
    if (!line.isEmpty()) section.texts.push(line);
  }
  table.append(section);
  return i + 1;
}

bool StringSection::read(Archive& archive) {
  int32_t count = 0;
  if (!archive.readAtom(name) || !archive.readBool(random) || !archive.readInt32(count)) {
    return false;
  }
  // Every stored text takes at least its 4-byte size: a larger count cannot be right.
  if (!archive.expectItems(count, 4)) return false;
  texts.release();
  for (int32_t i = 0; i < count; ++i) {
    RefString text;
    if (!archive.readString(text)) return false;
    texts.push(text);
  }
  return true;
}

bool StringSection::write(Archive& archive) const {
  if (!archive.writeAtom(name) || !archive.writeBool(random) ||
      !archive.writeInt32(texts.length())) {
    return false;
  }
  for (const RefString& text : texts) {
    if (!archive.writeString(text)) return false;
  }
  return true;
}

}  // namespace rpgc
