// Hover texts: what a type word or a fixed field is and which values it takes, and a
// property's value as the database holds it.
#ifndef RPGC_LSP_HOVER_TEXT_H_
#define RPGC_LSP_HOVER_TEXT_H_

#include <string>
#include <string_view>

#include "model/property_ref.h"

namespace rpgc {
class AtomTable;
}

namespace rpgc::lsp {

/// Markdown about a type word ("FLOAT"), or empty for another word.
std::string typeWordHelp(std::string_view word);

/// Markdown about a fixed field of the blocks of blockKind ("item", "character"), or empty
/// when field is none of theirs.
std::string fieldHelp(std::string_view blockKind, std::string_view field);

/// A property's value in one line (lists separated by spaces, references by name); empty
/// when it holds nothing.
std::string valueText(const PropertyRef& value, const AtomTable& atoms);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_HOVER_TEXT_H_
