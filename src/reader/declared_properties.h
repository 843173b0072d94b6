// StorageRoles: the properties a designer declared in a generic, item or character block,
// paired back up from the parallel lists that store them.
//
// Which lists pair up, and how, is the storage roles of the property tables
// (format/property_tables.h): generic objects and characters keep single values as a name
// list and a value list (IntegerPropertyName with IntegerPropertyValue), and list values
// as a name list, a count list and one list of every value (LAtomPropertyName,
// LAtomPropertyCount, LAtomPropertyValues); items keep FLOAT ranges as names, minima and
// maxima, and ATOM and REFERENCE properties as name/value pairs. The lists are found by
// name and kind, as a loader finds them: the last chunk of that name and kind.
#ifndef RPGC_READER_DECLARED_PROPERTIES_H_
#define RPGC_READER_DECLARED_PROPERTIES_H_

#include <cstdint>
#include <span>
#include <vector>

#include "reader/database_data.h"
#include "reader/file_image.h"

namespace rpgc::detail {

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
  // By atom index: the property index + 1 of the storage list of that name, or 0. Generic
  // objects and characters store at the same indices.
  std::vector<uint8_t> genericSlot_;
  std::vector<uint8_t> itemSlot_;
  std::vector<uint8_t> classOf_;  // by atom index: a Class
};

}  // namespace rpgc::detail

#endif  // RPGC_READER_DECLARED_PROPERTIES_H_
