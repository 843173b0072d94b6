// Tests of NamePattern: names and patterns with '*'.
#include "tools/name_pattern.h"

#include <gtest/gtest.h>

namespace rpgc {
namespace {

TEST(NamePatternTest, MatchesNamesAndStars) {
  struct Row {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Row rows[] = {
      {"Hero", "Hero", true},
      {"Hero", "Heroes", false},
      {"Hero", "", false},
      {"*", "", true},
      {"*", "Anything", true},
      {"Iron*", "IronSword", true},
      {"Iron*", "Iron", true},
      {"Iron*", "OldIron", false},
      {"*Desc", "SwordDesc", true},
      {"*Desc", "Descent", false},
      {"*Wolf*", "GreyWolfPack", true},
      {"*Wolf*", "Wolf", true},
      {"A*B*C", "AxxBxxC", true},
      {"A*B*C", "ACB", false},
      {"A*B*C", "ABC", true},
      {"A*A", "A", false},
      {"A*A", "AA", true},
      {"a**b", "ab", true},
      {"*ab*ab*", "xabyab", true},
      {"*ab*ab*", "xaby", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(NamePattern(row.pattern).matches(row.name), row.matches)
        << row.pattern << " / " << row.name;
  }
  EXPECT_TRUE(NamePattern("Iron*").isGlob());
  EXPECT_FALSE(NamePattern("Iron").isGlob());
}

}  // namespace
}  // namespace rpgc
