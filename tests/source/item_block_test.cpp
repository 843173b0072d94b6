// Tests of parseItemBlock: fixed fields by name (last line wins), float ranges, atom and
// reference pairs, and items extended or refused across blocks.
#include "source/item_block.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/atom_table.h"
#include "model/f_item.h"
#include "source/generic_block.h"
#include "support/source_fixture.h"

namespace rpgc {
namespace {

using test::debugString;
using test::linesOf;

struct ItemRow {
  const char* label;
  std::vector<const char*> body;
  const char* dump;
};

// Failure messages name the row by its label.
void PrintTo(const ItemRow& row, std::ostream* out) {
  *out << row.label;
}

const ItemRow kItemRows[] = {
    {"Type by ATOM", {"ATOM Type = weapon"}, "Type=weapon"},
    {"Type by FLOAT", {"FLOAT Type = weapon"}, "Type=weapon"},
    {"Type by any word", {"whatever Type = weapon extra"}, "Type=weapon"},
    {"Class", {"INTEGER Class = blade"}, "Class=blade"},
    {"STR_Desc with commas", {"ATOMS STR_Desc = a, b"}, "STR_Desc=[a , b]"},
    {"Materials", {"ATOM Materials = iron wood"}, "Materials=[iron wood]"},
    {"ModNames", {"ATOMS ModNames = str dex"}, "ModNames=[str dex]"},
    {"ModFactors", {"ATOMS ModFactors = 0.5 x 2"}, "ModFactors=[0.5 0 2]"},
    {"EffectMacro_0", {"ATOMS EffectMacro_0 = burn"}, "EffectMacro_0=[burn]"},
    {"EffectMacro_1", {"FLOAT EffectMacro_1 = 1 2"}, "EffectMacro_1=[1 2]"},
    {"EffectMacro_2", {"REFERENCE EffectMacro_2 = freeze"}, "EffectMacro_2=[freeze]"},
    {"fixed lists replaced",
     {"ATOMS ModNames = str dex", "ATOMS ModNames = con"},
     "ModNames=[con]"},
    {"fixed atoms replaced", {"ATOM Type = weapon", "ATOM Type = armour"}, "Type=armour"},
    {"float single value",
     {"FLOAT Weight = 1.5"},
     "FloatPropertyName=[Weight] FloatPropertyMin=[1.5] FloatPropertyMax=[1.5]"},
    {"float two values",
     {"FLOAT Damage = 2 5"},
     "FloatPropertyName=[Damage] FloatPropertyMin=[2] FloatPropertyMax=[2]"},
    {"float range with a word",
     {"FLOAT Damage = 2 to 5"},
     "FloatPropertyName=[Damage] FloatPropertyMin=[2] FloatPropertyMax=[5]"},
    {"float range with a comma",
     {"FLOAT Weight = 1.5, 3"},
     "FloatPropertyName=[Weight] FloatPropertyMin=[1.5] FloatPropertyMax=[3]"},
    {"float range reads the third value",
     {"FLOAT Damage = 1 2 3 4"},
     "FloatPropertyName=[Damage] FloatPropertyMin=[1] FloatPropertyMax=[3]"},
    {"float not a number",
     {"FLOAT Damage = x"},
     "FloatPropertyName=[Damage] FloatPropertyMin=[0] FloatPropertyMax=[0]"},
    {"atom pair",
     {"ATOM Icon = shield round"},
     "AtomPropertyName=[Icon] AtomPropertyValue=[shield]"},
    {"reference pair",
     {"REFERENCE Owner = Bob Ann"},
     "ReferencePropertyName=[Owner] ReferencePropertyValue=[Bob]"},
    {"pairs appended in order",
     {"ATOM A = 1", "REFERENCE R = x", "ATOM B = 2", "ATOM A = 3"},
     "AtomPropertyName=[A B A] AtomPropertyValue=[1 2 3] ReferencePropertyName=[R] "
     "ReferencePropertyValue=[x]"},
    {"integer skipped", {"INTEGER Price = 10"}, ""},
    {"list type words skipped", {"ATOMS Tags = a b", "FLOATS F = 1", "REFERENCES R = x"}, ""},
    {"lower-case type word skipped", {"float Weight = 1", "atom Icon = x"}, ""},
    {"names compared exactly",
     {"ATOM type = x", "ATOM effectmacro_0 = y"},
     "AtomPropertyName=[type effectmacro_0] AtomPropertyValue=[x y]"},
    {"other slot number is not fixed",
     {"ATOM EffectMacro_3 = z"},
     "AtomPropertyName=[EffectMacro_3] AtomPropertyValue=[z]"},
    {"list names of the item are not fixed fields",
     {"ATOM AtomPropertyName = x", "FLOAT FloatPropertyMin = 4"},
     "FloatPropertyName=[FloatPropertyMin] FloatPropertyMin=[4] FloatPropertyMax=[4] "
     "AtomPropertyName=[AtomPropertyName] AtomPropertyValue=[x]"},
};

class ItemBlockTest : public test::SourceTest {
 protected:
  /// Compiles one item block "BEGIN item <itemName>" with body, returning the parser's result.
  int32_t compile(const char* itemName, const std::vector<const char*>& body) {
    lines_ = linesOf({"BEGIN item"});
    for (const char* line : body) lines_.push(line);
    lines_.push("END");
    return parseItemBlock(lines_, 1, itemName, ctx_);
  }

  SourceLines lines_;
};

class ItemRows : public ItemBlockTest, public ::testing::WithParamInterface<ItemRow> {};

TEST_P(ItemRows, OneBlock) {
  const ItemRow& row = GetParam();
  ASSERT_EQ(compile("Sword", row.body), static_cast<int32_t>(row.body.size()) + 2);
  auto* sword = objectNamed<F_item>("Sword");
  ASSERT_NE(sword, nullptr);
  EXPECT_EQ(debugString(*sword, atoms_), row.dump);
}

INSTANTIATE_TEST_SUITE_P(Bodies, ItemRows, ::testing::ValuesIn(kItemRows), test::RowLabel());

TEST_F(ItemBlockTest, EmptyBodyCreatesADefaultItem) {
  ASSERT_EQ(compile("Sword", {}), 2);
  ASSERT_EQ(registry_.count(), 1);
  auto* sword = objectAt<F_item>(0);
  ASSERT_NE(sword, nullptr);
  EXPECT_EQ(name(sword->name()), "Sword");
  EXPECT_EQ(sword->Type, kNoAtom);
  EXPECT_EQ(sword->Class, kNoAtom);
  EXPECT_EQ(debugString(*sword, atoms_), "");
}

TEST_F(ItemBlockTest, SecondBlockReplacesFixedFieldsAndAppendsProperties) {
  compile("Sword", {"ATOM Type = weapon", "ATOMS Materials = iron wood steel", "FLOAT Weight = 2",
                    "ATOM Icon = sword"});
  compile("Axe", {"ATOM Type = weapon"});
  compile("Sword", {"ATOMS Materials = bronze", "FLOAT Weight = 3", "REFERENCE Maker = Bob"});
  ASSERT_EQ(registry_.count(), 2);
  auto* sword = objectAt<F_item>(0);
  ASSERT_NE(sword, nullptr);
  EXPECT_EQ(name(sword->name()), "Sword");
  EXPECT_EQ(debugString(*sword, atoms_),
            "Type=weapon FloatPropertyName=[Weight Weight] FloatPropertyMin=[2 3] "
            "FloatPropertyMax=[2 3] AtomPropertyName=[Icon] AtomPropertyValue=[sword] "
            "ReferencePropertyName=[Maker] ReferencePropertyValue=[Bob] Materials=[bronze]");
}

TEST_F(ItemBlockTest, LongFixedListReplacedByAShortOne) {
  std::string values;
  for (int v = 0; v < 17; ++v) values += " d" + std::to_string(v);
  std::string longLine = "ATOMS STR_Desc =" + values;
  compile("Sword", {longLine.c_str()});
  auto* sword = objectNamed<F_item>("Sword");
  ASSERT_NE(sword, nullptr);
  ASSERT_EQ(sword->STR_Desc.length(), 17);
  EXPECT_EQ(name(sword->STR_Desc[16]), "d16");
  compile("Sword", {"ATOMS STR_Desc = short"});
  EXPECT_EQ(debugString(*sword, atoms_), "STR_Desc=[short]");
}

TEST_F(ItemBlockTest, NameOfAGenericObjectFails) {
  SourceLines quests = linesOf({"BEGIN quest Sword", "INTEGER Reward = 5", "END"});
  recordErrors();
  ctx_.file = 0;
  ASSERT_EQ(parseGenericBlock(quests, 1, "quest", "Sword", ctx_), 3);
  ctx_.file = 2;
  EXPECT_EQ(compile("Sword", {"ATOM Type = weapon", "FLOAT Weight = 2"}), -1);
  EXPECT_EQ(errorMessage(),
            "'Sword' is already a `quest` object; an item cannot have the same name");
  ASSERT_EQ(errors_.errors.size(), 1u);
  const Finding& error = errors_.errors[0];
  EXPECT_EQ(error.place.file, 2);
  EXPECT_EQ(error.place.line, 0);
  EXPECT_EQ(error.related.file, 0);
  EXPECT_EQ(error.related.line, 0);
  ASSERT_EQ(registry_.count(), 1);
  EXPECT_EQ(dumpAt<F_generic>(0),
            "Type=quest IntegerPropertyName=[Reward] IntegerPropertyValue=[5]");
}

TEST_F(ItemBlockTest, MissingEndTakesTheRestOfTheFile) {
  SourceLines lines =
      linesOf({"BEGIN item Sword", "ATOM Type = weapon", "end", "FLOAT Weight = 2"});
  EXPECT_EQ(parseItemBlock(lines, 1, "Sword", ctx_), 5);
  EXPECT_EQ(dumpNamed<F_item>("Sword"),
            "Type=weapon FloatPropertyName=[Weight] FloatPropertyMin=[2] FloatPropertyMax=[2]");
}

}  // namespace
}  // namespace rpgc
