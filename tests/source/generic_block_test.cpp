// Tests of parseGenericBlock: creating and extending F_generic templates, names bound to
// one class, and the error of a block whose name belongs to another class.
#include "source/generic_block.h"

#include <gtest/gtest.h>

#include "core/atom_table.h"
#include "model/f_character.h"
#include "model/f_generic.h"
#include "model/f_item.h"
#include "source/character_block.h"
#include "source/item_block.h"
#include "support/source_fixture.h"

namespace rpgc {
namespace {

using test::debugString;
using test::linesOf;

class GenericBlockTest : public test::SourceTest {};

TEST_F(GenericBlockTest, QuestWithOneReward) {
  SourceLines lines = linesOf({"BEGIN quest Q1", "INTEGER Reward = 50", "END", "trailing"});
  recordErrors();
  EXPECT_EQ(parseGenericBlock(lines, 1, "quest", "Q1", ctx_), 3);
  EXPECT_TRUE(errors_.errors.empty());
  ASSERT_EQ(registry_.count(), 1);
  auto* q1 = objectAt<F_generic>(0);
  ASSERT_NE(q1, nullptr);
  EXPECT_EQ(name(q1->name()), "Q1");
  EXPECT_EQ(name(q1->className(atoms_)), "F_generic");
  EXPECT_EQ(debugString(*q1, atoms_),
            "Type=quest IntegerPropertyName=[Reward] IntegerPropertyValue=[50]");
}

TEST_F(GenericBlockTest, SecondBlockExtendsTheSameObject) {
  SourceLines lines = linesOf({"BEGIN quest Q1", "INTEGER Reward = 50", "ATOMS Tags = a b", "END",
                               "BEGIN quest Q2", "END", "BEGIN quest Q1", "INTEGER Reward = 60",
                               "END", "BEGIN location Q1", "ATOMS Tags = c", "END"});
  recordErrors();
  EXPECT_EQ(parseGenericBlock(lines, 1, "quest", "Q1", ctx_), 4);
  EXPECT_EQ(parseGenericBlock(lines, 5, "quest", "Q2", ctx_), 6);
  EXPECT_EQ(parseGenericBlock(lines, 7, "quest", "Q1", ctx_), 9);
  auto* q1 = objectNamed<F_generic>("Q1");
  ASSERT_NE(q1, nullptr);
  EXPECT_EQ(debugString(*q1, atoms_),
            "Type=quest IntegerPropertyName=[Reward Reward] IntegerPropertyValue=[50 60] "
            "LAtomPropertyName=[Tags] LAtomPropertyCount=[2] LAtomPropertyValues=[a b]");

  EXPECT_EQ(parseGenericBlock(lines, 10, "location", "Q1", ctx_), 12);
  EXPECT_EQ(debugString(*q1, atoms_),
            "Type=location IntegerPropertyName=[Reward Reward] IntegerPropertyValue=[50 60] "
            "LAtomPropertyName=[Tags Tags] LAtomPropertyCount=[2 1] LAtomPropertyValues=[a b c]");
  ASSERT_EQ(registry_.count(), 2);
  EXPECT_EQ(registry_.at(0), q1) << "the object keeps its first position";
  EXPECT_EQ(name(registry_.at(1)->name()), "Q2");
  EXPECT_TRUE(errors_.errors.empty());
}

TEST_F(GenericBlockTest, NameOfAnItemFailsAndLeavesTheItemAlone) {
  SourceLines items =
      linesOf({"", "BEGIN item Sword", "ATOM Type = weapon", "FLOAT Weight = 2", "END"});
  recordErrors();
  ctx_.file = 0;
  ASSERT_EQ(parseItemBlock(items, 2, "Sword", ctx_), 5);
  auto* sword = objectNamed<F_item>("Sword");
  ASSERT_NE(sword, nullptr);
  std::string before = debugString(*sword, atoms_);

  SourceLines quests =
      linesOf({"BEGIN quest Q1", "END", "", "BEGIN quest Sword", "INTEGER Reward = 50", "END"});
  ctx_.file = 1;
  ASSERT_EQ(parseGenericBlock(quests, 1, "quest", "Q1", ctx_), 2);
  EXPECT_EQ(parseGenericBlock(quests, 4, "quest", "Sword", ctx_), -1);

  EXPECT_EQ(errorMessage(),
            "'Sword' is already an item; a `quest` object cannot have the same name");
  const Finding& error = errors_.errors.at(0);
  EXPECT_EQ(error.code, FindingCode::kNameConflict);
  EXPECT_EQ(error.place.file, 1);
  EXPECT_EQ(error.place.line, 3) << "the header line";
  EXPECT_EQ(error.related.file, 0);
  EXPECT_EQ(error.related.line, 1);

  EXPECT_EQ(debugString(*sword, atoms_), before);
  EXPECT_EQ(registry_.count(), 2);
  EXPECT_EQ(registry_.at(0), sword);
}

TEST_F(GenericBlockTest, NameOfACharacterFails) {
  SourceLines lines =
      linesOf({"BEGIN character Bob", "END", "BEGIN quest Bob", "ATOM A = x", "END"});
  recordErrors();
  ASSERT_EQ(parseCharacterBlock(lines, 1, "Bob", ctx_), 2);
  EXPECT_EQ(parseGenericBlock(lines, 3, "quest", "Bob", ctx_), -1);
  EXPECT_EQ(errorMessage(),
            "'Bob' is already a character; a `quest` object cannot have the same name");
  ASSERT_EQ(errors_.errors.size(), 1u);
  EXPECT_EQ(errors_.errors[0].place.line, 2);
  EXPECT_EQ(errors_.errors[0].related.line, 0);
  auto* bob = objectNamed<F_character>("Bob");
  ASSERT_NE(bob, nullptr);
  EXPECT_EQ(debugString(*bob, atoms_), "Type=character") << "no typed property was added";
}

TEST_F(GenericBlockTest, NamesAreComparedExactly) {
  SourceLines lines = linesOf(
      {"BEGIN quest Sword", "INTEGER A = 1", "END", "BEGIN quest sword", "INTEGER A = 2", "END"});
  EXPECT_EQ(parseGenericBlock(lines, 1, "quest", "Sword", ctx_), 3);
  EXPECT_EQ(parseGenericBlock(lines, 4, "quest", "sword", ctx_), 6);
  ASSERT_EQ(registry_.count(), 2);
  EXPECT_EQ(name(registry_.at(0)->name()), "Sword");
  EXPECT_EQ(name(registry_.at(1)->name()), "sword");
  EXPECT_EQ(dumpNamed<F_generic>("sword"),
            "Type=quest IntegerPropertyName=[A] IntegerPropertyValue=[2]");
}

TEST_F(GenericBlockTest, EmptyBodyStillCreatesTheObject) {
  SourceLines lines = linesOf({"BEGIN shop Market", "END"});
  EXPECT_EQ(parseGenericBlock(lines, 1, "shop", "Market", ctx_), 2);
  auto* market = objectNamed<F_generic>("Market");
  ASSERT_NE(market, nullptr);
  EXPECT_EQ(debugString(*market, atoms_), "Type=shop");
}

TEST_F(GenericBlockTest, MissingEndTakesTheRestOfTheFile) {
  SourceLines lines = linesOf({"BEGIN quest Q1", "INTEGER Reward = 50", "", "FLOAT Odds = 0.5"});
  EXPECT_EQ(parseGenericBlock(lines, 1, "quest", "Q1", ctx_), 5);
  EXPECT_EQ(dumpNamed<F_generic>("Q1"),
            "Type=quest IntegerPropertyName=[Reward] IntegerPropertyValue=[50] "
            "FloatPropertyName=[Odds] FloatPropertyValue=[0.5]");
}

TEST_F(GenericBlockTest, AbsentNameGivesAnObjectWithoutName) {
  SourceLines lines =
      linesOf({"BEGIN quest", "INTEGER A = 1", "END", "BEGIN quest", "INTEGER A = 2", "END"});
  EXPECT_EQ(parseGenericBlock(lines, 1, "quest", RefString(), ctx_), 3);
  EXPECT_EQ(parseGenericBlock(lines, 4, "quest", RefString(""), ctx_), 6);
  ASSERT_EQ(registry_.count(), 1) << "both blocks name no object: the same one";
  auto* unnamed = objectAt<F_generic>(0);
  ASSERT_NE(unnamed, nullptr);
  EXPECT_EQ(unnamed->name(), kNoAtom);
  EXPECT_EQ(debugString(*unnamed, atoms_),
            "Type=quest IntegerPropertyName=[A A] IntegerPropertyValue=[1 2]");
}

TEST_F(GenericBlockTest, AbsentNameIsBoundToOneClassToo) {
  SourceLines lines = linesOf({"BEGIN quest", "END", "BEGIN item", "ATOM Type = x", "END"});
  recordErrors();
  ASSERT_EQ(parseGenericBlock(lines, 1, "quest", RefString(), ctx_), 2);
  EXPECT_EQ(parseItemBlock(lines, 3, RefString(), ctx_), -1);
  EXPECT_EQ(errorMessage(), "'' is already a `quest` object; an item cannot have the same name");
  ASSERT_EQ(errors_.errors.size(), 1u);
  EXPECT_EQ(errors_.errors[0].place.line, 2);
  EXPECT_EQ(errors_.errors[0].related.line, 0);
  EXPECT_EQ(registry_.count(), 1);
}

TEST_F(GenericBlockTest, OriginsFollowTheRegistry) {
  SourceLines lines =
      linesOf({"BEGIN quest A", "END", "BEGIN quest B", "END", "BEGIN quest A", "END"});
  ctx_.file = 3;
  parseGenericBlock(lines, 1, "quest", "A", ctx_);
  parseGenericBlock(lines, 3, "quest", "B", ctx_);
  parseGenericBlock(lines, 5, "quest", "A", ctx_);
  ASSERT_EQ(ctx_.origins.size(), 2u);
  EXPECT_EQ(ctx_.origins[0].file, 3);
  EXPECT_EQ(ctx_.origins[0].line, 0) << "an extension does not move the first declaration";
  EXPECT_EQ(ctx_.origins[1].line, 2);
}

}  // namespace
}  // namespace rpgc
