// Tests of object records: the bytes of a record and of every value kind, and atoms
// shared by records. Reading records back is the reader library's (tests/reader).
#include "model/object_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "core/atom_table.h"
#include "model/f_generic.h"
#include "model/f_item.h"
#include "model/object_registry.h"
#include "support/format_bytes.h"
#include "support/model_fixture.h"
#include "support/written_body.h"

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

  test::WrittenBody written = test::writtenBody(
      atoms, [&](ArchiveWriter& archive) { return writeObjectRecord(archive, lamp); }, "duskvale",
      1.0f);
  ASSERT_TRUE(written.ok);

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

  EXPECT_EQ(written.body, expected.bytes());
  EXPECT_EQ(written.atomTexts, expectedAtoms);
  EXPECT_EQ(written.file, test::containerBytes("duskvale", 1.0f, expectedAtoms, expected.bytes()));
}

TEST(ObjectRecordTest, ObjectWithoutPropertiesIsTwentyFourBytes) {
  AtomTable atoms;
  GameObject plain;
  plain.setName(atoms.intern("nothing"));
  test::WrittenBody written = test::writtenBody(
      atoms, [&](ArchiveWriter& archive) { return writeObjectRecord(archive, plain); });
  ASSERT_TRUE(written.ok);
  // The base class has no class name: its atom -1 is entered like any other.
  EXPECT_EQ(written.body, ByteBuilder().i32(24).i32(0).i32(0).i32(0).i32(1).i32(0).bytes());
  EXPECT_EQ(written.atomTexts, (std::vector<std::string>{"nothing", ""}));
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

  test::WrittenBody written = test::writtenBody(
      atoms, [&](ArchiveWriter& archive) { return writeObjectRecord(archive, probe); }, "p", 2.0f);
  ASSERT_TRUE(written.ok);

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

  EXPECT_EQ(written.body, expected.bytes());
  EXPECT_EQ(written.atomTexts, expected.atomTexts());
  // The atom -1 has an entry of text length 0.
  EXPECT_EQ(written.file, test::containerBytes("p", 2.0f, expected.atomTexts(), expected.bytes()));
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
    test::WrittenBody written = test::writtenBody(
        atoms, [&](ArchiveWriter& archive) { return writeObjectRecord(archive, probe); });
    ASSERT_TRUE(written.ok);
    ExpectedBody expected;
    expected.defaultRecord("probe", "Probe", test::probeRows());
    EXPECT_EQ(written.body, expected.bytes());
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

  test::WrittenBody written = test::writtenBody(atoms, [&](ArchiveWriter& archive) {
    return writeObjectRecord(archive, lamp) && writeObjectRecord(archive, torch);
  });
  ASSERT_TRUE(written.ok);

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
  EXPECT_EQ(written.body, expected.bytes());
  EXPECT_EQ(written.atomTexts, expected.atomTexts());
  EXPECT_EQ(written.atomTexts.size(), 2u + 1 + 21 + 1);  // lamp, F_generic, prop, names, torch
}

// The database writer's record writer, which looks each class's names up once, writes
// the same bytes and atom table as records written one by one, for a mix of classes in
// runs and alternating; once it has learned the classes it interns nothing.
TEST(ObjectRecordTest, RecordWriterWritesWhatSingleRecordsWrite) {
  AtomTable atoms;
  ObjectRegistry registry(atoms);
  GameObject* hero = registry.findOrCreateTemplate("hero", "F_character");
  auto* sword = static_cast<F_item*>(registry.findOrCreateTemplate("sword", "F_item"));
  sword->Materials.push(atoms.intern("iron"));
  sword->FloatPropertyMin.push(0.25f);
  registry.findOrCreateTemplate("lamp", "F_generic");
  registry.findOrCreateTemplate("shield", "F_item");
  auto probe = std::make_unique<Probe>();
  probe->setName(atoms.intern("probe"));
  probe->Owner = hero;
  probe->Allies.push(nullptr);
  probe->Allies.push(sword);
  probe->Tags.push(atoms.intern("odd"));
  probe->setSavesAll(true);
  ASSERT_TRUE(registry.add(std::move(probe)));
  registry.findOrCreateTemplate("axe", "F_item");

  auto writeAll = [&](auto writeOne) {
    return [&, writeOne](ArchiveWriter& archive) mutable {
      for (int32_t j = 0; j < registry.count(); ++j) {
        if (!writeOne(archive, *registry.at(j))) return false;
      }
      return true;
    };
  };
  test::WrittenBody single =
      test::writtenBody(atoms, writeAll([](ArchiveWriter& archive, GameObject& object) {
                          return writeObjectRecord(archive, object);
                        }));
  ASSERT_TRUE(single.ok);

  ObjectRecordWriter records(atoms);
  records.learnClasses(registry);
  int32_t learned = atoms.count();
  test::WrittenBody together =
      test::writtenBody(atoms, writeAll([&](ArchiveWriter& archive, GameObject& object) {
                          return records.write(archive, object);
                        }));
  ASSERT_TRUE(together.ok);
  EXPECT_EQ(atoms.count(), learned);
  EXPECT_EQ(together.body, single.body);
  EXPECT_EQ(together.atomTexts, single.atomTexts);
}

TEST(ObjectRecordTest, WriterNotBegunWritesNothingAndFails) {
  AtomTable atoms;
  F_item item;
  ArchiveWriter archive(atoms);  // never begun
  EXPECT_FALSE(writeObjectRecord(archive, item));
  EXPECT_EQ(archive.status().failure, WriteFailure::kNotBegun);
  EXPECT_EQ(archive.bodyPosition(), 0);
}

}  // namespace
}  // namespace rpgc
