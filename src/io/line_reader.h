// readLines: the one reader of text files (project descriptions and source files).
//
// A file is read whole, in binary. Each physical line becomes one line of the result: its
// text up to its first zero byte, without the line end and without trailing bytes 0x01 to
// 0x20 (so CR LF endings read like LF, and bytes 0x80 to 0xFF are kept). A UTF-8 byte
// order mark at the start of the file is dropped. Empty lines stay in the list so that
// positions are kept: line i of the result is line i + 1 of the file.
//
// The limits of SourceLines are checked while reading, never after: a regular file's size
// before anything is read; a pipe or a device is read up to the size limit and one byte
// more; and a line that passes the length limit ends the read where it passes it. A
// regular file large enough to hold such a line is first read through without keeping
// anything, so a line past the limit never takes the memory it would need.
#ifndef RPGC_IO_LINE_READER_H_
#define RPGC_IO_LINE_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/finding.h"
#include "core/source_lines.h"

namespace rpgc {

class FileSystem;

/// The limits a read keeps (SourceLines' own; tests use smaller ones).
struct LineLimits {
  size_t longestLine = SourceLines::kLongestLine;
  size_t largestFile = SourceLines::kLargestFile;
};

/// Why a file could not be read into lines.
struct LineReadFailure {
  int errorCode = 0;      // errno (EFBIG past the size limit or the number of lines)
  int32_t longLine = -1;  // else the index of the first line longer than the limit
};

/// The finding that says why path could not be read: code (kCannotOpenSource or
/// kCannotOpenDescription) with the path and the system's reason, or kLineTooLong at the
/// line (place.file left to the caller, who numbers files).
Finding readFailureFinding(const LineReadFailure& failure, FindingCode code,
                           const std::string& path);

/// Reads path into lines; false, with the reason in failure, when the file cannot be
/// opened or read (a missing file, a folder, no permission, a read error) or passes a limit.
bool readLines(const char* path, SourceLines& lines, LineReadFailure& failure, FileSystem& fs,
               LineLimits limits = {});

/// Reads path into lines; false with errno in *errorCode (EFBIG for a line too long).
bool readLines(const char* path, SourceLines& lines, int* errorCode = nullptr);

/// The lines of a file; none when it cannot be read.
SourceLines readLines(const char* path);

/// Cuts text already in memory into lines by the same rules (none past the limits).
SourceLines splitLines(std::string_view content);

}  // namespace rpgc

#endif  // RPGC_IO_LINE_READER_H_
