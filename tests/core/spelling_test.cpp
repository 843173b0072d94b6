// Tests of closestWord: the guesses behind "did you mean".
#include "core/spelling.h"

#include <gtest/gtest.h>

#include <string_view>

namespace rpgc {
namespace {

TEST(SpellingTest, GuessesCloseWordsOnly) {
  constexpr std::string_view kWords[] = {"FLOAT", "INTEGER", "ATOMS", "BEGIN", "character"};
  struct Row {
    std::string_view word;
    std::string_view guess;
  };
  const Row rows[] = {
      {"FLAOT", "FLOAT"},
      {"float", "FLOAT"},
      {"INTEGR", "INTEGER"},
      {"BEGN", "BEGIN"},
      {"charcter", "character"},
      {"Character", "character"},
      {"FLOAT", ""},
      {"quest", ""},
      {"ATOM", "ATOMS"},
      {"AT", ""},
      {"", ""},
      {"INTEGERSS", "INTEGER"},
      {"XYZATOMS", ""},
      {"NIGEB", ""},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(closestWord(row.word, kWords), row.guess) << row.word;
  }
  EXPECT_EQ(closestWord("ATOM", kWords, 0), "") << "only case differences with no edits";
  EXPECT_EQ(closestWord("atoms", kWords, 0), "ATOMS");
  EXPECT_TRUE(equalsIgnoringCase("End", "END"));
  EXPECT_FALSE(equalsIgnoringCase("Ends", "END"));
}

}  // namespace
}  // namespace rpgc
