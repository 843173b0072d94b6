// Tests of the depfile's text: paths escaped as make and ninja read them.
#include "driver/depfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rpgc {
namespace {

struct EscapeRow {
  std::string path;
  std::string written;
};

// Regression for ':' written as it was (GNU make: "multiple target patterns").
TEST(DepfileTest, PathsAreEscapedForMake) {
  const EscapeRow rows[] = {
      {"/game/items.txt", "/game/items.txt"},
      {"/my game/a b.txt", "/my\\ game/a\\ b.txt"},
      {"/a\tb", "/a\\\tb"},
      {"/notes#1", "/notes\\#1"},
      {"/cost$5", "/cost$$5"},
      {"/c:/x", "/c\\:/x"},
      // 2N + 1 backslashes before a blank read as N and the blank.
      {"/a\\ b", "/a\\\\\\ b"},
      {"/a\\b", "/a\\b"},
  };
  for (const EscapeRow& row : rows) {
    EXPECT_EQ(depfileText({row.path}, {}), row.written + ":\n") << row.path;
  }
  EXPECT_EQ(depfileText({"/o.gds", "/o.gdf"}, {"/g.gdm", "", "/a.txt"}),
            "/o.gds /o.gdf: \\\n  /g.gdm \\\n  /a.txt\n");
}

// Regression: a line end in a path broke the depfile; such a path is found first.
TEST(DepfileTest, APathWithALineEndIsFound) {
  std::vector<std::string> targets{"/o.gds", "/o.gdf"};
  EXPECT_EQ(pathWithLineEnd(targets, {"/a.txt", "/b.txt"}), nullptr);
  std::vector<std::string> inputs{"/a.txt", "/b\nc.txt", "/d\re.txt"};
  const std::string* found = pathWithLineEnd(targets, inputs);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, "/b\nc.txt");
}

}  // namespace
}  // namespace rpgc
