// compiledImage: what one source file compiles to, as the bytes of both output files.
//
// The file is compiled alone, as a project of its own, by the compiler itself, and both
// containers are written into memory (without the scrambling filter, which changes no
// comparison). Two forms of a file that give the same image give the same outputs in
// any project: the walk over the lines and every parser call are the same.
#ifndef RPGC_FORMATTER_COMPILED_IMAGE_H_
#define RPGC_FORMATTER_COMPILED_IMAGE_H_

#include <string>

#include "core/source_lines.h"

namespace rpgc {

class FindingSink;

struct CompiledImage {
  /// False when the outputs could not be written (a name too long for them): bytes then
  /// hold no comparable content.
  bool written = false;
  std::string bytes;

  bool operator==(const CompiledImage&) const = default;
};

/// Compiles a copy of lines (sections that fail do not stop the walk) and writes both
/// outputs; findings, when given, receive what the compiler finds.
CompiledImage compiledImage(const SourceLines& lines, FindingSink* findings);

}  // namespace rpgc

#endif  // RPGC_FORMATTER_COMPILED_IMAGE_H_
