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

std::string diffOf(const std::string& olderSource, const std::string& newerSource,
                   FileKind kind = FileKind::kStringTable) {
  test::CompiledFiles older = test::compileInMemory("P", 1.0f, {olderSource});
  test::CompiledFiles newer = test::compileInMemory("P", 1.0f, {newerSource});
  EXPECT_TRUE(older.ok && newer.ok);
  DumpInput before;
  DumpInput after;
  before.kind = after.kind = kind;
  if (kind == FileKind::kStringTable) {
    EXPECT_TRUE(before.strings.openMemory(older.strings.data(), older.strings.size()).ok());
    EXPECT_TRUE(after.strings.openMemory(newer.strings.data(), newer.strings.size()).ok());
  } else {
    EXPECT_TRUE(before.database.openMemory(older.database.data(), older.database.size()).ok());
    EXPECT_TRUE(after.database.openMemory(newer.database.data(), newer.database.size()).ok());
  }
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

// How items pair up: by name and occurrence, whatever their order; the fewest moves that
// explain the new order; only what differs is shown, with its occurrence when the name
// is used more than once.
TEST(FileDiffTest, ItemsPairUpByNameAndOccurrence) {
  auto object = [](const char* name, const char* line) {
    return std::string("BEGIN thing ") + name + "\n" + line + "\nEND\n\n";
  };
  auto section = [](const char* name, const char* text) {
    return std::string("STRING ") + name + "\n" + text + "\nEND\n\n";
  };
  struct Row {
    std::string older, newer;
    FileKind kind;
    std::string expected;
  };
  const std::string a = object("A", "INTEGER N = 1"), b = object("B", "INTEGER N = 2"),
                    c = object("C", "INTEGER N = 3");
  const Row rows[] = {
      {a + b + c, a + b + c, FileKind::kDatabase, ""},
      {a + b + c, a + object("B", "INTEGER N = 5") + c, FileKind::kDatabase,
       "~ object B: INTEGER N = 2 -> 5\n"},
      {a + b + c, c + a + b, FileKind::kDatabase, "~ object C: moved\n"},
      {a + b + c, a + c, FileKind::kDatabase, "- object B (F_generic)\n"},
      {a + c, a + b + c, FileKind::kDatabase, "+ object B (F_generic)\n"},
      {a + b, a + object("B", "FLOAT N = 2"), FileKind::kDatabase,
       "- object B: INTEGER N = 2\n+ object B: FLOAT N = 2\n"},
      {section("S", "x") + section("S", "y"), section("S", "x") + section("S", "z"),
       FileKind::kStringTable, "~ string section S #2: text 1 \"y\" -> \"z\"\n"},
      {section("S", "x") + section("T", "y"), section("T", "y") + section("S", "x"),
       FileKind::kStringTable, "~ string section T: moved\n"},
      {section("S", "x"), section("S", "x") + section("S", "x"), FileKind::kStringTable,
       "+ string section S #2\n"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(diffOf(row.older, row.newer, row.kind), row.expected) << row.newer;
  }
}

}  // namespace
}  // namespace rpgc
