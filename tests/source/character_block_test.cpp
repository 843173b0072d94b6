// Tests of parseCharacterBlock: the character type, every fixed field, leftovers turned into
// typed properties, and characters extended or refused across blocks.
#include "source/character_block.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/atom_table.h"
#include "model/f_character.h"
#include "source/item_block.h"
#include "support/source_fixture.h"

namespace rpgc {
namespace {

using test::debugString;
using test::linesOf;

struct CharacterRow {
  const char* label;
  std::vector<const char*> body;
  const char* dump;
};

// Failure messages name the row by its label.
void PrintTo(const CharacterRow& row, std::ostream* out) {
  *out << row.label;
}

const CharacterRow kCharacterRows[] = {
    {"no Type line", {}, "Type=character"},
    {"monster", {"ATOM Type = monster"}, "Type=monster"},
    {"player", {"ATOM Type = player"}, "Type=player"},
    {"crowd", {"ATOM Type = crowd"}, "Type=crowd"},
    {"types compared exactly", {"ATOM Type = Monster"}, "Type=character"},
    {"unknown type", {"ATOM Type = dragon"}, "Type=character"},
    {"last Type line wins, unknown",
     {"ATOM Type = player", "ATOM Type = dragon"},
     "Type=character"},
    {"last Type line wins, known", {"ATOM Type = dragon", "ATOM Type = crowd"}, "Type=crowd"},
    {"Type by any type word", {"INTEGER Type = player extra"}, "Type=player"},
    {"Puppet", {"ATOM Puppet = puppet_a puppet_b"}, "Type=character Puppet=puppet_a"},
    {"Role", {"ATOM Role = guard"}, "Type=character Role=guard"},
    {"ClassChoice",
     {"ATOMS ClassChoice = fighter, mage"},
     "Type=character ClassChoice=[fighter , mage]"},
    {"RankChoice", {"ATOMS RankChoice = r1"}, "Type=character RankChoice=[r1]"},
    {"WeaponChoice", {"ATOMS WeaponChoice = sword axe"}, "Type=character WeaponChoice=[sword axe]"},
    {"ArmourChoice", {"ATOMS ArmourChoice = mail"}, "Type=character ArmourChoice=[mail]"},
    {"ShieldChoice", {"ATOMS ShieldChoice = buckler"}, "Type=character ShieldChoice=[buckler]"},
    {"HelmetChoice", {"ATOMS HelmetChoice = cap"}, "Type=character HelmetChoice=[cap]"},
    {"BootsChoice", {"ATOMS BootsChoice = sandals"}, "Type=character BootsChoice=[sandals]"},
    {"GlovesChoice", {"ATOMS GlovesChoice = mitts"}, "Type=character GlovesChoice=[mitts]"},
    {"EquipmentChoice", {"ATOMS EquipmentChoice = rope"}, "Type=character EquipmentChoice=[rope]"},
    {"InventoryChoice",
     {"ATOMS InventoryChoice = bread"},
     "Type=character InventoryChoice=[bread]"},
    {"InventoryBonus", {"ATOMS InventoryBonus = gold"}, "Type=character InventoryBonus=[gold]"},
    {"WayptLocations",
     {"ATOMS WayptLocations = inn well"},
     "Type=character WayptLocations=[inn well]"},
    {"WayptConditions", {"ATOMS WayptConditions = day"}, "Type=character WayptConditions=[day]"},
    {"WayptTimeFlags",
     {"INTEGERS WayptTimeFlags = 1 2x y -3"},
     "Type=character WayptTimeFlags=[1 2 0 -3]"},
    {"WayptRoles", {"ATOMS WayptRoles = sleep"}, "Type=character WayptRoles=[sleep]"},
    {"WayptSpots", {"ATOMS WayptSpots = bed"}, "Type=character WayptSpots=[bed]"},
    {"AbilityChoice",
     {"ATOMS AbilityChoice = swim climb"},
     "Type=character AbilityChoice=[swim climb]"},
    {"AbilityLevel", {"INTEGERS AbilityLevel = 1 2 3"}, "Type=character AbilityLevel=[1 2 3]"},
    {"AbilityLevel with commas",
     {"INTEGERS AbilityLevel = 1, 2"},
     "Type=character AbilityLevel=[1 0 2]"},
    {"AbilityProficiency",
     {"FLOATS AbilityProficiency = 0.5 1"},
     "Type=character AbilityProficiency=[0.5 1]"},
    {"CrowdMin", {"INTEGER CrowdMin = 3"}, "Type=character CrowdMin=3"},
    {"CrowdMax with a tail", {"INTEGER CrowdMax = 8x 9"}, "Type=character CrowdMax=8"},
    {"CrowdMembers", {"ATOMS CrowdMembers = a, b"}, "Type=character CrowdMembers=[a , b]"},
    {"fixed fields by any type word",
     {"FLOAT WeaponChoice = bow", "ATOM AbilityLevel = 4 5"},
     "Type=character WeaponChoice=[bow] AbilityLevel=[4 5]"},
    {"fixed list replaced",
     {"ATOMS WeaponChoice = sword axe", "ATOMS WeaponChoice = bow"},
     "Type=character WeaponChoice=[bow]"},
    {"fixed atom replaced",
     {"ATOM Role = guard", "ATOM Role = thief"},
     "Type=character Role=thief"},
    {"leftover integer",
     {"INTEGER Strength = 12"},
     "Type=character IntegerPropertyName=[Strength] IntegerPropertyValue=[12]"},
    {"KnowledgeItem is a typed property",
     {"ATOMS KnowledgeItem = k1"},
     "Type=character LAtomPropertyName=[KnowledgeItem] LAtomPropertyCount=[1] "
     "LAtomPropertyValues=[k1]"},
    {"KnowledgeDesc is a typed property",
     {"INTEGER KnowledgeDesc = 5"},
     "Type=character IntegerPropertyName=[KnowledgeDesc] IntegerPropertyValue=[5]"},
    {"leftover with another type word skipped",
     {"STRING Bio = x", "ATOMS2 Y = z"},
     "Type=character"},
    {"names compared exactly",
     {"ATOMS weaponchoice = x", "ATOM type = monster"},
     "Type=character AtomPropertyName=[type] AtomPropertyValue=[monster] "
     "LAtomPropertyName=[weaponchoice] LAtomPropertyCount=[1] LAtomPropertyValues=[x]"},
    {"generic list names are not fixed fields",
     {"FLOAT IntegerPropertyName = 1.5"},
     "Type=character FloatPropertyName=[IntegerPropertyName] FloatPropertyValue=[1.5]"},
    {"mixed lines",
     {"INTEGER Strength = 12", "ATOM Type = monster", "ATOMS WeaponChoice = claw",
      "FLOAT Speed = 2.5", "INTEGER CrowdMin = 2", "INTEGER Strength = 14"},
     "Type=monster IntegerPropertyName=[Strength Strength] IntegerPropertyValue=[12 14] "
     "FloatPropertyName=[Speed] FloatPropertyValue=[2.5] WeaponChoice=[claw] CrowdMin=2"},
};

class CharacterBlockTest : public test::SourceTest {
 protected:
  /// Compiles "BEGIN character <characterName>" with body; returns the parser's result.
  int32_t compile(const char* characterName, const std::vector<const char*>& body) {
    lines_ = linesOf({"BEGIN character"});
    for (const char* line : body) lines_.push(line);
    lines_.push("END");
    return parseCharacterBlock(lines_, 1, characterName, ctx_);
  }

  SourceLines lines_;
};

class CharacterRows : public CharacterBlockTest,
                      public ::testing::WithParamInterface<CharacterRow> {};

TEST_P(CharacterRows, OneBlock) {
  const CharacterRow& row = GetParam();
  ASSERT_EQ(compile("Bob", row.body), static_cast<int32_t>(row.body.size()) + 2);
  auto* bob = objectNamed<F_character>("Bob");
  ASSERT_NE(bob, nullptr);
  EXPECT_EQ(debugString(*bob, atoms_), row.dump);
}

INSTANTIATE_TEST_SUITE_P(Bodies, CharacterRows, ::testing::ValuesIn(kCharacterRows),
                         test::RowLabel());

TEST_F(CharacterBlockTest, EmptyBodyGivesDefaults) {
  ASSERT_EQ(compile("Bob", {}), 2);
  ASSERT_EQ(registry_.count(), 1);
  auto* bob = objectAt<F_character>(0);
  ASSERT_NE(bob, nullptr);
  EXPECT_EQ(name(bob->name()), "Bob");
  EXPECT_EQ(name(bob->Type), "character");
  EXPECT_EQ(bob->Puppet, kNoAtom);
  EXPECT_EQ(bob->Role, kNoAtom);
  EXPECT_EQ(bob->CrowdMin, 0);
  EXPECT_EQ(bob->CrowdMax, 0);
  EXPECT_EQ(debugString(*bob, atoms_), "Type=character") << "every list empty";
}

TEST_F(CharacterBlockTest, SecondBlockWithoutTypeResetsIt) {
  compile("Bob", {"ATOM Type = monster", "ATOMS WeaponChoice = sword axe", "INTEGER Strength = 12",
                  "ATOM Puppet = orc"});
  compile("Ann", {"ATOM Type = player"});
  compile("Bob", {"ATOMS WeaponChoice = bow", "INTEGER Strength = 14"});
  ASSERT_EQ(registry_.count(), 2);
  auto* bob = objectAt<F_character>(0);
  ASSERT_NE(bob, nullptr);
  EXPECT_EQ(debugString(*bob, atoms_),
            "Type=character IntegerPropertyName=[Strength Strength] IntegerPropertyValue=[12 14] "
            "WeaponChoice=[bow] Puppet=orc");
  EXPECT_EQ(dumpAt<F_character>(1), "Type=player");
}

TEST_F(CharacterBlockTest, BufferHoldsTheLeftoversAfterwards) {
  ASSERT_EQ(compile("Bob", {"ATOM Type = monster", "INTEGER Strength = 12", "ATOM Role = guard",
                            "STRING Bio = x y", "ATOMS KnowledgeItem = k1"}),
            7);
  const AssignmentBuffer& buffer = ctx_.buffer;
  ASSERT_EQ(buffer.count(), 3);
  ASSERT_EQ(static_cast<int32_t>(buffer.names.size()), 3);
  ASSERT_EQ(buffer.count(), 3);
  ASSERT_EQ(static_cast<int32_t>(buffer.lines.size()), 3);
  EXPECT_EQ(name(buffer.names[0]), "Strength");
  EXPECT_EQ(name(buffer.typeWords[0]), "INTEGER");
  EXPECT_EQ(name(buffer.names[1]), "Bio");
  EXPECT_EQ(test::textsOf(buffer.values(1)), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(name(buffer.names[2]), "KnowledgeItem");
  EXPECT_EQ(buffer.lines[0], 2);
  EXPECT_EQ(buffer.lines[1], 4);
  EXPECT_EQ(buffer.lines[2], 5);
}

TEST_F(CharacterBlockTest, NameOfAnItemFails) {
  SourceLines items = linesOf({"BEGIN item Bob", "ATOM Type = statue", "END"});
  recordErrors();
  ASSERT_EQ(parseItemBlock(items, 1, "Bob", ctx_), 3);
  EXPECT_EQ(compile("Bob", {"ATOM Type = monster", "INTEGER Strength = 12"}), -1);
  EXPECT_EQ(errorMessage(), "'Bob' is already an item; a character cannot have the same name");
  ASSERT_EQ(errors_.errors.size(), 1u);
  EXPECT_EQ(errors_.errors[0].place.line, 0);
  EXPECT_EQ(errors_.errors[0].related.line, 0);
  ASSERT_EQ(registry_.count(), 1);
  EXPECT_EQ(dumpAt<F_item>(0), "Type=statue");
}

TEST_F(CharacterBlockTest, MissingEndTakesTheRestOfTheFile) {
  SourceLines lines = linesOf({"BEGIN character Bob", "ATOM Type = crowd", "INTEGER CrowdMax = 4"});
  EXPECT_EQ(parseCharacterBlock(lines, 1, "Bob", ctx_), 4);
  EXPECT_EQ(dumpNamed<F_character>("Bob"), "Type=crowd CrowdMax=4");
}

}  // namespace
}  // namespace rpgc
