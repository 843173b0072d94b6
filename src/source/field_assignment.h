// assignField: stores an assignment's value tokens into one fixed field of an object.
//
// The field's kind says how: an atom, integer or float takes the first value; a list is
// replaced by the conversions of all values, in order (comma tokens included).
#ifndef RPGC_SOURCE_FIELD_ASSIGNMENT_H_
#define RPGC_SOURCE_FIELD_ASSIGNMENT_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "core/string_list.h"
#include "model/value_kind.h"

namespace rpgc {

class AtomTable;
class GameObject;

void assignField(const PropertyRef& field, const StringList& values, AtomTable& atoms);

/// The index of the property of object named name among candidates (names of
/// properties the caller treats as fixed fields), or -1.
int32_t fixedFieldIndex(const GameObject& object, std::span<const std::string_view> candidates,
                        std::string_view name);

}  // namespace rpgc

#endif  // RPGC_SOURCE_FIELD_ASSIGNMENT_H_
