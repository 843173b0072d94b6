// pairDeclaredProperties: the properties a designer declared in a generic, item or
// character block, paired back up from the parallel lists that store them.
//
// Generic objects and characters keep single values as a name list and a value list
// (IntegerPropertyName with IntegerPropertyValue), and list values as a name list, a
// count list and one concatenated value list (LAtomPropertyName, LAtomPropertyCount,
// LAtomPropertyValues). Items keep FLOAT ranges as FloatPropertyName, FloatPropertyMin and
// FloatPropertyMax, and ATOM and REFERENCE properties as name/value pairs. The lists are
// found by name and kind, as a loader finds them: the last chunk of that name and kind.
#ifndef RPGC_READER_DECLARED_PROPERTIES_H_
#define RPGC_READER_DECLARED_PROPERTIES_H_

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/f_generic.h"
#include "model/f_item.h"
#include "reader/database_data.h"
#include "reader/file_image.h"

namespace rpgc::detail {

/// Storage lists are found among the first kMaxSlots properties of a class.
inline constexpr int32_t kMaxSlots = F_generic::kPropertyCount;
static_assert(F_item::kPropertyCount <= kMaxSlots);

/// Which storage list an atom of the file names, per class, found once per file.
class StorageRoles {
 public:
  explicit StorageRoles(const FileImage& image);

  enum class Class : uint8_t { kOther, kGeneric, kItem, kCharacter };
  Class classOf(int32_t classIndex) const;

  /// Appends the declared properties of an object whose record has the given property
  /// chunks, and marks in storesDeclared (parallel to chunks) the lists they come from;
  /// false when the lists do not pair up.
  bool pair(Class objectClass, std::span<const int32_t> chunks, std::span<uint8_t> storesDeclared,
            std::vector<DeclaredEntry>& declared) const;

 private:
  const FileImage* image_;
  std::vector<uint8_t> genericSlot_;  // by atom index: F_generic property index + 1, or 0
  std::vector<uint8_t> itemSlot_;     // the same for F_item
  std::vector<uint8_t> classOf_;      // by atom index: a Class
  std::array<int32_t, kMaxSlots> genericKinds_{};  // the value kind of each property
  std::array<int32_t, kMaxSlots> itemKinds_{};
};

}  // namespace rpgc::detail

#endif  // RPGC_READER_DECLARED_PROPERTIES_H_
