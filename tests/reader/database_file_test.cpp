// Tests of the reader library: the example read through the public headers only, the
// lookup rules, what the compiler's writer stores read back value for value, what the
// format allows beyond compiled files, and damaged files refused with the part, the
// offset and the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/memory_stream.h"
#include "archive/scramble_stream.h"
#include "core/atom_table.h"
#include "model/object_record.h"
#include "model/object_registry.h"
#include "rpgc/reader.h"
#include "support/compile_in_memory.h"
#include "support/format_bytes.h"
#include "support/model_fixture.h"
#include "support/written_body.h"

namespace rpgc {
namespace {

using test::ByteBuilder;
using test::Bytes;

const std::string kGolden = std::string(RPGC_SOURCE_DIR) + "/tests/driver/golden/duskvale";

template <class List>
auto elements(const List& list) {
  return std::vector<typename List::iterator::value_type>(list.begin(), list.end());
}

DatabaseFile databaseOf(const Bytes& bytes) {
  DatabaseFile database;
  EXPECT_TRUE(database.openMemory(bytes.data(), bytes.size()).ok());
  return database;
}

TEST(DatabaseFileTest, ExampleThroughThePublicApi) {
  DatabaseFile opened;
  ASSERT_TRUE(opened.open(kGolden + ".gdf").ok());
  DatabaseFile database = std::move(opened);  // views point behind the move
  EXPECT_FALSE(opened.isOpen());
  EXPECT_EQ(database.header().projectName(), "Duskvale");
  EXPECT_EQ(database.header().version(), 1.0f);
  EXPECT_EQ(database.objectCount(), 27);
  EXPECT_EQ(database.object(0).name(), "IronSword");

  std::optional<ObjectView> hero = database.find("Hero");
  ASSERT_TRUE(hero);
  EXPECT_EQ(hero->className(), "F_character");
  EXPECT_EQ(hero->flags(), 0);
  EXPECT_EQ(hero->integer("Health"), 30);  // declared in the character's block
  EXPECT_EQ(hero->real("WalkSpeed"), 1.25f);
  EXPECT_EQ(hero->atom("Type"), "player");
  EXPECT_EQ(elements(*hero->integers("Stats")), (std::vector<int32_t>{12, 11, 10}));
  EXPECT_EQ(elements(*hero->floats("AbilityProficiency")), (std::vector<float>{0.5f, 0.25f, 0.1f}));
  EXPECT_EQ(elements(*hero->atoms("WeaponChoice")),
            (std::vector<std::string_view>{"IronSword", "HuntingBow"}));
  EXPECT_EQ(hero->integer("Mana"), std::nullopt);
  EXPECT_EQ(hero->integer("Type"), std::nullopt);  // Type is an atom
  EXPECT_TRUE(hero->find("IntegerPropertyName")->storesDeclared());
  EXPECT_FALSE(hero->find("Type")->storesDeclared());
  EXPECT_TRUE(hero->find("Health")->isDeclared());

  std::optional<ObjectView> sword = database.find("IronSword");
  ASSERT_TRUE(sword);
  std::optional<PropertyView> damage = sword->find("Damage", PropertyKind::kFloat);
  ASSERT_TRUE(damage);
  EXPECT_TRUE(damage->isRange());
  EXPECT_EQ(damage->real(), 4.0f);
  EXPECT_EQ(damage->maximum(), 9.0f);
  EXPECT_EQ(sword->atom("Slot"), "mainhand");
  EXPECT_EQ(sword->reference("Maker"), (ObjectReference{true, 0, "BrannaSmith"}));

  std::optional<ObjectView> smith = database.find("BrannaSmith");
  ASSERT_TRUE(smith);
  EXPECT_EQ(elements(*smith->references("Friends")),
            (std::vector<ObjectReference>{{true, 0, "YsoldeInnkeeper"}, {true, 0, "Hero"}}));
  EXPECT_EQ(smith->atom("Type"), "character");

  // Out of range: neutral values, never a read outside the file.
  EXPECT_EQ(database.object(27).name(), "");
  EXPECT_EQ(database.object(-1).propertyCount(), 0);
  EXPECT_EQ(hero->property(hero->propertyCount()).name(), "");
  EXPECT_EQ((*hero->integers("Stats"))[3], 0);
  EXPECT_EQ(database.header().atomName(-1), "");
  EXPECT_FALSE(database.find("Nobody"));
}

TEST(DatabaseFileTest, StringTableOfTheExample) {
  StringTableFile strings;
  ASSERT_TRUE(strings.open(kGolden + ".gds").ok());
  EXPECT_EQ(strings.sectionCount(), 19);
  std::optional<StringSectionView> greeting = strings.find("InnGreeting");
  ASSERT_TRUE(greeting);
  EXPECT_TRUE(greeting->random());
  ASSERT_EQ(greeting->textCount(), 4);
  EXPECT_EQ(greeting->text(1), "Sit down, sit down ; the stew is hot.");
  EXPECT_EQ(greeting->text(4), "");
  EXPECT_FALSE(strings.section(0).random());
}

// Lookup: the record's properties come before declared ones, and the last of a name wins.
TEST(DatabaseFileTest, LookupRules) {
  test::CompiledFiles files =
      test::compileInMemory("p", 1.0f,
                            {"BEGIN quest Q\nATOM Type = declared\nINTEGER Hp = 1\nINTEGER Hp = 2\n"
                             "FLOATS Hp = 0.5\nEND\n\n"});
  ASSERT_TRUE(files.ok);
  DatabaseFile database = databaseOf(files.database);
  ObjectView quest = database.object(0);
  EXPECT_EQ(quest.atom("Type"), "quest");
  EXPECT_EQ(quest.declaredProperty(2).atom(), "declared");  // integers come first
  EXPECT_EQ(quest.integer("Hp"), 2);
  EXPECT_EQ(quest.find("Hp")->kind(), PropertyKind::kFloatList);  // float lists come last
  EXPECT_EQ(elements(*quest.floats("Hp")), std::vector<float>{0.5f});
}

// Gives every property of an object a value that differs from its default and from the
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

// Every property of a template as the reader sees it, record for record.
void expectReadAsWritten(GameObject& written, const AtomTable& atoms, ObjectView read) {
  EXPECT_EQ(read.name(), atoms.atomView(written.name()));
  EXPECT_EQ(read.className(), written.classNameText());
  EXPECT_EQ(read.flags(), (written.savesAll() ? 1 : 0) | (written.storedFlag() ? 2 : 0));
  ASSERT_EQ(read.propertyCount(), written.propertyCount());
  for (int32_t i = 0; i < written.propertyCount(); ++i) {
    PropertyRef want = written.property(i);
    PropertyView got = read.property(i);
    SCOPED_TRACE(written.propertyNameText(i));
    EXPECT_EQ(got.name(), written.propertyNameText(i));
    ASSERT_EQ(static_cast<int32_t>(got.kind()), static_cast<int32_t>(want.kind));
    auto texts = [&](const AtomList& list) {
      std::vector<std::string_view> names;
      for (Atom atom : list) names.push_back(atoms.atomView(atom));
      return names;
    };
    switch (want.kind) {
      case ValueKind::kInteger:
        EXPECT_EQ(got.integer(), want.integer());
        break;
      case ValueKind::kAtom:
        EXPECT_EQ(got.atom(), atoms.atomView(want.atom()));
        break;
      case ValueKind::kIntegerList:
        EXPECT_EQ(elements(got.integers()),
                  std::vector<int32_t>(want.integers().begin(), want.integers().end()));
        break;
      case ValueKind::kFloatList:
        EXPECT_EQ(elements(got.floats()),
                  std::vector<float>(want.reals().begin(), want.reals().end()));
        break;
      case ValueKind::kAtomList:
        EXPECT_EQ(elements(got.atoms()), texts(want.atoms()));
        break;
      default:
        break;
    }
  }
}

// The compiler's writer and the reader agree on every property of the three templates.
TEST(DatabaseFileTest, TemplatesReadBackValueForValue) {
  AtomTable atoms;
  std::vector<std::unique_ptr<GameObject>> objects;
  for (const char* className : {"F_generic", "F_item", "F_character", "F_item", "F_generic"}) {
    objects.push_back(createTemplate(className));
  }
  const char* names[] = {"lamp", "sword", "hero", "pebble", ""};
  for (size_t j = 0; j < objects.size(); ++j) {
    objects[j]->setName(atoms.intern(names[j]));
    if (j != 3) fillEveryProperty(*objects[j], atoms, static_cast<int32_t>(j) + 1);  // 3: defaults
  }
  objects[4]->setStoredFlag(true);
  objects[4]->setSavesAll(true);

  MemoryStream out;
  ScrambleStream scrambled(out);
  ArchiveWriter writer(atoms);
  ASSERT_TRUE(writeContainer(writer, scrambled, RefString("duskvale"), 2.5f, [&] {
    for (auto& object : objects) {
      if (!writeObjectRecord(writer, *object)) return false;
    }
    return true;
  }));
  DatabaseFile database = databaseOf(Bytes(out.bytes(), out.bytes() + out.length()));
  EXPECT_EQ(database.header().projectName(), "duskvale");
  EXPECT_EQ(database.header().version(), 2.5f);
  ASSERT_EQ(database.objectCount(), static_cast<int32_t>(objects.size()));
  for (size_t j = 0; j < objects.size(); ++j) {
    SCOPED_TRACE(names[j]);
    expectReadAsWritten(*objects[j], atoms, database.object(static_cast<int32_t>(j)));
  }
}

// Values of every kind, those no compiled record holds included, as the writer stores them:
// references by name and instance, a list element without a target, kinds without value.
TEST(DatabaseFileTest, EveryValueKindReadsBack) {
  AtomTable atoms;
  GameObject smith;
  smith.setName(atoms.intern("smith"));
  smith.setInstance(2);
  GameObject guard;
  guard.setName(atoms.intern("guard"));
  test::Probe probe;
  probe.setName(atoms.intern("probe"));
  probe.Count = 4;
  probe.Speed = -0.75f;
  probe.Icon = atoms.intern("lantern");
  probe.Owner = &smith;
  probe.Levels.push(9);
  probe.Weights.push(3.5f);
  probe.Tags.push(atoms.intern("t"));
  probe.Allies.push(&guard);
  probe.Allies.push(nullptr);
  probe.Allies.push(&smith);
  test::Probe unowned;
  unowned.setName(atoms.intern("unowned"));

  MemoryStream out;
  ScrambleStream scrambled(out);
  ArchiveWriter writer(atoms);
  ASSERT_TRUE(writeContainer(writer, scrambled, RefString("p"), 1.0f, [&] {
    return writeObjectRecord(writer, probe) && writeObjectRecord(writer, unowned);
  }));
  DatabaseFile database = databaseOf(Bytes(out.bytes(), out.bytes() + out.length()));
  ASSERT_EQ(database.objectCount(), 2);
  ObjectView read = database.object(0);
  EXPECT_EQ(read.className(), "Probe");
  EXPECT_EQ(read.integer("Count"), 4);
  EXPECT_EQ(read.real("Speed"), -0.75f);
  EXPECT_EQ(read.atom("Icon"), "lantern");
  EXPECT_EQ(read.reference("Owner"), (ObjectReference{true, 2, "smith"}));
  EXPECT_EQ(elements(*read.integers("Levels")), std::vector<int32_t>{9});
  EXPECT_EQ(elements(*read.floats("Weights")), std::vector<float>{3.5f});
  EXPECT_EQ(elements(*read.atoms("Tags")), std::vector<std::string_view>{"t"});
  EXPECT_EQ(elements(*read.references("Allies")),
            (std::vector<ObjectReference>{{true, 0, "guard"}, {}, {true, 2, "smith"}}));
  EXPECT_EQ(static_cast<int32_t>(read.property(8).kind()), 9);
  EXPECT_EQ(read.property(8).size(), 0);
  EXPECT_EQ(read.property(9).kind(), PropertyKind::kNone);
  ObjectView second = database.object(1);  // what follows the references was read in step
  EXPECT_EQ(second.name(), "unowned");
  EXPECT_EQ(second.reference("Owner"), ObjectReference{});
  EXPECT_TRUE(second.references("Allies")->empty());
}

// Reads every value of every property through the views.
size_t walkValues(const DatabaseFile& database) {
  size_t seen = 0;
  auto walk = [&](const PropertyView& property) {
    seen += property.name().size() + static_cast<size_t>(property.size());
    seen += static_cast<size_t>(property.integer()) + property.atom().size();
    seen += property.reference().name.size() + (property.real() == property.maximum() ? 1 : 0);
    for (int32_t v : property.integers()) seen += static_cast<size_t>(v);
    for (float v : property.floats()) seen += v > 0 ? 1 : 0;
    for (std::string_view v : property.atoms()) seen += v.size();
    for (const ObjectReference& v : property.references()) seen += v.name.size();
  };
  for (ObjectView object : database.objects()) {
    seen += object.name().size() + object.className().size();
    for (PropertyView property : object.properties()) walk(property);
    for (PropertyView property : object.declaredProperties()) walk(property);
  }
  return seen;
}

// Every 32-bit word of a database of the three templates replaced by hostile values:
// opening fails with a reason or gives a file every view can walk, never outside a buffer.
TEST(DatabaseFileTest, HostileWordsNeverReadOutOfBounds) {
  AtomTable atoms;
  std::vector<std::unique_ptr<GameObject>> objects;
  for (const char* className : {"F_generic", "F_item", "F_character"}) {
    objects.push_back(createTemplate(className));
    objects.back()->setName(atoms.intern(className));
    fillEveryProperty(*objects.back(), atoms, static_cast<int32_t>(objects.size()) + 2);
  }
  test::WrittenBody written = test::writtenBody(atoms, [&](ArchiveWriter& writer) {
    for (auto& object : objects) {
      if (!writeObjectRecord(writer, *object)) return false;
    }
    return true;
  });
  ASSERT_TRUE(written.ok);
  const size_t bodySize = written.body.size();
  const size_t bodyStart = written.file.size() - bodySize;
  ASSERT_EQ(databaseOf(test::scrambledAsRead(written.file)).objectCount(), 3);

  const int32_t hostile[] = {-1,         0,         1,         16,
                             0x3FFFFFFF, INT32_MAX, INT32_MIN, static_cast<int32_t>(bodySize) + 4};
  int opened = 0;
  for (size_t offset = 0; offset + 4 <= bodySize; offset += 4) {
    for (int32_t value : hostile) {
      Bytes damaged = written.file;
      ByteBuilder word;
      word.i32(value);
      std::copy(word.bytes().begin(), word.bytes().end(), damaged.begin() + bodyStart + offset);
      Bytes stored = test::scrambledAsRead(damaged);
      DatabaseFile database;
      ReadStatus status = database.openMemory(stored.data(), stored.size());
      if (!status.ok()) {
        EXPECT_NE(status.message(), "");
        continue;
      }
      ++opened;
      walkValues(database);
    }
  }
  EXPECT_GT(opened, 0);
}

// Writes one record by hand: properties are (name, kind, words of the value).
Bytes handMadeDatabase(
    const char* className,
    const std::vector<std::tuple<const char*, int32_t, std::vector<int32_t>>>& chunks) {
  AtomTable atoms;
  MemoryStream out;
  ScrambleStream scrambled(out);
  ArchiveWriter archive(atoms);
  bool written = writeContainer(archive, scrambled, RefString("p"), 0.0f, [&] {
    ArchiveChunk record;
    record.tag = atoms.intern("thing");
    archive.beginChunk(record);
    archive.writeAtom(atoms.intern(className));
    archive.writeInt32(0);
    for (const auto& [name, kind, words] : chunks) {
      ArchiveChunk chunk;
      chunk.tag = atoms.intern(name);
      chunk.word2 = kind;
      archive.beginChunk(chunk);
      for (int32_t word : words) archive.writeInt32(word);
      archive.endChunk(chunk);
    }
    return archive.endChunk(record);
  });
  EXPECT_TRUE(written);
  return Bytes(out.bytes(), out.bytes() + out.length());
}

// Kinds no compiled record holds, classes the compiler does not know, repeated chunks and
// storage lists that do not pair up: read as they are.
TEST(DatabaseFileTest, WhatTheFormatAllowsBeyondCompiledFiles) {
  // Atom indices: 0 thing, 1 class, then names in order of first use.
  Bytes probe = handMadeDatabase("Probe", {{"Owner", 4, {3, 0}},
                                           {"Nobody", 4, {-1}},
                                           {"Allies", 8, {3, 2, 0, -1, 0, 1}},
                                           {"Speed", 2, {0x3FC00000}},
                                           {"Odd", 9, {}},
                                           {"Speed", 2, {0x40000000}},
                                           {"Icon", 3, {999}}});
  DatabaseFile database = databaseOf(probe);
  ObjectView object = database.object(0);
  EXPECT_EQ(object.className(), "Probe");
  EXPECT_EQ(object.declaredCount(), 0);
  EXPECT_EQ(object.reference("Owner"), (ObjectReference{true, 3, "thing"}));
  EXPECT_EQ(object.reference("Nobody"), ObjectReference{});
  EXPECT_EQ(elements(*object.references("Allies")),
            (std::vector<ObjectReference>{{true, 2, "thing"}, {}, {true, 0, "Probe"}}));
  EXPECT_EQ(object.real("Speed"), 2.0f);  // the last chunk of a name wins
  PropertyView odd = object.property(4);
  EXPECT_EQ(static_cast<int32_t>(odd.kind()), 9);
  EXPECT_EQ(odd.size(), 0);
  EXPECT_EQ(odd.integer(), 0);
  EXPECT_EQ(object.atom("Icon"), "");  // an index outside the atom table

  // IntegerPropertyName holds two names for one value; LAtomPropertyCount asks for more
  // values than there are: the properties that pair up before the mismatch remain.
  Bytes generic = handMadeDatabase("F_generic", {{"IntegerPropertyName", 7, {2, 0, 0}},
                                                 {"IntegerPropertyValue", 5, {1, 42}},
                                                 {"LAtomPropertyName", 7, {1, 1}},
                                                 {"LAtomPropertyCount", 5, {1, 3}},
                                                 {"LAtomPropertyValues", 7, {1, 0}}});
  database = databaseOf(generic);
  object = database.object(0);
  EXPECT_FALSE(object.declaredListsMatch());
  ASSERT_EQ(object.declaredCount(), 1);
  EXPECT_EQ(object.integer("thing"), 42);
}

struct DamagedRow {
  const char* label;
  bool database;
  Bytes plain;  // the container before scrambling
  ReadFailure failure;
  FilePart part;
  int64_t offset;
  int64_t value;
  const char* message;  // "" when the row does not pin it
};

ByteBuilder container(int32_t bodyLength) {
  return ByteBuilder().string("p").f32(1.0f).i32(0).i32(bodyLength);  // the body starts at 18
}

ByteBuilder record(int32_t end) {
  return ByteBuilder().i32(end).i32(0).i32(0).i32(0).i32(0).i32(0);  // a record without class
}

Bytes withBody(const ByteBuilder& body) {
  return container(static_cast<int32_t>(body.size())).raw(body.bytes()).bytes();
}

// One record (end 24 + chunk) holding one property chunk (kind, end) and words.
Bytes oneProperty(int32_t kind, int32_t chunkEnd, std::vector<int32_t> words) {
  ByteBuilder chunk;
  chunk.i32(chunkEnd).i32(0).i32(0).i32(kind);
  for (int32_t word : words) chunk.i32(word);
  return withBody(record(24 + static_cast<int32_t>(chunk.size())).raw(chunk.bytes()));
}

TEST(DatabaseFileTest, DamagedFilesSayWhereAndWhy) {
  using F = ReadFailure;
  using P = FilePart;
  const DamagedRow rows[] = {
      {"empty file",
       true,
       {},
       F::kTruncated,
       P::kProjectName,
       0,
       0,
       "the project name runs past the end of the file"},
      {"negative name size", true, ByteBuilder().i32(-2).bytes(), F::kNegative, P::kProjectName, 0,
       -2, "the project name's size is negative (-2)"},
      {"name without its zero byte", true,
       ByteBuilder().i32(2).text("pq").f32(1).i32(0).i32(0).bytes(), F::kNoZeroByte,
       P::kProjectName, 4, 0, "the project name does not end with a zero byte"},
      {"atom name too long", true, ByteBuilder().string("p").f32(1).i32(1).i32(1025).bytes(),
       F::kNameTooLong, P::kAtomName, 14, 1025,
       "an atom name of 1025 bytes passes the limit of 1024"},
      {"atom table cut", true, ByteBuilder().string("p").f32(1).i32(5).i32(1).text("a").bytes(),
       F::kTruncated, P::kAtomName, 19, 0, ""},
      {"negative body length", true, container(-1).bytes(), F::kNegative, P::kBodyLength, 14, -1,
       ""},
      {"body cut", true, container(8).i32(0).bytes(), F::kTruncated, P::kBody, 18, 0,
       "the body runs past the end of the file"},
      {"bytes after the body", true, container(0).i32(7).bytes(), F::kExtraBytes, P::kFile, 18, 0,
       "the file goes on after the end of its body"},
      {"record cut", true, withBody(ByteBuilder().i32(8).i32(0)), F::kTruncated, P::kRecord, 18, 0,
       "an object record runs past the end of the body"},
      {"record end past the body", true, withBody(record(100)), F::kBadEnd, P::kRecord, 18, 100,
       "an object record has an end offset (100) that does not fit the body"},
      {"record without flags", true, withBody(record(20)), F::kBadEnd, P::kRecord, 18, 20, ""},
      {"property end past the record", true, oneProperty(1, 48, {0}), F::kBadEnd, P::kProperty, 42,
       48, "a property chunk has an end offset (48) that does not fit its record"},
      {"property header cut", true, withBody(record(32).i32(0).i32(0)), F::kTruncated, P::kProperty,
       42, 0, "a property chunk runs past the end of its record"},
      {"negative list count", true, oneProperty(5, 44, {-1}), F::kNegative, P::kValue, 58, -1,
       "a list's element count is negative (-1)"},
      {"list count past the chunk", true, oneProperty(7, 48, {2, 0}), F::kTooMany, P::kValue, 58, 2,
       "a list's element count (2) is more than the rest of its property chunk can hold"},
      {"integer cut", true, oneProperty(1, 40, {}), F::kTruncated, P::kValue, 58, 0,
       "a property value runs past the end of its property chunk"},
      {"reference without its name", true, oneProperty(4, 44, {0}), F::kTruncated, P::kValue, 62, 0,
       ""},
      {"reference list element cut", true, oneProperty(8, 48, {1, 3}), F::kTruncated, P::kValue, 66,
       0, ""},
      {"negative section count", false, withBody(ByteBuilder().i32(-4)), F::kNegative,
       P::kSectionCount, 18, -4, ""},
      {"too many sections", false, withBody(ByteBuilder().i32(2).i32(0).i32(0).i32(0)), F::kTooMany,
       P::kSectionCount, 18, 2, "the section count (2) is more than the rest of the body can hold"},
      {"second section cut", false,
       withBody(ByteBuilder().i32(2).i32(0).i32(0).i32(1).string("").i32(0).raw({0, 0, 0})),
       F::kTruncated, P::kSection, 39, 0, "a string section runs past the end of the body"},
      {"too many texts", false, withBody(ByteBuilder().i32(1).i32(0).i32(0).i32(3)), F::kTooMany,
       P::kSection, 30, 3, "a section's text count (3) is more than the rest of the body can hold"},
      {"text past the body", false,
       withBody(ByteBuilder().i32(1).i32(0).i32(0).i32(1).i32(10).text("ab")), F::kTruncated,
       P::kText, 34, 10, "a text runs past the end of the body"},
      {"negative text size", false, withBody(ByteBuilder().i32(1).i32(0).i32(0).i32(1).i32(-1)),
       F::kNegative, P::kText, 34, -1, "a text's size is negative (-1)"},
      {"text without its zero byte", false,
       withBody(ByteBuilder().i32(1).i32(0).i32(0).i32(1).i32(2).text("ab")), F::kNoZeroByte,
       P::kText, 34, 0, "a text does not end with a zero byte"},
      {"bytes after the last section", false, withBody(ByteBuilder().i32(0).i32(5)), F::kExtraBytes,
       P::kBody, 22, 0, "the body goes on after its last string section"},
  };
  for (const DamagedRow& row : rows) {
    SCOPED_TRACE(row.label);
    Bytes stored = test::scrambledAsRead(row.plain);
    ReadStatus status;
    if (row.database) {
      DatabaseFile file;
      status = file.openMemory(stored.data(), stored.size());
      EXPECT_FALSE(file.isOpen());
    } else {
      StringTableFile file;
      status = file.openMemory(stored.data(), stored.size());
      EXPECT_FALSE(file.isOpen());
    }
    EXPECT_EQ(status.failure, row.failure);
    EXPECT_EQ(status.part, row.part);
    EXPECT_EQ(status.offset, row.offset);
    EXPECT_EQ(status.value, row.value);
    if (*row.message != '\0') {
      EXPECT_EQ(status.message(), row.message);
    }
  }
}

TEST(DatabaseFileTest, FilesThatCannotBeRead) {
  DatabaseFile database;
  ReadStatus missing = database.open(kGolden + ".missing");
  EXPECT_EQ(missing.failure, ReadFailure::kCannotOpen);
  EXPECT_EQ(missing.systemError, ENOENT);
  EXPECT_EQ(missing.message(), "cannot read the file: No such file or directory");
  StringTableFile strings;
  ReadStatus folder = strings.open(RPGC_SOURCE_DIR);
  EXPECT_EQ(folder.failure, ReadFailure::kCannotOpen);
  EXPECT_EQ(folder.systemError, EISDIR);
  EXPECT_EQ(database.openMemory(nullptr, 0).failure, ReadFailure::kTruncated);
}

}  // namespace
}  // namespace rpgc
