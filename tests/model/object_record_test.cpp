// Tests of object records: the bytes of a record and of every value kind, reading records
// back through the scrambled container, references resolved by name, chunks a reader
// does not know, and damaged data that must fail without reading out of bounds.
#include "model/object_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "archive/archive.h"
#include "archive/byte_stream.h"
#include "archive/memory_stream.h"
#include "archive/scramble_stream.h"
#include "core/atom_table.h"
#include "model/f_character.h"
#include "model/f_generic.h"
#include "model/f_item.h"
#include "model/object_registry.h"
#include "support/format_bytes.h"
#include "support/model_fixture.h"
#include "support/recording_stream.h"

namespace rpgc {
namespace {

using test::ByteBuilder;
using test::Bytes;
using test::ExpectedBody;
using test::Probe;

// --- Writing -------------------------------------------------------------------------

TEST(ObjectRecordTest, LampRecordByteForByte) {
  AtomTable atoms;
  F_generic lamp;
  lamp.setName(atoms.intern("lamp"));
  lamp.Type = atoms.intern("prop");
  lamp.IntegerPropertyName.push(atoms.intern("weight"));
  lamp.IntegerPropertyValue.push(3);

  test::RecordingStream out;
  Archive archive(atoms);
  ASSERT_TRUE(archive.beginWrite(out));
  archive.setName(RefString("duskvale"));
  archive.setVersion(1.0f);
  ASSERT_TRUE(writeObjectRecord(archive, lamp));

  ByteBuilder expected;
  expected.i32(452).i32(0).i32(0).i32(0);               // 0: record frame, tag lamp
  expected.i32(1);                                      // 16: class F_generic
  expected.i32(0);                                      // 20: flags
  expected.i32(44).i32(2).i32(0).i32(3).i32(3);         // 24: Type = prop
  expected.i32(68).i32(4).i32(0).i32(7).i32(1).i32(5);  // 44: IntegerPropertyName [weight]
  expected.i32(92).i32(6).i32(0).i32(5).i32(1).i32(3);  // 68: IntegerPropertyValue [3]
  std::vector<std::string> expectedAtoms = {
      "lamp", "F_generic", "Type", "prop", "IntegerPropertyName", "weight", "IntegerPropertyValue"};
  for (int32_t i = 3; i < 21; ++i) {  // the eighteen empty lists
    const test::PropertyRow& row = test::kGenericRows[i];
    int32_t end = 92 + 20 * (i - 2);
    expected.i32(end).i32(7 + (i - 3)).i32(0).i32(static_cast<int32_t>(row.kind)).i32(0);
    expectedAtoms.emplace_back(row.name);
  }
  ASSERT_EQ(expected.size(), 452u);

  EXPECT_EQ(archive.bodyLength(), 452);
  EXPECT_EQ(test::bodyOf(archive), expected.bytes());
  EXPECT_EQ(test::fileAtomTexts(archive), expectedAtoms);

  ASSERT_TRUE(archive.finish());
  EXPECT_EQ(out.bytes(), test::containerBytes("duskvale", 1.0f, expectedAtoms, expected.bytes()));
}

TEST(ObjectRecordTest, ObjectWithoutPropertiesIsTwentyFourBytes) {
  AtomTable atoms;
  GameObject plain;
  plain.setName(atoms.intern("nothing"));
  ByteStream sink;
  Archive archive(atoms);
  ASSERT_TRUE(archive.beginWrite(sink));
  ASSERT_TRUE(writeObjectRecord(archive, plain));
  // The base class has no class name: its atom -1 is entered like any other.
  EXPECT_EQ(test::bodyOf(archive),
            ByteBuilder().i32(24).i32(0).i32(0).i32(0).i32(1).i32(0).bytes());
  EXPECT_EQ(test::fileAtomTexts(archive), (std::vector<std::string>{"nothing", ""}));
}

TEST(ObjectRecordTest, EveryValueKindIsEncodedByItsRule) {
  AtomTable atoms;
  GameObject smith;
  smith.setName(atoms.intern("smith"));
  smith.setInstance(2);
  GameObject guard;
  guard.setName(atoms.intern("guard"));

  Probe probe;
  probe.setName(atoms.intern("probe"));
  probe.Count = -7;
  probe.Speed = 1.5f;
  probe.Icon = atoms.intern("lantern");
  probe.Owner = &smith;
  probe.Levels.push(1);
  probe.Levels.push(INT32_MIN);
  probe.Weights.push(0.5f);
  probe.Weights.push(-2.0f);
  probe.Tags.push(atoms.intern("a"));
  probe.Tags.push(kNoAtom);
  probe.Allies.push(&smith);
  probe.Allies.push(nullptr);
  probe.Allies.push(&guard);

  test::RecordingStream out;
  Archive archive(atoms);
  ASSERT_TRUE(archive.beginWrite(out));
  archive.setName(RefString("p"));
  archive.setVersion(2.0f);
  ASSERT_TRUE(writeObjectRecord(archive, probe));
  ASSERT_TRUE(archive.finish());

  ExpectedBody expected;
  size_t record = expected.open("probe", 0, 0);
  expected.atom("Probe").i32(0);
  size_t c = expected.openProperty("Count", ValueKind::kInteger);
  expected.i32(-7);
  expected.close(c);
  c = expected.openProperty("Speed", ValueKind::kFloat);
  expected.f32(1.5f);
  expected.close(c);
  c = expected.openProperty("Icon", ValueKind::kAtom);
  expected.atom("lantern");
  expected.close(c);
  c = expected.openProperty("Owner", ValueKind::kReference);
  expected.i32(2).atom("smith");  // instance, then name
  expected.close(c);
  c = expected.openProperty("Levels", ValueKind::kIntegerList);
  expected.i32(2).i32(1).i32(INT32_MIN);
  expected.close(c);
  c = expected.openProperty("Weights", ValueKind::kFloatList);
  expected.i32(2).f32(0.5f).f32(-2.0f);
  expected.close(c);
  c = expected.openProperty("Tags", ValueKind::kAtomList);
  expected.i32(2).atom("a").atom("");
  expected.close(c);
  c = expected.openProperty("Allies", ValueKind::kReferenceList);
  expected.i32(3).i32(2).atom("smith").i32(-1).i32(0).atom("guard");
  expected.close(c);
  c = expected.openProperty("Odd", Probe::kUnknownKind);  // no value, only the header
  expected.close(c);
  c = expected.openProperty("Blank", ValueKind::kNone);
  expected.close(c);
  expected.close(record);

  EXPECT_EQ(test::bodyOf(archive), expected.bytes());
  EXPECT_EQ(test::fileAtomTexts(archive), expected.atomTexts());
  // The atom -1 has an entry of text length 0.
  EXPECT_EQ(out.bytes(), test::containerBytes("p", 2.0f, expected.atomTexts(), expected.bytes()));
}

TEST(ObjectRecordTest, NoTargetAndEmptyListsAreShort) {
  struct Row {
    const char* what;
    std::function<void(Probe&)> prepare;
  };
  const Row rows[] = {
      {"absent lists", [](Probe&) {}},
      {"present but empty lists",
       [](Probe& p) {
         p.Levels.resize(0);
         p.Weights.resize(0);
         p.Tags.resize(0);
         p.Allies.resize(0);
       }},
      {"lists emptied again",
       [](Probe& p) {
         p.Levels.push(1);
         p.Levels.resize(0);
         p.Tags.push(3);
         p.Tags.resize(0);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    AtomTable atoms;
    Probe probe;
    row.prepare(probe);
    probe.setName(atoms.intern("probe"));
    ByteStream sink;
    Archive archive(atoms);
    ASSERT_TRUE(archive.beginWrite(sink));
    ASSERT_TRUE(writeObjectRecord(archive, probe));
    ExpectedBody expected;
    expected.defaultRecord("probe", "Probe", test::probeRows());
    EXPECT_EQ(test::bodyOf(archive), expected.bytes());
  }
}

TEST(ObjectRecordTest, RecordsShareAtomIndices) {
  AtomTable atoms;
  F_generic lamp;
  lamp.setName(atoms.intern("lamp"));
  lamp.Type = atoms.intern("prop");
  F_generic torch;
  torch.setName(atoms.intern("torch"));
  torch.Type = atoms.intern("prop");
  torch.AtomPropertyValue.push(atoms.intern("lamp"));

  ByteStream sink;
  Archive archive(atoms);
  ASSERT_TRUE(archive.beginWrite(sink));
  ASSERT_TRUE(writeObjectRecord(archive, lamp));
  ASSERT_TRUE(writeObjectRecord(archive, torch));

  ExpectedBody expected;
  for (const F_generic* object : {&lamp, &torch}) {
    size_t record = expected.open(atoms.atomView(object->name()), 0, 0);
    expected.atom("F_generic").i32(0);
    for (const test::PropertyRow& row : test::kGenericRows) {
      size_t c = expected.openProperty(row.name, row.kind);
      if (row.kind == ValueKind::kAtom) {
        expected.atom("prop");
      } else if (object == &torch && std::string(row.name) == "AtomPropertyValue") {
        expected.i32(1).atom("lamp");
      } else {
        expected.i32(0);
      }
      expected.close(c);
    }
    expected.close(record);
  }
  EXPECT_EQ(test::bodyOf(archive), expected.bytes());
  EXPECT_EQ(test::fileAtomTexts(archive), expected.atomTexts());
  EXPECT_EQ(archive.fileAtoms().length(), 2 + 1 + 21 + 1);  // lamp, F_generic, prop, names, torch
}

TEST(ObjectRecordTest, ArchiveNotWritingWritesNothingAndFails) {
  AtomTable atoms;
  F_item item;
  Archive archive(atoms);  // never begun
  EXPECT_FALSE(writeObjectRecord(archive, item));
  EXPECT_EQ(archive.error(), ArchiveError::kWrongMode);
  EXPECT_EQ(archive.bodyLength(), 0);
}

// --- Reading back --------------------------------------------------------------------

// Gives every property of a template a value that differs from its default and from the
// other properties' values; list lengths vary from 0 to 17 elements.
void fillEveryProperty(GameObject& object, AtomTable& atoms, int32_t seed) {
  std::string stem = std::string(object.classNameText()) + "." + std::to_string(seed);
  for (int32_t i = 0; i < object.propertyCount(); ++i) {
    PropertyRef value = object.property(i);
    std::string prefix = stem + "." + std::to_string(i);
    int32_t length = i == 1 ? 17 : (i + seed) % 4;
    switch (value.kind) {
      case ValueKind::kInteger:
        value.integer() = seed * 1000 + i;
        break;
      case ValueKind::kAtom:
        value.atom() = atoms.intern(prefix);
        break;
      case ValueKind::kIntegerList:
        for (int32_t k = 0; k < length; ++k) value.integers().push(k == 2 ? INT32_MIN : k - i);
        break;
      case ValueKind::kFloatList:
        for (int32_t k = 0; k < length; ++k) value.reals().push(0.25f * static_cast<float>(k - i));
        break;
      case ValueKind::kAtomList:
        for (int32_t k = 0; k < length; ++k) {
          value.atoms().push(k == 1 ? kNoAtom : atoms.intern(prefix + "." + std::to_string(k)));
        }
        break;
      default:
        ADD_FAILURE() << "unexpected kind in a template";
    }
  }
}

// Compares every property of two objects of the same class whose atoms come from
// different tables: atoms are compared by their texts.
void expectSameContent(GameObject& expected, const AtomTable& expectedAtoms, GameObject& actual,
                       const AtomTable& actualAtoms) {
  ASSERT_STREQ(actual.classNameText(), expected.classNameText());
  EXPECT_EQ(actualAtoms.atomView(actual.name()), expectedAtoms.atomView(expected.name()));
  EXPECT_EQ(actual.savesAll(), expected.savesAll());
  EXPECT_EQ(actual.storedFlag(), expected.storedFlag());
  ASSERT_EQ(actual.propertyCount(), expected.propertyCount());
  for (int32_t i = 0; i < expected.propertyCount(); ++i) {
    SCOPED_TRACE(expected.propertyNameText(i));
    PropertyRef want = expected.property(i);
    PropertyRef got = actual.property(i);
    ASSERT_EQ(got.kind, want.kind);
    switch (want.kind) {
      case ValueKind::kInteger:
        EXPECT_EQ(got.integer(), want.integer());
        break;
      case ValueKind::kFloat:
        EXPECT_EQ(got.real(), want.real());
        break;
      case ValueKind::kAtom:
        EXPECT_EQ(actualAtoms.atomView(got.atom()), expectedAtoms.atomView(want.atom()));
        break;
      case ValueKind::kIntegerList:
        EXPECT_EQ(std::vector<int32_t>(got.integers().begin(), got.integers().end()),
                  std::vector<int32_t>(want.integers().begin(), want.integers().end()));
        break;
      case ValueKind::kFloatList:
        EXPECT_EQ(std::vector<float>(got.reals().begin(), got.reals().end()),
                  std::vector<float>(want.reals().begin(), want.reals().end()));
        break;
      case ValueKind::kAtomList: {
        ASSERT_EQ(got.atoms().length(), want.atoms().length());
        for (int32_t k = 0; k < want.atoms().length(); ++k) {
          EXPECT_EQ(got.atoms()[k] == kNoAtom, want.atoms()[k] == kNoAtom) << "element " << k;
          EXPECT_EQ(actualAtoms.atomView(got.atoms()[k]), expectedAtoms.atomView(want.atoms()[k]))
              << "element " << k;
        }
        break;
      }
      default:
        break;
    }
  }
}

// An archive's whole container, written to memory through the scrambling filter.
class RoundTrip {
 public:
  explicit RoundTrip(AtomTable& atoms) : scrambler_(file_), writer_(atoms) {
    writer_.beginWrite(scrambler_);
    writer_.setName(RefString("duskvale"));
    writer_.setVersion(2.5f);
  }
  Archive& writer() { return writer_; }
  /// Finishes the container and opens it for reading with a fresh filter.
  bool startReading(Archive& reader) {
    if (!writer_.finish()) return false;
    file_.seek(0);
    unscrambler_ = std::make_unique<ScrambleStream>(file_);
    return reader.beginRead(*unscrambler_);
  }

 private:
  MemoryStream file_;
  ScrambleStream scrambler_;
  std::unique_ptr<ScrambleStream> unscrambler_;
  Archive writer_;
};

TEST(ObjectRecordTest, TemplatesRoundTripThroughTheScrambledContainer) {
  AtomTable atoms;
  std::vector<std::unique_ptr<GameObject>> written;
  written.push_back(std::make_unique<F_generic>());
  written.push_back(std::make_unique<F_item>());
  written.push_back(std::make_unique<F_character>());
  written.push_back(std::make_unique<F_item>());  // left at its defaults
  written.push_back(std::make_unique<F_generic>());
  const char* names[] = {"lamp", "sword", "hero", "pebble", ""};
  for (size_t j = 0; j < written.size(); ++j) {
    written[j]->setName(atoms.intern(names[j]));
    if (j != 3) fillEveryProperty(*written[j], atoms, static_cast<int32_t>(j) + 1);
  }
  written[4]->setStoredFlag(true);

  RoundTrip trip(atoms);
  for (auto& object : written) ASSERT_TRUE(writeObjectRecord(trip.writer(), *object));

  AtomTable readAtoms;
  readAtoms.intern("something else first");  // the reader's atoms differ from the writer's
  Archive reader(readAtoms);
  ASSERT_TRUE(trip.startReading(reader));
  EXPECT_EQ(reader.name().view(), "duskvale");
  EXPECT_EQ(reader.version(), 2.5f);
  for (auto& object : written) {
    SCOPED_TRACE(object->classNameText());
    ASSERT_TRUE(reader.hasChunk());
    std::unique_ptr<GameObject> read;
    ASSERT_TRUE(readObjectRecord(reader, read));
    ASSERT_NE(read, nullptr);
    expectSameContent(*object, atoms, *read, readAtoms);
  }
  EXPECT_FALSE(reader.hasChunk());
  EXPECT_EQ(reader.bodyPosition(), reader.bodyLength());
}

// Reads a Probe record: frame, class, content.
bool readProbe(Archive& reader, Probe& probe, const ReferenceResolver& resolver) {
  ArchiveChunk record;
  Atom classAtom = kNoAtom;
  if (!reader.beginChunk(record) || !reader.readAtom(classAtom)) return false;
  if (reader.atoms().atomView(classAtom) != "Probe") return false;
  probe.setName(record.tag);
  return probe.load(reader, true, resolver) && reader.endChunk(record);
}

TEST(ObjectRecordTest, ReferencesAreResolvedByNameAndInstance) {
  AtomTable atoms;
  GameObject smith;
  smith.setName(atoms.intern("smith"));
  smith.setInstance(2);
  GameObject guard;
  guard.setName(atoms.intern("guard"));
  Probe written;
  written.setName(atoms.intern("probe"));
  written.Count = 4;
  written.Speed = -0.75f;
  written.Icon = atoms.intern("lantern");
  written.Owner = &smith;
  written.Levels.push(9);
  written.Weights.push(3.5f);
  written.Tags.push(atoms.intern("t"));
  written.Allies.push(&guard);
  written.Allies.push(nullptr);
  written.Allies.push(&smith);
  Probe unowned;
  unowned.setName(atoms.intern("unowned"));

  RoundTrip trip(atoms);
  ASSERT_TRUE(writeObjectRecord(trip.writer(), written));
  ASSERT_TRUE(writeObjectRecord(trip.writer(), unowned));

  AtomTable readAtoms;
  Archive reader(readAtoms);
  ASSERT_TRUE(trip.startReading(reader));
  GameObject smithCopy;
  GameObject guardCopy;
  std::vector<std::pair<std::string, int32_t>> asked;
  ReferenceResolver resolver = [&](Atom name, int32_t instance) -> GameObject* {
    std::string text(readAtoms.atomView(name));
    asked.emplace_back(text, instance);
    if (text == "smith" && instance == 2) return &smithCopy;
    if (text == "guard" && instance == 0) return &guardCopy;
    return nullptr;
  };

  Probe read;
  ASSERT_TRUE(readProbe(reader, read, resolver));
  EXPECT_EQ(readAtoms.atomView(read.name()), "probe");
  EXPECT_EQ(read.Count, 4);
  EXPECT_EQ(read.Speed, -0.75f);
  EXPECT_EQ(readAtoms.atomView(read.Icon), "lantern");
  EXPECT_EQ(read.Owner, &smithCopy);
  ASSERT_EQ(read.Levels.length(), 1);
  EXPECT_EQ(read.Levels[0], 9);
  ASSERT_EQ(read.Weights.length(), 1);
  EXPECT_EQ(read.Weights[0], 3.5f);
  ASSERT_EQ(read.Tags.length(), 1);
  EXPECT_EQ(readAtoms.atomView(read.Tags[0]), "t");
  ASSERT_EQ(read.Allies.length(), 3);
  EXPECT_EQ(read.Allies[0], &guardCopy);
  EXPECT_EQ(read.Allies[1], nullptr);
  EXPECT_EQ(read.Allies[2], &smithCopy);
  // One question per reference with a target; none for the element without one.
  EXPECT_EQ(asked, (std::vector<std::pair<std::string, int32_t>>{
                       {"smith", 2}, {"guard", 0}, {"smith", 2}}));

  // A reference without target replaces whatever the property held.
  Probe second;
  second.Owner = &guardCopy;
  second.Allies.push(&guardCopy);
  ASSERT_TRUE(readProbe(reader, second, resolver));
  EXPECT_EQ(second.Owner, nullptr);
  EXPECT_EQ(second.Allies.length(), 0);
  EXPECT_EQ(asked.size(), 3u);
  EXPECT_FALSE(reader.hasChunk());
}

TEST(ObjectRecordTest, ReferencesWithoutAResolverHaveNoTarget) {
  AtomTable atoms;
  GameObject smith;
  smith.setName(atoms.intern("smith"));
  Probe written;
  written.setName(atoms.intern("probe"));
  written.Owner = &smith;
  written.Allies.push(&smith);
  written.Count = 11;
  RoundTrip trip(atoms);
  ASSERT_TRUE(writeObjectRecord(trip.writer(), written));
  Archive reader(atoms);
  ASSERT_TRUE(trip.startReading(reader));
  Probe read;
  ASSERT_TRUE(readProbe(reader, read, {}));
  EXPECT_EQ(read.Owner, nullptr);
  ASSERT_EQ(read.Allies.length(), 1);
  EXPECT_EQ(read.Allies[0], nullptr);
  EXPECT_EQ(read.Count, 11);  // what follows the references was read in step
}

// Regression: an archive that had read a container kept stale entries of its write-side
// atom index, so the next file written referred to atoms its table did not list.
TEST(ObjectRecordTest, ArchiveThatReadADatabaseWritesTheNextFromScratch) {
  AtomTable atoms;
  F_item sword;
  sword.setName(atoms.intern("sword"));
  sword.Type = atoms.intern("weapon");
  F_item shield;
  shield.setName(atoms.intern("shield"));

  Archive archive(atoms);
  ByteStream sink;
  ASSERT_TRUE(archive.beginWrite(sink));  // a first file: sword's atoms enter the index
  ASSERT_TRUE(writeObjectRecord(archive, sword));

  RoundTrip trip(atoms);  // a database of one record with other atoms
  ASSERT_TRUE(writeObjectRecord(trip.writer(), shield));
  ASSERT_TRUE(trip.startReading(archive));
  std::unique_ptr<GameObject> read;
  ASSERT_TRUE(readObjectRecord(archive, read));
  ASSERT_NE(read, nullptr);

  ASSERT_TRUE(archive.beginWrite(sink));
  ASSERT_TRUE(writeObjectRecord(archive, sword));
  ExpectedBody expected;
  size_t record = expected.open("sword", 0, 0);
  expected.atom("F_item").i32(0);
  for (const test::PropertyRow& row : test::kItemRows) {
    size_t c = expected.openProperty(row.name, row.kind);
    if (std::string(row.name) == "Type") {
      expected.atom("weapon");
    } else if (row.kind == ValueKind::kAtom) {
      expected.atom("");
    } else {
      expected.i32(0);
    }
    expected.close(c);
  }
  expected.close(record);
  EXPECT_EQ(test::bodyOf(archive), expected.bytes());
  EXPECT_EQ(test::fileAtomTexts(archive), expected.atomTexts());
}

TEST(ObjectRecordTest, RecordOfAnUnknownClassIsSkippedNotFailed) {
  // A skipped record and an unreadable one must not look alike: the walk goes on after
  // the first and stops at the second.
  AtomTable atoms;
  Probe probe;
  probe.setName(atoms.intern("probe"));
  F_item sword;
  sword.setName(atoms.intern("sword"));
  RoundTrip trip(atoms);
  ASSERT_TRUE(writeObjectRecord(trip.writer(), probe));
  ASSERT_TRUE(writeObjectRecord(trip.writer(), sword));
  Archive reader(atoms);
  ASSERT_TRUE(trip.startReading(reader));
  std::unique_ptr<GameObject> read = std::make_unique<F_generic>();
  ASSERT_TRUE(readObjectRecord(reader, read));
  EXPECT_EQ(read, nullptr);
  ASSERT_TRUE(readObjectRecord(reader, read));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->name(), sword.name());
  EXPECT_FALSE(readObjectRecord(reader, read));  // nothing left
  EXPECT_EQ(read, nullptr);
}

// --- Hand-made bodies: unknown chunks and damaged data ------------------------------

// Writes one property chunk whose content is written by content.
void propertyChunk(Archive& archive, const char* name, int32_t kind,
                   const std::function<void(Archive&)>& content) {
  ArchiveChunk chunk;
  chunk.tag = archive.atoms().intern(name);
  chunk.word2 = kind;
  ASSERT_TRUE(archive.beginChunk(chunk));
  content(archive);
  ASSERT_TRUE(archive.endChunk(chunk));
}

// A database body of one record of class className, flags 0, whose property chunks
// are written by chunks; the container is finished into plain memory.
Bytes handMadeDatabase(AtomTable& atoms, const char* className,
                       const std::function<void(Archive&)>& chunks) {
  test::RecordingStream out;
  Archive archive(atoms);
  archive.beginWrite(out);
  ArchiveChunk record;
  record.tag = atoms.intern("thing");
  archive.beginChunk(record);
  archive.writeAtom(atoms.intern(className));
  archive.writeInt32(0);
  chunks(archive);
  archive.endChunk(record);
  EXPECT_TRUE(archive.finish());
  return out.bytes();
}

struct OpenedRecord {
  MemoryStream file;
  Archive reader;
  ArchiveChunk record;
  explicit OpenedRecord(AtomTable& atoms) : reader(atoms) {}
};

// Opens the single record of a hand-made database and reads its class atom.
bool openRecord(OpenedRecord& opened, const Bytes& container) {
  opened.file.write(container.data(), static_cast<int32_t>(container.size()));
  opened.file.seek(0);
  Atom classAtom = kNoAtom;
  return opened.reader.beginRead(opened.file) && opened.reader.beginChunk(opened.record) &&
         opened.reader.readAtom(classAtom);
}

TEST(ObjectRecordTest, LoadSkipsChunksItDoesNotKnowAndKeepsPropertiesWithoutChunks) {
  AtomTable atoms;
  Bytes container = handMadeDatabase(atoms, "F_generic", [&](Archive& a) {
    propertyChunk(a, "IntegerPropertyValue", 5, [](Archive& w) {
      w.writeInt32(2);
      w.writeInt32(9);
      w.writeInt32(8);
    });
    propertyChunk(a, "Colour", 3, [&](Archive& w) { w.writeAtom(atoms.intern("red")); });
    propertyChunk(a, "Type", 7, [&](Archive& w) {  // a known name with another kind
      w.writeInt32(1);
      w.writeAtom(atoms.intern("wrong"));
    });
    propertyChunk(a, "Type", 3, [&](Archive& w) {
      w.writeAtom(atoms.intern("prop"));
      w.writeInt32(12345);  // content the reader does not expect is skipped
    });
    propertyChunk(a, "FloatPropertyValue", 6, [](Archive& w) {
      w.writeInt32(1);
      w.writeFloat(0.25f);
    });
  });

  OpenedRecord opened(atoms);
  ASSERT_TRUE(openRecord(opened, container));
  F_generic object;
  Atom kept = atoms.intern("kept");
  object.IntegerPropertyName.push(kept);
  object.LAtomPropertyCount.push(4);
  ASSERT_TRUE(object.load(opened.reader, true));
  ASSERT_TRUE(opened.reader.endChunk(opened.record));
  EXPECT_FALSE(opened.reader.hasChunk());

  EXPECT_EQ(atoms.atomView(object.Type), "prop");
  ASSERT_EQ(object.IntegerPropertyValue.length(), 2);
  EXPECT_EQ(object.IntegerPropertyValue[0], 9);
  EXPECT_EQ(object.IntegerPropertyValue[1], 8);
  ASSERT_EQ(object.FloatPropertyValue.length(), 1);
  EXPECT_EQ(object.FloatPropertyValue[0], 0.25f);
  ASSERT_EQ(object.IntegerPropertyName.length(), 1);
  EXPECT_EQ(object.IntegerPropertyName[0], kept);
  ASSERT_EQ(object.LAtomPropertyCount.length(), 1);
  EXPECT_EQ(object.LAtomPropertyCount[0], 4);

  // The same record through readObjectRecord: a fresh object, defaults elsewhere.
  MemoryStream file;
  file.write(container.data(), static_cast<int32_t>(container.size()));
  file.seek(0);
  Archive reader(atoms);
  ASSERT_TRUE(reader.beginRead(file));
  std::unique_ptr<GameObject> read;
  ASSERT_TRUE(readObjectRecord(reader, read));
  ASSERT_NE(read, nullptr);
  auto& generic = static_cast<F_generic&>(*read);
  EXPECT_EQ(atoms.atomView(generic.name()), "thing");
  EXPECT_EQ(atoms.atomView(generic.Type), "prop");
  EXPECT_EQ(generic.IntegerPropertyValue.length(), 2);
  EXPECT_EQ(generic.IntegerPropertyName.length(), 0);
}

TEST(ObjectRecordTest, LoadWithoutAllReadsOnlyWhatSaveWouldWrite) {
  AtomTable atoms;
  for (int32_t flags : {0, 1}) {
    SCOPED_TRACE(flags);
    test::RecordingStream out;
    Archive writer(atoms);
    writer.beginWrite(out);
    writer.writeInt32(flags);
    propertyChunk(writer, "Type", 3, [&](Archive& w) { w.writeAtom(atoms.intern("prop")); });
    ASSERT_TRUE(writer.finish());
    MemoryStream file;
    file.write(out.bytes().data(), static_cast<int32_t>(out.bytes().size()));
    file.seek(0);
    Archive reader(atoms);
    ASSERT_TRUE(reader.beginRead(file));
    F_item item;  // every property is shared: skipped unless the flags say saveAll
    ASSERT_TRUE(item.load(reader, false));
    EXPECT_EQ(item.Type == kNoAtom, flags == 0);
    EXPECT_EQ(item.savesAll(), flags == 1);
  }
}

TEST(ObjectRecordTest, AtomIndexOutsideTheTableReadsAsNoAtom) {
  AtomTable atoms;
  Bytes container = handMadeDatabase(atoms, "F_item", [](Archive& a) {
    propertyChunk(a, "Class", 3, [](Archive& w) { w.writeInt32(999); });
    propertyChunk(a, "Materials", 7, [](Archive& w) {
      w.writeInt32(2);
      w.writeInt32(-5);
      w.writeInt32(0);  // "thing"
    });
  });
  OpenedRecord opened(atoms);
  ASSERT_TRUE(openRecord(opened, container));
  F_item item;
  item.Class = atoms.intern("before");
  ASSERT_TRUE(item.load(opened.reader, true));
  EXPECT_EQ(item.Class, kNoAtom);
  ASSERT_EQ(item.Materials.length(), 2);
  EXPECT_EQ(item.Materials[0], kNoAtom);
  EXPECT_EQ(atoms.atomView(item.Materials[1]), "thing");
}

TEST(ObjectRecordTest, DamagedListsAndChunksFailCleanly) {
  struct Row {
    const char* what;
    const char* className;
    std::function<void(Archive&)> chunks;
  };
  auto counted = [](const char* name, int32_t kind, int32_t count, int32_t present) {
    return [=](Archive& a) {
      propertyChunk(a, name, kind, [=](Archive& w) {
        w.writeInt32(count);
        for (int32_t k = 0; k < present; ++k) w.writeInt32(k);
      });
    };
  };
  const Row rows[] = {
      {"negative count", "F_generic", counted("IntegerPropertyValue", 5, -1, 0)},
      {"most negative count", "F_generic", counted("IntegerPropertyValue", 5, INT32_MIN, 0)},
      {"count beyond the chunk", "F_generic", counted("IntegerPropertyValue", 5, 2, 1)},
      {"count times four wraps", "F_generic", counted("FloatPropertyValue", 6, 0x40000001, 1)},
      {"largest count", "F_item", counted("Materials", 7, INT32_MAX, 3)},
      {"count of the next chunk's bytes", "F_character",
       [=](Archive& a) {
         counted("AbilityLevel", 5, 3, 0)(a);
         counted("CrowdMembers", 7, 0, 0)(a);
       }},
      {"reference list element cut short", "Probe", counted("Allies", 8, 2, 3)},
      {"reference without its name", "Probe", counted("Owner", 4, 5, 0)},
      {"integer cut short", "Probe",
       [](Archive& a) { propertyChunk(a, "Count", 1, [](Archive&) {}); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    AtomTable atoms;
    Bytes container = handMadeDatabase(atoms, row.className, row.chunks);
    OpenedRecord opened(atoms);
    ASSERT_TRUE(openRecord(opened, container));
    std::unique_ptr<GameObject> object = std::string(row.className) == "Probe"
                                             ? std::make_unique<Probe>()
                                             : createTemplate(row.className);
    EXPECT_FALSE(object->load(opened.reader, true));
    EXPECT_NE(opened.reader.error(), ArchiveError::kNone);  // a failure always says why

    if (std::string(row.className) != "Probe") {
      MemoryStream file;
      file.write(container.data(), static_cast<int32_t>(container.size()));
      file.seek(0);
      Archive reader(atoms);
      ASSERT_TRUE(reader.beginRead(file));
      std::unique_ptr<GameObject> read;
      EXPECT_FALSE(readObjectRecord(reader, read));
      EXPECT_NE(reader.error(), ArchiveError::kNone);
    }
  }
}

TEST(ObjectRecordTest, DamagedChunkFramesFail) {
  // A property chunk claiming to end past its record, and one claiming to end inside its
  // own header.
  for (int32_t badEnd : {100000, -1, 0, 36}) {
    SCOPED_TRACE(badEnd);
    AtomTable atoms;
    Bytes container = handMadeDatabase(atoms, "F_item", [](Archive& a) {
      propertyChunk(a, "Type", 3, [](Archive& w) { w.writeInt32(0); });
    });
    // The property chunk starts at body offset 24; the body starts after the atom table.
    size_t bodyStart = container.size() - 44;
    Bytes damaged = container;
    ByteBuilder word;
    word.i32(badEnd);
    std::copy(word.bytes().begin(), word.bytes().end(), damaged.begin() + bodyStart + 24);
    OpenedRecord opened(atoms);
    ASSERT_TRUE(openRecord(opened, damaged));
    F_item item;
    EXPECT_FALSE(item.load(opened.reader, true));
  }
}

// Every 32-bit word of a real database body replaced by hostile values, and every
// truncation of the container: reading fails or succeeds, but never leaves the buffers.
TEST(ObjectRecordTest, DamagedDatabasesNeverReadOutOfBounds) {
  AtomTable atoms;
  std::vector<std::unique_ptr<GameObject>> objects;
  objects.push_back(std::make_unique<F_generic>());
  objects.push_back(std::make_unique<F_item>());
  objects.push_back(std::make_unique<F_character>());
  const char* names[] = {"lamp", "sword", "hero"};
  test::RecordingStream out;
  Archive writer(atoms);
  writer.beginWrite(out);
  for (size_t j = 0; j < objects.size(); ++j) {
    objects[j]->setName(atoms.intern(names[j]));
    fillEveryProperty(*objects[j], atoms, static_cast<int32_t>(j) + 3);
    ASSERT_TRUE(writeObjectRecord(writer, *objects[j]));
  }
  ASSERT_TRUE(writer.finish());
  const Bytes container = out.bytes();
  const size_t bodySize = static_cast<size_t>(writer.bodyLength());
  const size_t bodyStart = container.size() - bodySize;

  AtomTable readAtoms;
  auto readAll = [&](const Bytes& bytes) {
    MemoryStream file;
    file.write(bytes.data(), static_cast<int32_t>(bytes.size()));
    file.seek(0);
    Archive reader(readAtoms);
    if (!reader.beginRead(file)) return -1;
    int32_t records = 0;
    std::unique_ptr<GameObject> read;
    while (reader.hasChunk() && readObjectRecord(reader, read) && read != nullptr) ++records;
    return records;
  };
  ASSERT_EQ(readAll(container), 3);

  const int32_t hostile[] = {-1,         0,         1,         16,
                             0x3FFFFFFF, INT32_MAX, INT32_MIN, static_cast<int32_t>(bodySize) + 4};
  for (size_t offset = 0; offset + 4 <= bodySize; offset += 4) {
    for (int32_t value : hostile) {
      Bytes damaged = container;
      ByteBuilder word;
      word.i32(value);
      std::copy(word.bytes().begin(), word.bytes().end(), damaged.begin() + bodyStart + offset);
      EXPECT_GE(readAll(damaged), 0);  // the container itself is intact
    }
  }
  for (size_t length = 0; length < container.size(); ++length) {
    EXPECT_EQ(readAll(Bytes(container.begin(), container.begin() + length)), -1) << length;
  }
}

}  // namespace
}  // namespace rpgc
