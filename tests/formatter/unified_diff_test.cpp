// unifiedDiff: hunks and their context, far changes apart, and a last line without a line
// feed, as patch reads them.
#include "formatter/unified_diff.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace rpgc {
namespace {

TEST(UnifiedDiffTest, EqualTextsGiveNoDiff) {
  EXPECT_EQ(unifiedDiff("f", "a\nb\n", "a\nb\n", std::vector<int32_t>{0, 1}), "");
}

TEST(UnifiedDiffTest, ChangesWithThreeLinesOfContextAndFarOnesApart) {
  std::string before = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n";
  // Line 2 changed, one line added after 5 (near: one hunk); line 14 removed (far: a
  // hunk of its own).
  std::string after = "1\nTWO\n3\n4\n5\nnew\n6\n7\n8\n9\n10\n11\n12\n13\n";
  std::vector<int32_t> origin = {0, 1, 2, 3, 4, -1, 5, 6, 7, 8, 9, 10, 11, 12};
  EXPECT_EQ(unifiedDiff("f.txt", before, after, origin),
            "--- f.txt\n+++ f.txt\n"
            "@@ -1,8 +1,9 @@\n 1\n-2\n+TWO\n 3\n 4\n 5\n+new\n 6\n 7\n 8\n"
            "@@ -11,4 +12,3 @@\n 11\n 12\n 13\n-14\n");
}

TEST(UnifiedDiffTest, LastLineWithoutLineFeedIsReplaced) {
  EXPECT_EQ(unifiedDiff("f", "a\nb", "a\nb\n", std::vector<int32_t>{0, 1}),
            "--- f\n+++ f\n@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+b\n");
}

TEST(UnifiedDiffTest, EverythingRemoved) {
  EXPECT_EQ(unifiedDiff("f", "\n\n", "", std::vector<int32_t>{}),
            "--- f\n+++ f\n@@ -1,2 +0,0 @@\n-\n-\n");
}

}  // namespace
}  // namespace rpgc
