// CompilationUnit: one source file compiled on its own, and its merge into the run.
//
// A unit holds everything its file gave: its lines, its objects and string sections
// (numbered by an atom table of its own), the places and names it noted, and its
// findings in the order they were reported. Units compile independently, on any thread,
// and merge one by one, in the run's file order, into the run's Compilation, which then
// holds exactly what compiling the files one after the other into it gives:
//   - the unit's names are interned into the run's table in the order the file first
//     used them, and every atom the unit holds is renumbered to the run's;
//   - objects are appended in order of first declaration, string sections in file order;
//   - findings are shown in the order they were reported, and the lines of string
//     sections are folded between them where the file's compilation folded them.
// A file that extends objects an earlier file declared depends on the files before it:
// the merge compiles those objects' blocks again, against the run's state, in their place
// among the file's findings, and takes the unit's work for the rest. A file that declares
// a name of another class or a string section again is compiled again whole.
//
// A unit's memory (file buffer, atom table, scratch lists) is kept for the next file
// compiled into it. To recompile one file, compile its unit again and merge every unit
// into a fresh Compilation: merging takes the unit's objects, so a caller that merges a
// unit twice keeps its own copy or compiles it again.
#ifndef RPGC_DRIVER_COMPILATION_UNIT_H_
#define RPGC_DRIVER_COMPILATION_UNIT_H_

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "core/finding_recorder.h"
#include "core/source_lines.h"
#include "driver/compilation.h"
#include "io/line_reader.h"

namespace rpgc {

class DiagnosticEngine;

struct CompilationUnit {
  CompilationUnit() = default;
  CompilationUnit(const CompilationUnit&) = delete;
  CompilationUnit& operator=(const CompilationUnit&) = delete;

  /// Makes the unit ready for the file at path, the run's file number file: what the last
  /// file left is forgotten (its memory kept). The unit wants the findings sink wants and
  /// goes on after a failed section when keepGoing.
  void prepare(std::string path, int32_t file, const FindingSink& sink, bool keepGoing);

  std::string path;
  int32_t file = -1;

  /// Whether the file was read (only regular files are read ahead of their turn), and
  /// what reading gave.
  bool read = false;
  bool readOk = false;
  LineReadFailure readFailure;
  SourceLines lines;

  /// What the file compiled to.
  Compilation state;
  FindingRecorder findings;
  bool walked = false;
  /// An exception of the compilation (running out of memory), rethrown by the merge.
  std::exception_ptr failure;

  /// The object blocks the file's walk read, in order.
  std::vector<ObjectBlock> objectBlocks;

  /// Scratch of the merge: the run's atom for each of the unit's, the run's registry
  /// position for each of its objects.
  std::vector<Atom> runAtoms;
  std::vector<int32_t> runObjects;
};

/// Reads the unit's file (unless readAnyFile, a regular file only: a pipe or a device is
/// left for its turn, unread) and compiles it. Never throws: a failure is kept in the unit.
void compileUnit(CompilationUnit& unit, bool readAnyFile);

/// Compiles lines that the caller holds (an editor's unsaved text) as the unit's file,
/// as compileUnit compiles the lines it read. Never throws: a failure is kept in the unit.
void compileUnitLines(CompilationUnit& unit, SourceLines lines);

/// Merges a unit that was read successfully into run, showing its findings on engine
/// (which must know the file as unit.file). False when the file's walk stopped at a failed
/// section. Rethrows the exception the compilation met.
bool mergeUnit(CompilationUnit& unit, Compilation& run, DiagnosticEngine& engine);

}  // namespace rpgc

#endif  // RPGC_DRIVER_COMPILATION_UNIT_H_
