// Tests of the three templates F_generic, F_item and F_character: their property tables,
// defaults, reflection out of range, and their records with every property at its default.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "core/atom_table.h"
#include "model/f_character.h"
#include "model/f_generic.h"
#include "model/f_item.h"
#include "model/object_record.h"
#include "model/object_registry.h"
#include "support/format_bytes.h"
#include "support/model_fixture.h"
#include "support/written_body.h"

namespace rpgc {
namespace {

using test::Bytes;
using test::ExpectedBody;
using test::PropertyRow;

struct TemplateCase {
  std::string className;
  std::vector<PropertyRow> rows;
  int32_t recordBytes;  // the record with every property at its default
};

std::vector<TemplateCase> templateCases() {
  return {
      {"F_generic", test::genericRows(), 444},
      {"F_item", test::itemRows(), 344},
      {"F_character", test::characterRows(), 964},
  };
}

class ObjectTemplateTest : public ::testing::Test {
 protected:
  AtomTable atoms_;
};

TEST_F(ObjectTemplateTest, PropertyTablesMatchTheFormat) {
  for (const TemplateCase& c : templateCases()) {
    SCOPED_TRACE(c.className);
    std::unique_ptr<GameObject> object = createTemplate(c.className);
    ASSERT_NE(object, nullptr);
    EXPECT_STREQ(object->classNameText(), c.className.c_str());
    EXPECT_EQ(object->className(atoms_), atoms_.intern(c.className));
    EXPECT_STREQ(object->kindNameText(), "factory");
    ASSERT_EQ(object->propertyCount(), static_cast<int32_t>(c.rows.size()));
    for (int32_t i = 0; i < object->propertyCount(); ++i) {
      const PropertyRow& row = c.rows[static_cast<size_t>(i)];
      SCOPED_TRACE(row.name);
      EXPECT_STREQ(object->propertyNameText(i), row.name);
      EXPECT_EQ(atoms_.atomView(object->propertyName(i, atoms_)), row.name);
      PropertyRef property = object->property(i);
      EXPECT_EQ(property.kind, row.kind);
      EXPECT_NE(property.location, nullptr);
      EXPECT_TRUE(object->isSharedProperty(i));
    }
  }
}

TEST_F(ObjectTemplateTest, EveryPropertyHasItsOwnFieldInsideTheObject) {
  F_generic generic;
  F_item item;
  F_character character;
  struct Case {
    GameObject* object;
    size_t size;
  };
  for (Case c : {Case{&generic, sizeof generic}, Case{&item, sizeof item},
                 Case{&character, sizeof character}}) {
    SCOPED_TRACE(c.object->classNameText());
    std::set<void*> seen;
    auto* first = reinterpret_cast<char*>(c.object);
    for (int32_t i = 0; i < c.object->propertyCount(); ++i) {
      auto* location = static_cast<char*>(c.object->property(i).location);
      EXPECT_TRUE(location >= first && location < first + c.size) << "property " << i;
      EXPECT_TRUE(seen.insert(location).second) << "property " << i << " shares a field";
    }
  }
}

TEST_F(ObjectTemplateTest, PropertiesReachTheNamedFields) {
  F_generic generic;
  EXPECT_EQ(generic.property(0).location, &generic.Type);
  EXPECT_EQ(generic.property(20).location, &generic.LFloatPropertyValues);

  F_item item;
  EXPECT_EQ(item.property(0).location, &item.STR_Desc);
  EXPECT_EQ(item.property(1).location, &item.Type);  // Type is not property 0 of an item
  EXPECT_EQ(item.property(2).location, &item.Class);
  EXPECT_EQ(item.property(15).location, &item.EffectMacro_2);

  F_character character;
  EXPECT_EQ(character.property(0).location, &character.Type);
  EXPECT_EQ(character.property(20).location, &character.LFloatPropertyValues);
  EXPECT_EQ(character.property(21).location, &character.WeaponChoice);
  EXPECT_EQ(character.property(33).location, &character.Puppet);
  EXPECT_EQ(character.property(38).location, &character.KnowledgeDesc);
  EXPECT_EQ(character.property(45).location, &character.CrowdMax);
  EXPECT_EQ(character.property(46).location, &character.CrowdMembers);
}

TEST_F(ObjectTemplateTest, CharacterAnswersTheGenericIndicesOnItsGenericFields) {
  F_generic generic;
  F_character character;
  auto offsetIn = [](const void* base, const void* field) {
    return static_cast<const char*>(field) - static_cast<const char*>(base);
  };
  const F_generic* genericPart = &character;
  for (int32_t i = 0; i < F_generic::kPropertyCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(character.propertyNameText(i), generic.propertyNameText(i));
    EXPECT_EQ(character.property(i).kind, generic.property(i).kind);
    EXPECT_EQ(offsetIn(genericPart, character.property(i).location),
              offsetIn(&generic, generic.property(i).location));
  }
}

TEST_F(ObjectTemplateTest, IndicesOutOfRange) {
  F_generic generic;
  F_item item;
  F_character character;
  for (GameObject* object : std::vector<GameObject*>{&generic, &item, &character}) {
    SCOPED_TRACE(object->classNameText());
    int32_t count = object->propertyCount();
    for (int32_t index : {-1, count, count + 1, INT32_MIN, INT32_MAX}) {
      SCOPED_TRACE(index);
      EXPECT_EQ(object->property(index).kind, ValueKind::kNone);
      EXPECT_EQ(object->property(index).location, nullptr);
      EXPECT_EQ(object->propertyNameText(index), nullptr);
      EXPECT_EQ(object->propertyName(index, atoms_), kNoAtom);
      EXPECT_FALSE(object->isSharedProperty(index));
    }
  }
  // Index 21 is past the end of F_generic but the first own property of F_character.
  EXPECT_EQ(generic.propertyName(21, atoms_), kNoAtom);
  EXPECT_EQ(atoms_.atomView(character.propertyName(21, atoms_)), "WeaponChoice");
  EXPECT_EQ(item.property(16).kind, ValueKind::kNone);
  EXPECT_FALSE(item.isSharedProperty(16));
  EXPECT_TRUE(item.isSharedProperty(15));
}

TEST_F(ObjectTemplateTest, PropertyNamesAreInternedWhenAsked) {
  F_item item;
  EXPECT_EQ(atoms_.find("Materials"), kNoAtom);
  Atom materials = item.propertyName(12, atoms_);
  EXPECT_NE(materials, kNoAtom);
  EXPECT_EQ(atoms_.find("Materials"), materials);
  EXPECT_EQ(item.propertyName(12, atoms_), materials);
}

TEST_F(ObjectTemplateTest, DefaultsAreNoAtomZeroAndEmptyLists) {
  for (const TemplateCase& c : templateCases()) {
    SCOPED_TRACE(c.className);
    std::unique_ptr<GameObject> object = createTemplate(c.className);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->name(), kNoAtom);
    EXPECT_EQ(object->instance(), 0);
    EXPECT_FALSE(object->savesAll());
    EXPECT_FALSE(object->storedFlag());
    for (int32_t i = 0; i < object->propertyCount(); ++i) {
      SCOPED_TRACE(c.rows[static_cast<size_t>(i)].name);
      PropertyRef value = object->property(i);
      switch (value.kind) {
        case ValueKind::kInteger:
          EXPECT_EQ(value.integer(), 0);
          break;
        case ValueKind::kAtom:
          EXPECT_EQ(value.atom(), kNoAtom);
          break;
        case ValueKind::kIntegerList:
          EXPECT_EQ(value.integers().length(), 0);
          break;
        case ValueKind::kFloatList:
          EXPECT_EQ(value.reals().length(), 0);
          break;
        case ValueKind::kAtomList:
          EXPECT_EQ(value.atoms().length(), 0);
          break;
        default:
          ADD_FAILURE() << "no template property has kind " << static_cast<int32_t>(value.kind);
      }
    }
  }
}

TEST_F(ObjectTemplateTest, DefaultRecordsHoldEveryPropertyAtItsDefault) {
  for (const TemplateCase& c : templateCases()) {
    SCOPED_TRACE(c.className);
    AtomTable atoms;
    std::unique_ptr<GameObject> object = createTemplate(c.className);
    object->setName(atoms.intern("thing"));
    test::WrittenBody written = test::writtenBody(
        atoms, [&](ArchiveWriter& archive) { return writeObjectRecord(archive, *object); });
    ASSERT_TRUE(written.ok);

    ExpectedBody expected;
    expected.defaultRecord("thing", c.className, c.rows);
    EXPECT_EQ(written.body.size(), static_cast<size_t>(c.recordBytes));
    EXPECT_EQ(expected.size(), static_cast<size_t>(c.recordBytes));
    EXPECT_EQ(written.body, expected.bytes());
    EXPECT_EQ(written.atomTexts, expected.atomTexts());
  }
}

TEST_F(ObjectTemplateTest, SavingWithoutAllWritesOnlyTheFlagsWord) {
  struct Row {
    bool saveAll;
    bool storedFlag;
    int32_t flags;
    bool propertiesWritten;
  };
  const Row rows[] = {
      {false, false, 0, false},
      {false, true, 2, false},
      {true, false, 1, true},  // saveAll makes save write the shared properties too
      {true, true, 3, true},
  };
  for (const TemplateCase& c : templateCases()) {
    for (const Row& row : rows) {
      SCOPED_TRACE(c.className + " flags " + std::to_string(row.flags));
      std::unique_ptr<GameObject> object = createTemplate(c.className);
      object->setSavesAll(row.saveAll);
      object->setStoredFlag(row.storedFlag);
      test::WrittenBody written = test::writtenBody(
          atoms_, [&](ArchiveWriter& archive) { return object->save(archive, false); });
      ASSERT_TRUE(written.ok);
      const Bytes& body = written.body;
      ASSERT_GE(body.size(), 4u);
      EXPECT_EQ(Bytes(body.begin(), body.begin() + 4), test::ByteBuilder().i32(row.flags).bytes());
      size_t expectedSize = row.propertiesWritten ? static_cast<size_t>(c.recordBytes) - 20 : 4;
      EXPECT_EQ(body.size(), expectedSize);
    }
  }
}

}  // namespace
}  // namespace rpgc
