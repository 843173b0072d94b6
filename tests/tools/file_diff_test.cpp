// Tests of rpgdump --diff's lines for long values: a value longer than about a kilobyte
// is shown from where it first differs, cut between characters, with its length.
#include "tools/file_diff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(FileDiffTest, LongTextsAreShownFromTheirFirstDifference) {
  // 3,000 bytes: "aaa…" then "é" from byte 2,000 on (two bytes each) and a last digit.
  std::string text = std::string(1999, 'a');
  for (int i = 0; i < 500; ++i) text += "\xC3\xA9";
  std::string changed = text + "1";
  text += "0";
  auto section = [](const std::vector<std::string>& texts) {
    std::string source = "STRING Long\n";
    for (const std::string& line : texts) source += line + "\n";
    return source + "END\n";
  };
  EXPECT_EQ(
      diffOf(section({text}), section({changed})),
      "~ string section Long: text 1 \u2026\"0\" (3,000 bytes) -> \u2026\"1\" (3,000 bytes)\n");
  // A window that would end inside a character ends before it: 1,024 bytes from byte
  // 1,000 would cut the 13th "é" in two.
  std::string early = text;
  early[1000] = 'b';
  std::string accents;
  for (int i = 0; i < 12; ++i) accents += "\xC3\xA9";
  EXPECT_EQ(diffOf(section({text}), section({early})),
            "~ string section Long: text 1 \u2026\"" + std::string(999, 'a') + accents +
                "\"\u2026 (3,000 bytes) -> \u2026\"b" + std::string(998, 'a') + accents +
                "\"\u2026 (3,000 bytes)\n");
  EXPECT_EQ(
      diffOf(section({"Hello."}), section({"Hello.", text})),
      "+ string section Long: text 2 \"" + std::string(1024, 'a') + "\"\u2026 (3,000 bytes)\n");
}

}  // namespace
}  // namespace rpgc
