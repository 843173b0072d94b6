// unifiedDiff: the change from a file to its formatted form, as a unified diff that
// patch -p0 applies.
//
// No search for a shortest edit is needed: the formatter says which line of the file each
// of its lines was made from, so the edit is read off in one pass, in time linear in the
// two files.
#ifndef RPGC_FORMATTER_UNIFIED_DIFF_H_
#define RPGC_FORMATTER_UNIFIED_DIFF_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rpgc {

/// The diff from before to after, both named path, with three lines of context; after
/// ends with a line end, and its line k was made from line origin[k] of before (-1: a line
/// added). Empty when the two are equal.
std::string unifiedDiff(std::string_view path, std::string_view before, std::string_view after,
                        std::span<const int32_t> origin);

}  // namespace rpgc

#endif  // RPGC_FORMATTER_UNIFIED_DIFF_H_
