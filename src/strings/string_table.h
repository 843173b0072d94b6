// StringTable: every compiled string section, in compile order.
#ifndef RPGC_STRINGS_STRING_TABLE_H_
#define RPGC_STRINGS_STRING_TABLE_H_

#include <cstdint>

#include "core/ref_array.h"
#include "strings/string_section.h"

namespace rpgc {

class StringTable {
 public:
  int32_t count() const { return sections_.length(); }
  const StringSection& at(int32_t index) const { return sections_[index]; }
  void append(const StringSection& section) { sections_.push(section); }
  void clear() { sections_.release(); }

 private:
  RefArray<StringSection, 128, SlotInit::kConstruct> sections_;
};

}  // namespace rpgc

#endif  // RPGC_STRINGS_STRING_TABLE_H_
