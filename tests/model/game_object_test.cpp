// Tests of GameObject: the base class's reflection contract, the value kind codes, the
// flags word, and which properties save writes when not asked for all of them.
#include "model/game_object.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "core/atom_table.h"
#include "support/format_bytes.h"
#include "support/model_fixture.h"
#include "support/written_body.h"

namespace rpgc {
namespace {

using test::ByteBuilder;
using test::Bytes;
using test::ExpectedBody;
using test::Probe;

TEST(GameObjectTest, KindCodesAreThoseOfTheFormat) {
  struct Row {
    ValueKind kind;
    int32_t code;
  };
  const Row rows[] = {
      {ValueKind::kNone, 0},      {ValueKind::kInteger, 1},   {ValueKind::kFloat, 2},
      {ValueKind::kAtom, 3},      {ValueKind::kReference, 4}, {ValueKind::kIntegerList, 5},
      {ValueKind::kFloatList, 6}, {ValueKind::kAtomList, 7},  {ValueKind::kReferenceList, 8},
  };
  for (const Row& row : rows) EXPECT_EQ(static_cast<int32_t>(row.kind), row.code);
}

TEST(GameObjectTest, BaseClassHasNoPropertiesAndNoNames) {
  AtomTable atoms;
  GameObject object;
  EXPECT_EQ(object.propertyCount(), 0);
  for (int32_t index : {-1, 0, 1, 21}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(object.property(index).kind, ValueKind::kNone);
    EXPECT_EQ(object.property(index).location, nullptr);
    EXPECT_EQ(object.propertyNameText(index), nullptr);
    EXPECT_EQ(object.propertyName(index, atoms), kNoAtom);
    EXPECT_FALSE(object.isSharedProperty(index));
  }
  EXPECT_EQ(object.classNameText(), nullptr);
  EXPECT_EQ(object.className(atoms), kNoAtom);
  EXPECT_EQ(object.kindName(atoms), kNoAtom);
  EXPECT_EQ(atoms.count(), 0);  // asking for absent names interns nothing
}

TEST(GameObjectTest, FreshObjectHasNoNameInstanceZeroAndNoFlags) {
  GameObject object;
  EXPECT_EQ(object.name(), kNoAtom);
  EXPECT_EQ(object.instance(), 0);
  EXPECT_FALSE(object.savesAll());
  EXPECT_FALSE(object.storedFlag());
  object.setSavesAll(true);
  object.setStoredFlag(true);
  EXPECT_TRUE(object.savesAll());
  EXPECT_TRUE(object.storedFlag());
}

TEST(GameObjectTest, NamesAreInternedInTheGivenTable) {
  AtomTable first;
  AtomTable second;
  second.intern("padding");
  Probe probe;
  Atom inFirst = probe.propertyName(4, first);
  Atom inSecond = probe.propertyName(4, second);
  EXPECT_EQ(first.atomView(inFirst), "Levels");
  EXPECT_EQ(second.atomView(inSecond), "Levels");
  EXPECT_NE(inFirst, inSecond);
  EXPECT_EQ(probe.propertyName(4, first), inFirst);  // interned once
  EXPECT_EQ(first.atomView(probe.className(first)), "Probe");
}

TEST(GameObjectTest, FlagsWordHoldsSaveAllInBitZeroAndStoredFlagInBitOne) {
  struct Row {
    bool saveAll;
    bool storedFlag;
    int32_t word;
  };
  for (const Row& row :
       {Row{false, false, 0}, Row{true, false, 1}, Row{false, true, 2}, Row{true, true, 3}}) {
    SCOPED_TRACE(row.word);
    AtomTable atoms;
    GameObject object;
    object.setSavesAll(row.saveAll);
    object.setStoredFlag(row.storedFlag);
    test::WrittenBody written = test::writtenBody(
        atoms, [&](ArchiveWriter& archive) { return object.save(archive, true); });
    ASSERT_TRUE(written.ok);
    EXPECT_EQ(written.body, ByteBuilder().i32(row.word).bytes());
    EXPECT_TRUE(written.atomTexts.empty());
  }
}

TEST(GameObjectTest, SaveWithoutAllSkipsSharedProperties) {
  AtomTable atoms;
  Probe probe;
  probe.Count = 5;
  probe.Icon = atoms.intern("lantern");
  for (int32_t i = 0; i < Probe::kCount; ++i)
    probe.shared[static_cast<size_t>(i)] = i != 0 && i != 2;

  test::WrittenBody written =
      test::writtenBody(atoms, [&](ArchiveWriter& archive) { return probe.save(archive, false); });
  ASSERT_TRUE(written.ok);

  ExpectedBody expected;
  expected.i32(0);
  size_t chunk = expected.openProperty("Count", ValueKind::kInteger);
  expected.i32(5);
  expected.close(chunk);
  chunk = expected.openProperty("Icon", ValueKind::kAtom);
  expected.atom("lantern");
  expected.close(chunk);
  EXPECT_EQ(written.body, expected.bytes());
  EXPECT_EQ(written.atomTexts, expected.atomTexts());
}

TEST(GameObjectTest, SaveAllFlagOverridesTheCallersChoice) {
  AtomTable atoms;
  Probe probe;
  probe.shared.fill(true);
  probe.setSavesAll(true);
  test::WrittenBody written =
      test::writtenBody(atoms, [&](ArchiveWriter& archive) { return probe.save(archive, false); });
  ASSERT_TRUE(written.ok);
  // Flags word, then all ten properties in index order.
  ExpectedBody expected;
  expected.i32(1);
  expected.defaultProperties(test::probeRows());
  EXPECT_EQ(written.body, expected.bytes());
  EXPECT_EQ(written.atomTexts, expected.atomTexts());
}

}  // namespace
}  // namespace rpgc
