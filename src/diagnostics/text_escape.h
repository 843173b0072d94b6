// Texts in diagnostics: one line each whatever bytes they quote, and JSON strings.
#ifndef RPGC_DIAGNOSTICS_TEXT_ESCAPE_H_
#define RPGC_DIAGNOSTICS_TEXT_ESCAPE_H_

#include <string>
#include <string_view>

namespace rpgc {

/// text with its control bytes written out ("\t", "\n", "\r", "\x01", "\x7f"), so that a
/// quoted name or file name can never break a message's line.
std::string escapeText(std::string_view text);

/// text, or its first and last parts around "…" when it is longer than limit bytes (cut
/// only between UTF-8 characters).
std::string shortenMiddle(std::string_view text, size_t limit = 80);

/// text as a JSON string with its quotes. Bytes that are not UTF-8 are written as the
/// characters U+0080 to U+00FF of the same value, so the result is always valid JSON.
std::string jsonString(std::string_view text);

}  // namespace rpgc

#endif  // RPGC_DIAGNOSTICS_TEXT_ESCAPE_H_
