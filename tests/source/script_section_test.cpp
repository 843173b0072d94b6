// Tests of parseScriptSection: scripts are read over up to their END line and produce nothing.
#include "source/script_section.h"

#include <gtest/gtest.h>

#include "core/atom_table.h"
#include "model/f_generic.h"
#include "source/generic_block.h"
#include "support/source_fixture.h"

namespace rpgc {
namespace {

using test::linesOf;

class ScriptSectionTest : public test::SourceTest {};

TEST_F(ScriptSectionTest, ProducesNothing) {
  SourceLines lines =
      linesOf({"SCRIPT OpenDoor", "BEGIN item Sword", "ATOM Type = weapon", "STRING Greeting",
               "if door.locked then", "  call unlock(door)", "END", "after"});
  EXPECT_EQ(parseScriptSection(lines, 1, "OpenDoor", ctx_), 7);
  EXPECT_EQ(registry_.count(), 0);
  EXPECT_EQ(lines[5], "  call unlock(door)") << "the lines are not changed";
}

TEST_F(ScriptSectionTest, EndInTheMiddleEndsTheSection) {
  SourceLines lines = linesOf({"SCRIPT Guard", "x = 1", "END ; of the first part", "y = 2", "END"});
  EXPECT_EQ(parseScriptSection(lines, 1, "Guard", ctx_), 3);
}

TEST_F(ScriptSectionTest, LowerCaseEndDoesNotEndIt) {
  SourceLines lines = linesOf({"SCRIPT Guard", "end", "End loop", "  end if", "END"});
  EXPECT_EQ(parseScriptSection(lines, 1, "Guard", ctx_), 5);
}

TEST_F(ScriptSectionTest, WithoutEndSwallowsTheRestOfTheFile) {
  SourceLines lines = linesOf({"SCRIPT Guard", "wait 5", "BEGIN quest Q1", "INTEGER Reward = 50"});
  EXPECT_EQ(parseScriptSection(lines, 1, RefString(), ctx_), 5);
  EXPECT_EQ(registry_.count(), 0);
}

TEST_F(ScriptSectionTest, NextBlockDoesNotSeeTheScriptsAssignments) {
  SourceLines lines = linesOf(
      {"SCRIPT Guard", "INTEGER Alarm = 1", "END", "BEGIN quest Q1", "INTEGER Reward = 50", "END"});
  ASSERT_EQ(parseScriptSection(lines, 1, "Guard", ctx_), 3);
  ASSERT_EQ(parseGenericBlock(lines, 4, "quest", "Q1", ctx_), 6);
  EXPECT_EQ(dumpNamed<F_generic>("Q1"),
            "Type=quest IntegerPropertyName=[Reward] IntegerPropertyValue=[50]");
}

}  // namespace
}  // namespace rpgc
