// CompilationUnit: reading and compiling one file alone, and merging it into the run.
#include "driver/compilation_unit.h"

#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <span>
#include <string_view>
#include <utility>

#include "core/atom_table.h"
#include "diagnostics/diagnostic_engine.h"
#include "driver/section_dispatcher.h"
#include "format/property_tables.h"
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

// How a unit's file depends on the files merged before it.
enum class Dependence {
  kNone,     // it declares nothing they declared
  kExtends,  // it extends objects they declared, of the same class
  kOther,    // a name of another class, a string section declared again, a nameless object
};

bool sameClass(const GameObject& one, const GameObject& other) {
  const char* oneClass = one.classNameText();
  const char* otherClass = other.classNameText();
  return std::string_view(oneClass != nullptr ? oneClass : "") ==
         std::string_view(otherClass != nullptr ? otherClass : "");
}

Dependence dependenceOn(const CompilationUnit& unit, const Compilation& run) {
  const Compilation& own = unit.state;
  Dependence found = Dependence::kNone;
  for (int32_t i = 0; i < own.registry.count(); ++i) {
    const GameObject& object = *own.registry.at(i);
    Atom name = object.name();
    Atom runName = runAtomOf(own.atoms, name, run.atoms);
    if (name != kNoAtom && runName == kNoAtom) continue;
    const GameObject* earlier = run.registry.find(runName);
    if (earlier == nullptr) continue;
    if (name == kNoAtom || !sameClass(object, *earlier)) return Dependence::kOther;
    found = Dependence::kExtends;
  }
  const std::vector<SourcePlace>& runStrings = run.blocks.stringOrigins;
  const std::vector<SourcePlace>& ownStrings = own.blocks.stringOrigins;
  for (size_t slot = 0; slot < ownStrings.size(); ++slot) {
    if (!ownStrings[slot].known()) continue;
    Atom runName = runAtomOf(own.atoms, static_cast<Atom>(slot) - 1, run.atoms);
    if (slot != 0 && runName == kNoAtom) continue;
    size_t runSlot = static_cast<size_t>(runName) + 1;
    if (runSlot < runStrings.size() && runStrings[runSlot].known()) return Dependence::kOther;
  }
  return found;
}

// Whether reading a unit's extension blocks again against the run gives what compiling
// its whole file against the run gives. The blocks of other objects are the unit's work:
// they must not hinge on the blocks read again. A failed walk, a long name (the first
// place noted is the one reported) and an extension report that would name a class the
// run has not met yet (its name becomes a new atom) are left to the whole file.
bool extensionsReplay(const CompilationUnit& unit, const Compilation& run) {
  if (!unit.walked || !unit.state.blocks.longNames.empty()) return false;
  if (!unit.findings.wants(FindingCode::kExtendedObject)) return true;
  return run.atoms.find(format::kItemClass.name) != kNoAtom &&
         run.atoms.find(format::kCharacterClass.name) != kNoAtom;
}

// Shows a unit's findings in order, folding each string-section line where the file's
// compilation folded it; the findings of blocks read again are replaced by theirs.
class FindingReplay {
 public:
  FindingReplay(CompilationUnit& unit, DiagnosticEngine& engine) : unit_(unit), engine_(engine) {
    engine.setLines(unit.file, &unit.lines);
    for (const FindingRecorder::Section& section : unit.findings.sections()) {
      engine.sectionRead(unit.file, section.headerLine, section.lastLine);
    }
  }
  FindingReplay(const FindingReplay&) = delete;
  FindingReplay& operator=(const FindingReplay&) = delete;
  ~FindingReplay() { engine_.setLines(unit_.file, nullptr); }

  /// Shows the findings before the k-th, and folds the lines folded before it.
  void showUpTo(int32_t k) {
    std::vector<Finding>& findings = unit_.findings.findings();
    for (; shown_ < k; ++shown_) {
      foldUpTo(shown_);
      engine_.report(std::move(findings[static_cast<size_t>(shown_)]));
    }
    foldUpTo(k);
  }
  /// Drops the findings before the k-th (their block was read again).
  void skipTo(int32_t k) { shown_ = k; }
  void showAll() {
    std::vector<Finding>& findings = unit_.findings.findings();
    for (; shown_ < static_cast<int32_t>(findings.size()); ++shown_) {
      foldUpTo(shown_);
      engine_.report(std::move(findings[static_cast<size_t>(shown_)]));
    }
  }

 private:
  void foldUpTo(int32_t k) {
    const std::vector<FindingRecorder::Fold>& folds = unit_.findings.folds();
    for (; fold_ < folds.size() && folds[fold_].before <= k; ++fold_) {
      int32_t line = folds[fold_].line;
      auto length = static_cast<int32_t>(unit_.lines[line].size());
      unit_.lines.setLength(line, foldBlanks(unit_.lines.mutableLine(line), length));
    }
  }

  CompilationUnit& unit_;
  DiagnosticEngine& engine_;
  int32_t shown_ = 0;
  size_t fold_ = 0;
};

// Interns the unit's names into the run's table in the order the file first used them,
// filling unit.runAtoms; true when the unit's table became the run's as it is.
bool internNames(CompilationUnit& unit, Compilation& run) {
  AtomTable& ownAtoms = unit.state.atoms;
  std::vector<Atom>& runAtoms = unit.runAtoms;
  runAtoms.resize(static_cast<size_t>(ownAtoms.count()));
  // Into a run without names (the first file), the unit's table becomes the run's as it is.
  if (run.atoms.count() == 0) {
    for (Atom atom = 0; atom < ownAtoms.count(); ++atom) runAtoms[static_cast<size_t>(atom)] = atom;
    run.atoms.swap(ownAtoms);
    return true;
  }
  run.atoms.internAll(ownAtoms, runAtoms);
  return false;
}

// Keeps a use of a name for the end of the run, unless an earlier file declared it (as
// when the file is compiled after them).
void settleUse(NamedUse use, const std::vector<Atom>& runAtoms, Compilation& run) {
  use.atom = renumbered(use.atom, runAtoms);
  size_t slot = static_cast<size_t>(use.atom) + 1;
  const std::vector<SourcePlace>& runStrings = run.blocks.stringOrigins;
  bool declared = use.target == NamedUse::Target::kObject
                      ? run.registry.find(use.atom) != nullptr
                      : slot < runStrings.size() && runStrings[slot].known();
  if (!declared) run.blocks.namedUses.push_back(use);
}

// Adds a list's elements to another (as appends), or replaces the other's with them (as a
// field's assignment does), each element through to().
template <typename List, typename Convert>
void mergeList(const List& from, List& into, bool replace, Convert to) {
  if (replace) {
    into.release();
    if (from.length() > 0) into.resize(from.length());
    for (int32_t i = 0; i < from.length(); ++i) into[i] = to(from[i]);
  } else {
    for (const auto& element : from) into.push(to(element));
  }
}

// Applies to into, an object earlier files declared, what a unit's blocks did to their own
// copy of it, from (still numbered by the unit's atoms): the properties they replaced take
// its values, the lists they appended to take its elements at their end.
void applyBlocks(GameObject& from, GameObject& into, PropertyChanges changes,
                 std::span<const Atom> runAtoms) {
  auto same = [](auto value) { return value; };
  auto atom = [&](Atom value) { return renumbered(value, runAtoms); };
  for (uint64_t changed = changes.replaced | changes.appended; changed != 0;
       changed &= changed - 1) {
    auto i = static_cast<int32_t>(std::countr_zero(changed));
    PropertyRef source = from.property(i);
    PropertyRef target = into.property(i);
    bool replace = ((changes.replaced >> i) & 1) != 0;
    switch (target.kind) {
      case ValueKind::kInteger:
        if (replace) target.integer() = source.integer();
        break;
      case ValueKind::kFloat:
        if (replace) target.real() = source.real();
        break;
      case ValueKind::kAtom:
        if (replace) target.atom() = atom(source.atom());
        break;
      case ValueKind::kIntegerList:
        mergeList(source.integers(), target.integers(), replace, same);
        break;
      case ValueKind::kFloatList:
        mergeList(source.reals(), target.reals(), replace, same);
        break;
      case ValueKind::kAtomList:
        mergeList(source.atoms(), target.atoms(), replace, atom);
        break;
      case ValueKind::kReference:
      case ValueKind::kReferenceList:
      case ValueKind::kNone:
        break;  // no block sets these
    }
  }
}

// Moves what the unit compiled into run, renumbering its atoms (interned already). The
// unit's objects go to the places unit.runObjects gives; those whose place is before
// firstObject were declared by earlier files: with applied, what the unit's blocks did to
// them is applied to the run's objects, else their blocks were read again into the run and
// the unit's copies and what the duplicate checks noted of them are dropped.
void absorb(CompilationUnit& unit, Compilation& run, bool sameAtoms, int32_t firstObject,
            bool applied = false) {
  Compilation& own = unit.state;
  BlockContext& runBlocks = run.blocks;
  BlockContext& ownBlocks = own.blocks;
  const std::vector<Atom>& runAtoms = unit.runAtoms;
  const std::vector<int32_t>& runObjects = unit.runObjects;
  auto added = [&](int32_t object) {
    return applied || runObjects[static_cast<size_t>(object)] >= firstObject;
  };
  // What the duplicate checks remember goes along, by the run's numbers: a later file that
  // sets an object's property again, or repeats one of its blocks, is compiled into the run.
  for (const auto& [key, set] : ownBlocks.propertiesSet) {
    if (!added(key.object)) continue;
    PropertyKey runKey{runObjects[static_cast<size_t>(key.object)], renumbered(key.name, runAtoms),
                       key.storage};
    runBlocks.propertiesSet.try_emplace(runKey,
                                        PropertySet{set.place, runBlocks.blockNumber + set.block});
  }
  for (const auto& [key, body] : ownBlocks.blockBodies) {
    if (!added(body.object)) continue;
    int32_t object = runObjects[static_cast<size_t>(body.object)];
    runBlocks.blockBodies.emplace(blockBodyKey(object, body.hash),
                                  BlockBody{object, body.hash, body.header});
  }
  runBlocks.blockNumber += ownBlocks.blockNumber;
  for (int32_t i = 0; i < own.registry.count(); ++i) {
    std::unique_ptr<GameObject> object = own.registry.take(i);
    int32_t runObject = runObjects[static_cast<size_t>(i)];
    if (runObject < firstObject) {
      const std::vector<PropertyChanges>& changes = ownBlocks.propertyChanges;
      if (applied && static_cast<size_t>(i) < changes.size()) {
        applyBlocks(*object, *run.registry.at(runObject), changes[static_cast<size_t>(i)],
                    runAtoms);
      }
      continue;
    }
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
  std::vector<SourcePlace>& runStrings = runBlocks.stringOrigins;
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

// Merges a unit that declares nothing earlier files declared.
bool mergeAlone(CompilationUnit& unit, Compilation& run, DiagnosticEngine& engine) {
  {
    FindingReplay shown(unit, engine);
    shown.showAll();
  }
  bool sameAtoms = internNames(unit, run);
  int32_t firstObject = run.registry.count();
  unit.runObjects.resize(static_cast<size_t>(unit.state.registry.count()));
  for (int32_t i = 0; i < unit.state.registry.count(); ++i) {
    unit.runObjects[static_cast<size_t>(i)] = firstObject + i;
  }
  for (const NamedUse& use : unit.state.blocks.namedUses) settleUse(use, unit.runAtoms, run);
  absorb(unit, run, sameAtoms, firstObject);
  return unit.walked;
}

// Whether what the unit's blocks did to objects earlier files declared can be applied to
// the run's objects as it is: nothing they report would change had they been compiled
// after those files (nothing they set or repeat was set or written before, and no
// extension is reported).
bool blocksApplyAsCompiled(const CompilationUnit& unit, const Compilation& run,
                           int32_t firstObject) {
  if (unit.findings.wants(FindingCode::kExtendedObject)) return false;
  const BlockContext& ownBlocks = unit.state.blocks;
  const BlockContext& runBlocks = run.blocks;
  const std::vector<int32_t>& runObjects = unit.runObjects;
  for (const auto& [key, set] : ownBlocks.propertiesSet) {
    int32_t object = runObjects[static_cast<size_t>(key.object)];
    if (object >= firstObject) continue;
    PropertyKey runKey{object, renumbered(key.name, unit.runAtoms), key.storage};
    if (runBlocks.propertiesSet.contains(runKey)) return false;
  }
  for (const auto& [key, body] : ownBlocks.blockBodies) {
    int32_t object = runObjects[static_cast<size_t>(body.object)];
    if (object >= firstObject) continue;
    auto [from, to] = runBlocks.blockBodies.equal_range(blockBodyKey(object, body.hash));
    for (auto at = from; at != to; ++at) {
      if (at->second.object == object && at->second.hash == body.hash) return false;
    }
  }
  return true;
}

// Merges a unit that extends objects earlier files declared. What its blocks did to them is
// applied to the run's objects when their findings cannot differ; otherwise the blocks of
// those objects are compiled again, against the run, in their place among the unit's
// findings and uses. Everything else is the unit's.
bool mergeExtending(CompilationUnit& unit, Compilation& run, DiagnosticEngine& engine) {
  const Compilation& own = unit.state;
  // The unit's names first: a block read again then meets only names the run knows, and
  // the run's atoms stay in the order the file first used them.
  bool sameAtoms = internNames(unit, run);
  int32_t firstObject = run.registry.count();
  std::vector<int32_t>& runObjects = unit.runObjects;
  runObjects.resize(static_cast<size_t>(own.registry.count()));
  int32_t next = firstObject;
  for (int32_t i = 0; i < own.registry.count(); ++i) {
    Atom name = renumbered(own.registry.at(i)->name(), unit.runAtoms);
    int32_t earlier = run.registry.indexOf(name);
    runObjects[static_cast<size_t>(i)] = earlier >= 0 ? earlier : next++;
  }
  const std::vector<NamedUse>& uses = own.blocks.namedUses;
  if (blocksApplyAsCompiled(unit, run, firstObject)) {
    {
      FindingReplay shown(unit, engine);
      shown.showAll();
    }
    for (const NamedUse& use : uses) settleUse(use, unit.runAtoms, run);
    absorb(unit, run, sameAtoms, firstObject, true);
    return unit.walked;
  }
  size_t used = 0;
  auto settleUsesUpTo = [&](size_t end) {
    for (; used < end; ++used) settleUse(uses[used], unit.runAtoms, run);
  };
  bool walked = unit.walked;
  int32_t blocksBefore = run.blocks.blockNumber;
  run.blocks.file = unit.file;
  {
    FindingReplay shown(unit, engine);
    for (const ObjectBlock& block : unit.objectBlocks) {
      int32_t object = own.registry.indexOf(block.name);
      if (object < 0 || runObjects[static_cast<size_t>(object)] >= firstObject) continue;
      shown.showUpTo(block.findingsFrom);
      settleUsesUpTo(static_cast<size_t>(block.usesFrom));
      // The block keeps its number among the run's blocks, as the unit's other blocks do.
      run.blocks.blockNumber = blocksBefore + block.blockNumber - 1;
      if (compileObjectBlock(unit.lines, block.headerLine, run) < 0) walked = false;
      shown.skipTo(block.findingsTo);
      used = static_cast<size_t>(block.usesTo);
    }
    shown.showAll();
  }
  settleUsesUpTo(uses.size());
  run.blocks.blockNumber = blocksBefore;
  absorb(unit, run, sameAtoms, firstObject);
  return walked;
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
  state.blocks.objectBlocks = &objectBlocks;
  objectBlocks.clear();
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
  Dependence dependence =
      run.blocks.sourceMap != nullptr ? Dependence::kOther : dependenceOn(unit, run);
  if (dependence == Dependence::kNone) return mergeAlone(unit, run, engine);
  if (dependence == Dependence::kExtends && extensionsReplay(unit, run)) {
    return mergeExtending(unit, run, engine);
  }
  engine.setLines(unit.file, &unit.lines);
  run.blocks.file = unit.file;
  bool walked = compileSource(unit.lines, run);
  engine.setLines(unit.file, nullptr);
  return walked;
}

}  // namespace rpgc
