// assignField: stores an assignment's value tokens into one fixed field of an object.
//
// The field's kind says how: an atom, integer or float takes the first value; a list is
// replaced by the conversions of all values, in order (comma tokens included).
#ifndef RPGC_SOURCE_FIELD_ASSIGNMENT_H_
#define RPGC_SOURCE_FIELD_ASSIGNMENT_H_

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "model/value_kind.h"
#include "source/assignment_buffer.h"

namespace rpgc {

class AtomTable;
class GameObject;

void assignField(const PropertyRef& field, const ValueTokens& values, AtomTable& atoms);

/// The properties of a class that block lines set by name (its fixed fields), with their
/// property indices looked up once.
class FixedFields {
 public:
  /// names must be property names of prototype's class.
  FixedFields(const GameObject& prototype, std::span<const std::string_view> names);

  /// The property index of the fixed field called name, or -1.
  int32_t indexOf(std::string_view name) const;

 private:
  struct Field {
    std::string_view name;
    int32_t index;
  };
  std::vector<Field> fields_;
};

}  // namespace rpgc

#endif  // RPGC_SOURCE_FIELD_ASSIGNMENT_H_
