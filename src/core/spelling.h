// closestWord: the "did you mean" of the warnings, a candidate a word is probably a
// misspelling of.
#ifndef RPGC_CORE_SPELLING_H_
#define RPGC_CORE_SPELLING_H_

#include <span>
#include <string_view>

namespace rpgc {

/// Whether a and b hold the same letters regardless of case (ASCII only).
bool equalsIgnoringCase(std::string_view a, std::string_view b);

/// The candidate that word is probably a misspelling of: one equal to it regardless of
/// case, else one within maxEdits edits (by default 1 for words up to 4 bytes, else 2;
/// swapping two neighbours counts as one edit). Empty when none is close or when word
/// is itself a candidate.
std::string_view closestWord(std::string_view word, std::span<const std::string_view> candidates,
                             int maxEdits = -1);

}  // namespace rpgc

#endif  // RPGC_CORE_SPELLING_H_
