// CompilationUnit: reading and compiling one file alone, and merging it into the run.
#include "driver/compilation_unit.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "core/atom_table.h"
#include "diagnostics/diagnostic_engine.h"
#include "driver/section_dispatcher.h"
#include "io/file_system.h"
#include "model/atom_renumbering.h"
#include "model/game_object.h"
#include "strings/string_section.h"

namespace rpgc {

namespace {

bool isRegularFile(const std::string& path) {
  struct stat status = {};
  return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The run's atom of a name the unit knows; kNoAtom when the run has none.
Atom runAtomOf(const AtomTable& unitAtoms, Atom atom, const AtomTable& runAtoms) {
  return atom < 0 ? kNoAtom : runAtoms.find(unitAtoms.atomView(atom));
}

// Whether the unit declares an object or a string section that the run already has: its
// compilation would then have gone otherwise after the files before it.
bool dependsOnEarlierFiles(const CompilationUnit& unit, const Compilation& run) {
  const Compilation& own = unit.state;
  for (int32_t i = 0; i < own.registry.count(); ++i) {
    Atom name = own.registry.at(i)->name();
    Atom runName = runAtomOf(own.atoms, name, run.atoms);
    if ((name == kNoAtom || runName != kNoAtom) && run.registry.find(runName) != nullptr) {
      return true;
    }
  }
  const std::vector<SourcePlace>& runStrings = run.blocks.stringOrigins;
  const std::vector<SourcePlace>& ownStrings = own.blocks.stringOrigins;
  for (size_t slot = 0; slot < ownStrings.size(); ++slot) {
    if (!ownStrings[slot].known()) continue;
    Atom runName = runAtomOf(own.atoms, static_cast<Atom>(slot) - 1, run.atoms);
    if (slot != 0 && runName == kNoAtom) continue;
    size_t runSlot = static_cast<size_t>(runName) + 1;
    if (runSlot < runStrings.size() && runStrings[runSlot].known()) return true;
  }
  return false;
}

// Shows the unit's findings in order, folding each string-section line where the file's
// compilation folded it.
void showFindings(CompilationUnit& unit, DiagnosticEngine& engine) {
  std::vector<Finding>& findings = unit.findings.findings();
  const std::vector<FindingRecorder::Fold>& folds = unit.findings.folds();
  engine.setLines(unit.file, &unit.lines);
  for (const FindingRecorder::Section& section : unit.findings.sections()) {
    engine.sectionRead(unit.file, section.headerLine, section.lastLine);
  }
  size_t fold = 0;
  for (size_t k = 0; k < findings.size(); ++k) {
    for (; fold < folds.size() && folds[fold].before <= static_cast<int32_t>(k); ++fold) {
      int32_t line = folds[fold].line;
      auto length = static_cast<int32_t>(unit.lines[line].size());
      unit.lines.setLength(line, foldBlanks(unit.lines.mutableLine(line), length));
    }
    engine.report(std::move(findings[k]));
  }
  engine.setLines(unit.file, nullptr);
}

// Moves what the unit compiled into run, renumbering its atoms.
void absorb(CompilationUnit& unit, Compilation& run) {
  Compilation& own = unit.state;
  BlockContext& runBlocks = run.blocks;
  BlockContext& ownBlocks = own.blocks;
  std::vector<Atom>& runAtoms = unit.runAtoms;
  runAtoms.resize(static_cast<size_t>(own.atoms.count()));
  // Into a run without names (the first file), the unit's table becomes the run's as it is.
  bool sameAtoms = run.atoms.count() == 0;
  if (sameAtoms) {
    for (Atom atom = 0; atom < own.atoms.count(); ++atom)
      runAtoms[static_cast<size_t>(atom)] = atom;
    run.atoms.swap(own.atoms);
  } else {
    for (Atom atom = 0; atom < own.atoms.count(); ++atom) {
      runAtoms[static_cast<size_t>(atom)] = run.atoms.intern(own.atoms.atomView(atom));
    }
  }
  // Uses of names declared by earlier files are settled already (as when the file is
  // compiled after them); the others wait for the end of the run.
  std::vector<SourcePlace>& runStrings = runBlocks.stringOrigins;
  for (NamedUse use : ownBlocks.namedUses) {
    use.atom = renumbered(use.atom, runAtoms);
    size_t slot = static_cast<size_t>(use.atom) + 1;
    bool declared = use.target == NamedUse::Target::kObject
                        ? run.registry.find(use.atom) != nullptr
                        : slot < runStrings.size() && runStrings[slot].known();
    if (!declared) runBlocks.namedUses.push_back(use);
  }
  // What the duplicate checks remember goes along, by the run's numbers: a later file that
  // sets an object's property again, or repeats one of its blocks, is compiled into the run.
  int32_t firstObject = run.registry.count();
  for (const auto& [key, set] : ownBlocks.propertiesSet) {
    PropertyKey runKey{firstObject + key.object, renumbered(key.name, runAtoms), key.storage};
    runBlocks.propertiesSet.try_emplace(runKey,
                                        PropertySet{set.place, runBlocks.blockNumber + set.block});
  }
  for (const auto& [hash, body] : ownBlocks.blockBodies) {
    runBlocks.blockBodies.emplace(hash, BlockBody{firstObject + body.object, hash, body.header});
  }
  runBlocks.blockNumber += ownBlocks.blockNumber;
  for (int32_t i = 0; i < own.registry.count(); ++i) {
    std::unique_ptr<GameObject> object = own.registry.take(i);
    if (!sameAtoms) renumberAtoms(*object, runAtoms);
    run.registry.add(std::move(object));
    size_t place = static_cast<size_t>(i);
    runBlocks.origins.resize(
        static_cast<size_t>(run.registry.count()),
        place < ownBlocks.origins.size() ? ownBlocks.origins[place] : SourcePlace());
  }
  for (int32_t i = 0; i < own.strings.count(); ++i) {
    StringSection section = own.strings.at(i);
    section.name = renumbered(section.name, runAtoms);
    run.strings.append(section);
  }
  const std::vector<SourcePlace>& ownStrings = ownBlocks.stringOrigins;
  for (size_t slot = 0; slot < ownStrings.size(); ++slot) {
    if (!ownStrings[slot].known()) continue;
    size_t runSlot = static_cast<size_t>(renumbered(static_cast<Atom>(slot) - 1, runAtoms)) + 1;
    if (runSlot >= runStrings.size())
      runStrings.resize(std::max(runSlot + 1, runStrings.size() * 2));
    runStrings[runSlot] = ownStrings[slot];
  }
  for (LongName name : ownBlocks.longNames) {
    name.atom = renumbered(name.atom, runAtoms);
    name.owner = renumbered(name.owner, runAtoms);
    if (runBlocks.longNameAtoms.insert(name.atom).second) runBlocks.longNames.push_back(name);
  }
}

}  // namespace

void CompilationUnit::prepare(std::string filePath, int32_t fileNumber, const FindingSink& sink,
                              bool keepGoing) {
  path = std::move(filePath);
  file = fileNumber;
  read = false;
  readOk = false;
  readFailure = LineReadFailure();
  walked = false;
  failure = nullptr;
  state.atoms.clear();
  state.registry.clear();
  state.strings.clear();
  state.blocks.reset();
  state.blocks.file = file;
  state.blocks.findings = &findings;
  state.blocks.deferredFolds = &findings;
  state.keepGoing = keepGoing;
  findings.clear();
  findings.wantLike(sink);
}

void compileUnit(CompilationUnit& unit, bool readAnyFile) {
  try {
    if (!unit.path.empty() && !readAnyFile && !isRegularFile(unit.path)) return;
    unit.read = true;
    if (unit.path.empty()) {
      unit.lines.assign(unit.lines.releaseBuffer());  // no lines, the memory kept
      unit.readOk = true;
    } else {
      unit.readOk = readLines(unit.path.c_str(), unit.lines, unit.readFailure, FileSystem::real());
    }
    if (unit.readOk) unit.walked = compileSource(unit.lines, unit.state);
  } catch (...) {
    unit.read = true;
    unit.failure = std::current_exception();
  }
}

void compileUnitLines(CompilationUnit& unit, SourceLines lines) {
  try {
    unit.read = true;
    unit.readOk = true;
    unit.lines = std::move(lines);
    unit.walked = compileSource(unit.lines, unit.state);
  } catch (...) {
    unit.failure = std::current_exception();
  }
}

bool mergeUnit(CompilationUnit& unit, Compilation& run, DiagnosticEngine& engine) {
  if (unit.failure) std::rethrow_exception(unit.failure);
  // The source map notes places by the run's numbering of objects and sections: with one
  // kept, each file compiles into the run itself.
  if (run.blocks.sourceMap != nullptr || dependsOnEarlierFiles(unit, run)) {
    engine.setLines(unit.file, &unit.lines);
    run.blocks.file = unit.file;
    bool walked = compileSource(unit.lines, run);
    engine.setLines(unit.file, nullptr);
    return walked;
  }
  showFindings(unit, engine);
  absorb(unit, run);
  return unit.walked;
}

}  // namespace rpgc
