// How rpgdump shows names and texts: JSON strings that give every byte back, and the
// listing's bare-or-quoted names.
//
// JSON strings are UTF-8. Valid UTF-8 is copied; '"', '\' and bytes below 0x20 are
// escaped (\n, \t, \u0001, ...), and so is 0x7F. A byte that is not part of valid UTF-8
// (80 to FF) is written as the lone surrogate \udcXX, XX being the byte: valid UTF-8 never
// encodes U+DC80 to U+DCFF, so the escape cannot be mistaken for a character, and
// Python's text.encode("utf-8", "surrogateescape") gives the bytes back.
#ifndef RPGC_TOOLS_TEXT_ESCAPE_H_
#define RPGC_TOOLS_TEXT_ESCAPE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace rpgc {

class TextOutput;

/// Appends bytes as a JSON string, quotes included.
void appendJsonString(std::string& out, std::string_view bytes);

/// Appends a name or text as the listing shows it: bare when it is non-empty valid UTF-8
/// without blanks, control bytes, quotes, backslashes, brackets or parentheses; otherwise
/// as a JSON string.
void appendShownText(std::string& out, std::string_view bytes);

/// appendJsonString and appendShownText into out, a piece at a time: a text of any length
/// never sits whole in memory as escaped text.
void putJsonString(TextOutput& out, std::string_view bytes);
void putShownText(TextOutput& out, std::string_view bytes);

/// Where to cut bytes at or just before at so that no UTF-8 character is cut in two: the
/// escapes of the two parts are then those of the whole. bytes.size() when at is past it.
size_t characterStart(std::string_view bytes, size_t at);

/// appendShownText into a new string.
std::string shownText(std::string_view bytes);

}  // namespace rpgc

#endif  // RPGC_TOOLS_TEXT_ESCAPE_H_
