// BlockContext: what the block parsers work on, and how they report what they find.
//
// The parsers add objects to the registry through obtainTemplate, which also remembers
// where each object was first declared, so that a later conflict or extension can say
// so. Values that name other objects or string sections are noted as they are read and
// checked once every source file is compiled.
#ifndef RPGC_SOURCE_BLOCK_CONTEXT_H_
#define RPGC_SOURCE_BLOCK_CONTEXT_H_

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/atom.h"
#include "core/finding.h"
#include "core/ref_string.h"
#include "format/property_tables.h"
#include "source/assignment_buffer.h"

namespace rpgc {

class AtomTable;
class FindingRecorder;
class GameObject;
class ObjectRegistry;
class SourceMap;

/// Answers of a lookup by name, kept by the name's atom, so that each distinct name is
/// looked up once (by text) and every later line costs one array access.
class AtomMemo {
 public:
  template <typename Find>
  int32_t get(Atom atom, Find find) {
    if (atom < 0) return find();
    size_t slot = static_cast<size_t>(atom);
    if (slot >= memo_.size()) memo_.resize(std::max(slot + 1, memo_.size() * 2), kUnknown);
    if (memo_[slot] == kUnknown) memo_[slot] = static_cast<int8_t>(find());
    return memo_[slot];
  }
  /// Forgets every answer (the atoms are about to be numbered anew).
  void clear() { std::fill(memo_.begin(), memo_.end(), kUnknown); }

 private:
  static constexpr int8_t kUnknown = -128;
  std::vector<int8_t> memo_;
};

/// A value that names an object or a string section, noted where it was read.
struct NamedUse {
  enum class Target : uint8_t { kObject, kStringSection };
  Atom atom = kNoAtom;
  int32_t file = -1;
  int32_t line = -1;
  int32_t column = 0;
  Target target = Target::kObject;
};

/// A name too long for the output files, where it was first read, and the object or
/// string section it belongs to.
struct LongName {
  Atom atom = kNoAtom;
  SourcePlace place;
  Atom owner = kNoAtom;
  SectionKind ownerKind = SectionKind::kObject;
};

/// Where a property of an object was first set, and in which block (see noteProperty).
struct PropertySet {
  SourcePlace place;
  int32_t block = 0;
};

/// A property of one object as duplicate-property tells them apart: a fixed field
/// (storage 0), or a declared property of a kind (storage 1 + its ValueKind).
struct PropertyKey {
  int32_t object = 0;
  Atom name = kNoAtom;
  uint8_t storage = 0;

  bool operator==(const PropertyKey&) const = default;
};

struct PropertyKeyHash {
  size_t operator()(const PropertyKey& key) const {
    uint64_t bits = static_cast<uint64_t>(static_cast<uint32_t>(key.object)) << 32 |
                    static_cast<uint32_t>(key.name);
    return std::hash<uint64_t>()(bits * 0x9E3779B97F4A7C15ull ^ key.storage);
  }
};

/// A block body of an object as duplicate-block remembers it.
struct BlockBody {
  int32_t object = 0;
  uint64_t hash = 0;
  SourcePlace header;
};

/// Where blockBodies keeps a body: by its hash and its object together, so that a lookup
/// meets only the bodies of its own object (many objects have the same one-line body).
inline uint64_t blockBodyKey(int32_t object, uint64_t hash) {
  return hash ^ (static_cast<uint64_t>(static_cast<uint32_t>(object)) + 1) * 0x9E3779B97F4A7C15ull;
}

/// An object block as a compilation unit's walk read it: its header line, its object's
/// name, its number among the file's blocks, and the findings and named uses it added
/// (positions in the unit's lists). The merge reads again, against the run, only the blocks
/// of objects that earlier files declared, and takes the unit's work for the others.
struct ObjectBlock {
  int32_t headerLine = -1;
  Atom name = kNoAtom;
  int32_t blockNumber = 0;
  int32_t findingsFrom = 0;
  int32_t findingsTo = 0;
  int32_t usesFrom = 0;
  int32_t usesTo = 0;
};

/// The properties of one object that blocks changed, bit i for property i.
struct PropertyChanges {
  uint64_t replaced = 0;
  uint64_t appended = 0;
};

class BlockContext {
 public:
  BlockContext(AtomTable& atomTable, ObjectRegistry& objects)
      : atoms(atomTable), registry(objects) {}
  BlockContext(const BlockContext&) = delete;
  BlockContext& operator=(const BlockContext&) = delete;

  AtomTable& atoms;
  ObjectRegistry& registry;
  AssignmentBuffer buffer;
  /// The file being compiled (its index in the run's file list) and where findings go.
  int32_t file = -1;
  FindingSink* findings = nullptr;
  /// Where each registered object was first declared, by registry position.
  std::vector<SourcePlace> origins;
  /// The line after the END of the last block that failed, where a walk that goes on after
  /// failures resumes.
  int32_t resumeAt = -1;
  /// Values naming objects or string sections not declared yet when read (while that
  /// check is wanted), checked at the end.
  std::vector<NamedUse> namedUses;
  /// Where each string section name was first declared, by name atom + 1.
  std::vector<SourcePlace> stringOrigins;
  /// Names too long to store, each once, in the order they were first read (with the
  /// atoms noted, to keep noting linear), and the section being read.
  std::vector<LongName> longNames;
  std::unordered_set<Atom> longNameAtoms;
  Atom sectionName = kNoAtom;
  SectionKind sectionKind = SectionKind::kObject;
  std::string_view sectionTypeWord;  // an object's, while its block is read
  /// The registry position of the block's object, and the blocks counted so far.
  int32_t objectIndex = -1;
  int32_t blockNumber = 0;
  /// Whether the block repeats an earlier block of its object (its properties are then
  /// not reported one by one).
  bool repeatedBlock = false;
  /// What the duplicate checks remember: every property set, and the hashes of the
  /// bodies of every object's blocks, by blockBodyKey.
  std::unordered_map<PropertyKey, PropertySet, PropertyKeyHash> propertiesSet;
  std::unordered_multimap<uint64_t, BlockBody> blockBodies;
  /// Lookups by name atom: the fixed field a name sets, the field it probably misspells,
  /// and the type word a word is (see FixedFields and kTypeWords).
  AtomMemo itemFields;
  AtomMemo characterFields;
  AtomMemo itemFieldGuesses;
  AtomMemo characterFieldGuesses;
  AtomMemo typeWords;
  /// Scratch of the character parser, reused from block to block.
  std::vector<bool> leftover;
  /// Where settings are noted (--source-map), or null; and the registry index of the
  /// object of the block being read.
  SourceMap* sourceMap = nullptr;
  int32_t blockObject = -1;

  /// When set, the lines of string sections are noted here to be folded later instead of
  /// being folded in place (the findings are shown later, against the lines as they were).
  FindingRecorder* deferredFolds = nullptr;
  /// When set (a unit's walk, whose findings go to deferredFolds), every object block read
  /// is logged here.
  std::vector<ObjectBlock>* objectBlocks = nullptr;
  /// While objectBlocks is set: by registry position, the properties (bit i for property
  /// i) blocks replaced (a fixed field, an object's Type) and those they appended to.
  std::vector<PropertyChanges> propertyChanges;

  /// Forgets everything the last file left, keeping the memory; the atoms are about to be
  /// numbered anew.
  void reset();

  FindingScope scope() const { return {findings, file}; }
  bool wants(FindingCode code) const { return findings != nullptr && findings->wants(code); }
  void report(Finding finding) const {
    if (findings != nullptr) findings->report(std::move(finding));
  }
  /// Notes atom as a name that an output file would have to hold when it is too long.
  void noteLength(Atom atom, std::string_view text, SourcePlace place);
  /// Notes that buffer entry sets a property of the block's object (storage as in
  /// PropertyKey) and reports when it was set before. A property decided anew by each
  /// block (perBlock: a character's Type, which a later block without it sets back) is
  /// reported only when set twice in one block.
  void noteProperty(int32_t entry, uint8_t storage, bool perBlock = false);
  /// Notes the body in the buffer as a block of the block's object (its header at line
  /// headerLine) and reports when it repeats an earlier one.
  void noteBlockBody(int32_t headerLine);
  /// Notes a value that names an object or a string section, when that check is wanted
  /// and what it names is not declared yet.
  void noteUse(Atom atom, NamedUse::Target target, int32_t line, int32_t column);
  /// Notes, for the source map, that buffer entry i set its property of the block's
  /// object.
  void noteSet(int32_t entry);
  /// Notes that the block replaced a property of its object, or appended to the lists of
  /// a declared storage (see propertyChanges).
  void noteReplaced(int32_t property) {
    if (PropertyChanges* changes = changesOfObject()) changes->replaced |= bitOf(property);
  }
  void noteAppended(const format::DeclaredStorage& storage) {
    if (PropertyChanges* changes = changesOfObject()) {
      changes->appended |= bitOf(storage.names) | bitOf(storage.counts) | bitOf(storage.values) |
                           bitOf(storage.maxima);
    }
  }

 private:
  PropertyChanges* changesOfObject() {
    if (objectBlocks == nullptr || objectIndex < 0) return nullptr;
    auto slot = static_cast<size_t>(objectIndex);
    if (slot >= propertyChanges.size()) {
      propertyChanges.resize(std::max(slot + 1, propertyChanges.size() * 2));
    }
    return &propertyChanges[slot];
  }
  static uint64_t bitOf(int32_t property) {
    return property >= 0 && property < 64 ? uint64_t{1} << property : 0;
  }
};

/// The template of this name for the block of this kind (kItem, kCharacter or kObject)
/// whose header is at line index headerLine (the body starts one line later); created
/// when new. typeWord is an object's type word, for the messages. Null when the name
/// belongs to another class, with the failure (kNameConflict) reported.
GameObject* obtainTemplate(BlockContext& ctx, const RefString& name, SectionKind kind,
                           int32_t headerLine, std::string_view typeWord = {});

}  // namespace rpgc

#endif  // RPGC_SOURCE_BLOCK_CONTEXT_H_
