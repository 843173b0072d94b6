// Text escapes: how names, texts and file names show, whatever bytes they hold. One
// policy, two renderings.
//
// The policy: a character that shows as itself (well-formed UTF-8, no control) is copied.
// What does not is written as an escape that says exactly which bytes were there, never
// replaced, dropped or read as another encoding: a control (bytes below 0x20, 0x7F, and
// U+0080 to U+009F, of which 0x9B starts a terminal's control sequence) and each byte that
// starts no well-formed character (a Latin-1 letter, a text cut short).
//
// In text, a character that shows as nothing or as a blank though it is part of a word (a
// no-break space, a zero-width space: see core/invisible_characters) is written as its
// code point, "\u00A0", so that 'Bread\u00A0' is not taken for 'Bread'.
//
// The renderings: in text (diagnostics, rpgdump's listing header) "\t", "\n", "\r", and
// "\xNN" for each other byte escaped ("\x01", "\x7f", "\xc2\x9b", "\xe9"); in JSON
// (diagnostics, rpgdump --json and the listing's quoted names) "\t", "\n", "\r",
// "\uNNNN" for the other controls, and for a byte that is no character the lone surrogate
// "\udcNN", NN being the byte. Valid UTF-8 never encodes U+DC80 to U+DCFF, so the escape
// cannot be taken for a character, and Python's surrogateescape error handler gives the
// bytes back: json.loads(s) then text.encode("utf-8", "surrogateescape").
#ifndef RPGC_DIAGNOSTICS_TEXT_ESCAPE_H_
#define RPGC_DIAGNOSTICS_TEXT_ESCAPE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace rpgc {

/// The bytes of the character at text[i]: a well-formed UTF-8 character, or one byte that
/// starts none.
size_t characterLength(std::string_view text, size_t i);

/// Whether the character at text[i] shows as itself: well-formed and no control.
bool isPrintable(std::string_view text, size_t i);

/// text in the text rendering, so that a quoted name or file name can never break a
/// message's line nor drive the terminal.
std::string escapeText(std::string_view text);

/// text, or its first and last parts around "…" when it is longer than limit bytes (cut
/// only between UTF-8 characters).
std::string shortenMiddle(std::string_view text, size_t limit = 80);

/// Appends bytes in the JSON rendering, without quotes ('"' and '\' escaped too).
void appendJsonCharacters(std::string& out, std::string_view bytes);
/// bytes as a JSON string, quotes included.
void appendJsonString(std::string& out, std::string_view bytes);
std::string jsonString(std::string_view bytes);

/// Whether a name shows bare in rpgdump's listing: not empty, and only characters that
/// show as themselves other than blanks, quotes, backslashes, brackets and parentheses.
bool isPlainName(std::string_view bytes);
/// A name as rpgdump's listing shows it: bare when plain, else as a JSON string.
void appendShownText(std::string& out, std::string_view bytes);
std::string shownText(std::string_view bytes);

}  // namespace rpgc

#endif  // RPGC_DIAGNOSTICS_TEXT_ESCAPE_H_
