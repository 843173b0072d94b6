// Tests of rpgdump --diff's lines for long values: a value longer than about a kilobyte
// is shown from where it first differs, cut between characters, with its length.
#include "tools/file_diff.h"

#include <gtest/gtest.h>

#include <string>

#include "support/compile_in_memory.h"
#include "tools/dump_input.h"
#include "tools/text_output.h"

namespace rpgc {
namespace {

std::string diffOf(const std::string& olderSource, const std::string& newerSource) {
  test::CompiledFiles older = test::compileInMemory("P", 1.0f, {olderSource});
  test::CompiledFiles newer = test::compileInMemory("P", 1.0f, {newerSource});
  EXPECT_TRUE(older.ok && newer.ok);
  DumpInput before;
  DumpInput after;
  before.kind = after.kind = FileKind::kStringTable;
  EXPECT_TRUE(before.strings.openMemory(older.strings.data(), older.strings.size()).ok());
  EXPECT_TRUE(after.strings.openMemory(newer.strings.data(), newer.strings.size()).ok());
  std::string diff;
  TextOutput out(diff);
  writeDiff(before, after, out);
  out.flush();
  return diff;
}

TEST(FileDiffTest, LongTextsAreShownFromTheirFirstDifferenceCutBetweenCharacters) {
  // 3,000 bytes: 1,999 'a', then 500 "é" (two bytes each), then a digit.
  std::string accents;
  for (int i = 0; i < 500; ++i) accents += "\xC3\xA9";
  std::string text = std::string(1999, 'a') + accents + "0";
  auto section = [](const std::string& line) { return "STRING Long\n" + line + "\nEND\n"; };
  std::string last = text;
  last.back() = '1';
  EXPECT_EQ(
      diffOf(section(text), section(last)),
      "~ string section Long: text 1 \u2026\"0\" (3,000 bytes) -> \u2026\"1\" (3,000 bytes)\n");
  // 1,024 bytes from byte 1,000 would end inside the 13th "é": the window ends before it.
  std::string early = text;
  early[1000] = 'b';
  std::string twelve = accents.substr(0, 24);
  EXPECT_EQ(diffOf(section(text), section(early)),
            "~ string section Long: text 1 \u2026\"" + std::string(999, 'a') + twelve +
                "\"\u2026 (3,000 bytes) -> \u2026\"b" + std::string(998, 'a') + twelve +
                "\"\u2026 (3,000 bytes)\n");
}

}  // namespace
}  // namespace rpgc
