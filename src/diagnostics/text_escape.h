// Texts in diagnostics: one line each whatever bytes they quote, and JSON strings.
#ifndef RPGC_DIAGNOSTICS_TEXT_ESCAPE_H_
#define RPGC_DIAGNOSTICS_TEXT_ESCAPE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace rpgc {

/// The bytes of the character at text[i]: a well-formed UTF-8 sequence, or one byte that
/// starts none.
size_t characterLength(std::string_view text, size_t i);

/// Whether the character at text[i] shows as itself on a terminal: it is well-formed
/// UTF-8 and no control (bytes below 0x20 and 0x7F, U+0080 to U+009F).
bool isPrintable(std::string_view text, size_t i);

/// text with what does not show as itself written out ("\t", "\n", "\r", and "\x01",
/// "\x7f", "\xc2\x9b", "\xe9" for the bytes of other controls and of bytes that are not
/// UTF-8), so that a quoted name or file name can never break a message's line nor drive
/// the terminal.
std::string escapeText(std::string_view text);

/// text, or its first and last parts around "…" when it is longer than limit bytes (cut
/// only between UTF-8 characters).
std::string shortenMiddle(std::string_view text, size_t limit = 80);

/// text as a JSON string with its quotes. Bytes that are not UTF-8 are written as the
/// characters U+0080 to U+00FF of the same value, so the result is always valid JSON.
std::string jsonString(std::string_view text);

}  // namespace rpgc

#endif  // RPGC_DIAGNOSTICS_TEXT_ESCAPE_H_
