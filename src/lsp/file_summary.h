// FileSummary: what compiling one source file tells the rest of the project, and
// compileFileSummary, which makes it.
//
// The language server compiles each file on its own, as the compiler's CompilationUnit
// (the code path of rpgc), and puts the project together from the summaries (see
// ProjectModel). A file's findings
// depend on the rest of the project only through the names its headers declare: an
// object or string section of that name declared by an earlier file makes a header a
// conflict, an extension or a duplicate. So a file is compiled against a FileContext
// that holds exactly those earlier declarations, and its findings are then the ones a
// whole compile gives it, but for the checks made at the end of a run (values naming
// nothing, names too long), which the summary keeps the material of.
#ifndef RPGC_LSP_FILE_SUMMARY_H_
#define RPGC_LSP_FILE_SUMMARY_H_

#include <cstdint>
#include <string>
#include <vector>

#include "core/finding.h"
#include "core/source_lines.h"
#include "source/block_context.h"

namespace rpgc {
class WarningOptions;
struct CompilationUnit;
}  // namespace rpgc

namespace rpgc::lsp {

inline bool operator==(const SourcePlace& a, const SourcePlace& b) {
  return a.file == b.file && a.line == b.line && a.token == b.token && a.column == b.column;
}

/// An object declared before the file, as the file's compile must see it.
struct EarlierObject {
  std::string name;
  SectionKind kind = SectionKind::kObject;
  std::string typeWord;  // an object's type word as the earlier files left it
  SourcePlace origin;

  bool operator==(const EarlierObject&) const = default;
};

/// A string section declared before the file.
struct EarlierString {
  std::string name;
  SourcePlace origin;

  bool operator==(const EarlierString&) const = default;
};

struct FileContext {
  std::vector<EarlierObject> objects;
  std::vector<EarlierString> strings;

  bool operator==(const FileContext&) const = default;
};

/// An object that the file declares or extends, as the file leaves it.
struct DeclaredObject {
  std::string name;
  SectionKind kind = SectionKind::kObject;
  std::string typeWord;
  SourcePlace origin;  // unknown for an object declared before the file
};

/// A value that names an object or string section not declared when it was read.
struct UseOfName {
  std::string name;
  NamedUse::Target target = NamedUse::Target::kObject;
  int32_t line = 0;
  int32_t column = 0;
};

/// A name too long for the output files, where the file first read it.
struct LongNameUse {
  std::string name;
  SourcePlace place;
  std::string owner;
  SectionKind ownerKind = SectionKind::kObject;
  bool ownName = false;  // the name is the owner's own
};

struct FileSummary {
  int32_t file = -1;
  /// The lines as read, before compiling changed any.
  SourceLines lines;
  /// What the compile found, in the order it was reported.
  std::vector<Finding> findings;
  std::vector<DeclaredObject> objects;
  /// String sections the file declares first, with their places.
  std::vector<EarlierString> strings;
  /// Names on BEGIN and STRING lines, each once (more than the compiler reads: a
  /// wider context changes nothing).
  std::vector<std::string> objectHeaders;
  std::vector<std::string> stringHeaders;
  std::vector<UseOfName> uses;
  std::vector<LongNameUse> longNames;
  /// What the file was compiled against.
  FileContext context;
};

/// The names the headers of lines declare, each once, in order.
void scanHeaderNames(const SourceLines& lines, std::vector<std::string>& objects,
                     std::vector<std::string>& strings);

/// Compiles lines into unit (the compiler's unit of one file, its memory kept from file
/// to file) as the file of index `file` of a project whose earlier files declared
/// context, with the warnings options shows, every section compiled (a failed one does
/// not stop the walk). Throws what the compilation threw (running out of memory).
FileSummary compileFileSummary(CompilationUnit& unit, int32_t file, SourceLines lines,
                               FileContext context, const WarningOptions& options);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_FILE_SUMMARY_H_
