// Positions as the editor counts them: a line and a column in code units of UTF-16 (the
// protocol's default) or of UTF-8 (when both sides agree on it).
//
// The compiler counts bytes and a file need not be UTF-8. A byte that starts no
// well-formed character is one U+FFFD for the editor, as editors decode such files: one
// UTF-16 unit, three UTF-8 bytes.
#ifndef RPGC_LSP_TEXT_POSITIONS_H_
#define RPGC_LSP_TEXT_POSITIONS_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rpgc::lsp {

enum class PositionEncoding : uint8_t { kUtf16, kUtf8 };

/// The editor's column of the byte offset `bytes` of line (clamped to the line's end).
int32_t columnOfByte(std::string_view line, size_t bytes, PositionEncoding encoding);

/// The byte offset of the editor's column in line: the start of the character the column
/// falls in, or the line's length for a column past its end.
size_t byteOfColumn(std::string_view line, int64_t column, PositionEncoding encoding);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_TEXT_POSITIONS_H_
