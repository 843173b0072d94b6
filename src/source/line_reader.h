// readLines: the one reader of text files (project descriptions and source files).
//
// A file is read whole, in binary. Each physical line becomes one line of the result,
// whatever its length: its text up to its first zero byte, without the line end and
// without trailing bytes 0x01 to 0x20 (so CR LF endings read like LF, and bytes 0x80 to
// 0xFF are kept). A UTF-8 byte order mark at the start of the file is dropped. Empty lines stay in
// the list so that positions are kept: line i of the result is line i + 1 of the file.
#ifndef RPGC_SOURCE_LINE_READER_H_
#define RPGC_SOURCE_LINE_READER_H_

#include <string_view>

#include "core/source_lines.h"

namespace rpgc {

/// Reads path into lines. False when the file cannot be opened or read (a missing file,
/// a folder, no permission, a read error), with the system's errno in *errorCode, or
/// when a line is longer than 2^31 - 2 bytes or there are more lines than that (EFBIG).
bool readLines(const char* path, SourceLines& lines, int* errorCode = nullptr);

/// The lines of a file; none when it cannot be read.
SourceLines readLines(const char* path);

/// Cuts text already in memory into lines by the same rules (none past the limits).
SourceLines splitLines(std::string_view content);

}  // namespace rpgc

#endif  // RPGC_SOURCE_LINE_READER_H_
