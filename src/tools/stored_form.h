// storedFormMatches: whether a file holds, byte for byte, what rpgc writes for its
// content. The content is written again through the compiler's own writer (the archive,
// the object templates, the string sections) and compared with the file as it goes; so
// whatever the reader does not show (chunk words, bytes after a value, the order of the
// atom table, booleans stored as 2) still cannot slip through --source.
#ifndef RPGC_TOOLS_STORED_FORM_H_
#define RPGC_TOOLS_STORED_FORM_H_

namespace rpgc {

class ByteSource;
struct DumpInput;
struct SourceProblem;

/// original gives the file's bytes from the first on. The input must have passed
/// checkSourceForm. When the bytes differ, problem names the first difference: the
/// header, or the object and property, or the string section that holds it.
bool storedFormMatches(const DumpInput& input, ByteSource& original, SourceProblem& problem);

}  // namespace rpgc

#endif  // RPGC_TOOLS_STORED_FORM_H_
