// Tests of readAssignmentBlock: which lines are assignments, where a block ends, and what
// the buffer keeps of each accepted line.
#include "source/assignment_buffer.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/atom_table.h"
#include "support/source_fixture.h"

namespace rpgc {
namespace {

using Texts = std::vector<std::string>;

struct ShapeRow {
  const char* label;
  const char* line;
  bool accepted;
  const char* typeWord = "";
  const char* name = "";
  Texts values = {};
};

// Failure messages name the row by its label.
void PrintTo(const ShapeRow& row, std::ostream* out) {
  *out << row.label;
}

const ShapeRow kShapeRows[] = {
    {"float assignment", "FLOAT Weight = 1.5", true, "FLOAT", "Weight", {"1.5"}},
    {"no value", "FLOAT Weight =", false},
    {"no equals sign", "FLOAT Weight 1.5", false},
    {"equals sign glued", "FLOAT Weight=1.5", false},
    {"equals glued to the value", "FLOAT Weight =1.5", false},
    {"doubled equals sign", "FLOAT Weight == 1.5", false},
    {"commas between header words", "FLOAT, Weight, =, 1.5", false},
    {"only a name and a value", "Name = Sword", false},
    {"comma values", "ATOMS Colours = red, green", true, "ATOMS", "Colours", {"red", ",", "green"}},
    {"blank-separated values",
     "ATOMS Colours = red green",
     true,
     "ATOMS",
     "Colours",
     {"red", "green"}},
    {"only commas as values", "ATOMS Marks = , ,", true, "ATOMS", "Marks", {",", ","}},
    {"slash cuts a value", "ATOM Icon = a/b", true, "ATOM", "Icon", {"a"}},
    {"semicolon cuts a value", "ATOM Icon = a;b c", true, "ATOM", "Icon", {"a"}},
    {"comment leaves no value", "ATOM Icon = ; a", false},
    {"slash leaves no value", "ATOM Icon = /a", false},
    {"trailing comment", "FLOAT Weight = 1.5 ; was 2", true, "FLOAT", "Weight", {"1.5"}},
    {"tabs and extra blanks", "\t FLOAT\tWeight \t=\t 1.5  ", true, "FLOAT", "Weight", {"1.5"}},
    {"any type word", "whatever Weight = x", true, "whatever", "Weight", {"x"}},
    {"lower-case end as a type word", "end Weight = 1", true, "end", "Weight", {"1"}},
    {"word starting with END", "ENDING Weight = 1", true, "ENDING", "Weight", {"1"}},
    {"UTF-8 bytes in names and values",
     "ATOM Caf\xc3\xa9 = cr\xc3\xa8me",
     true,
     "ATOM",
     "Caf\xc3\xa9",
     {"cr\xc3\xa8me"}},
    {"comma ahead of END", ", END", false},
    {"lower-case end line", "end", false},
};

class ShapeRows : public ::testing::TestWithParam<ShapeRow> {};

TEST_P(ShapeRows, OneLineBody) {
  const ShapeRow& row = GetParam();
  AtomTable atoms;
  AssignmentBuffer buffer;
  SourceLines lines = test::linesOf({row.line, "END"});
  EXPECT_EQ(readAssignmentBlock(lines, 0, atoms, buffer), 2) << "the END line ends the block";
  if (!row.accepted) {
    EXPECT_EQ(buffer.count(), 0);
    EXPECT_EQ(atoms.count(), 0) << "a skipped line interns nothing";
    return;
  }
  ASSERT_EQ(buffer.count(), 1);
  EXPECT_EQ(atoms.atomView(buffer.typeWords[0]), row.typeWord);
  EXPECT_EQ(atoms.atomView(buffer.names[0]), row.name);
  EXPECT_EQ(test::textsOf(buffer.values(0)), row.values);
  EXPECT_EQ(buffer.lines[0], 0);
}

INSTANTIATE_TEST_SUITE_P(Lines, ShapeRows, ::testing::ValuesIn(kShapeRows), test::RowLabel());

class ReadAssignmentBlockTest : public ::testing::Test {
 protected:
  std::vector<std::string> namesRead() const {
    std::vector<std::string> names;
    for (int32_t i = 0; i < buffer_.count(); ++i)
      names.emplace_back(atoms_.atomView(buffer_.names[i]));
    return names;
  }

  AtomTable atoms_;
  AssignmentBuffer buffer_;
};

TEST_F(ReadAssignmentBlockTest, EndOfBlockEndsAndTheRestIsLeft) {
  SourceLines lines = test::linesOf({"FLOAT A = 1", "END of block", "FLOAT B = 2", "END"});
  EXPECT_EQ(readAssignmentBlock(lines, 0, atoms_, buffer_), 2);
  EXPECT_EQ(namesRead(), std::vector<std::string>{"A"});
  EXPECT_EQ(atoms_.find("B"), kNoAtom) << "lines after END are not read";
}

TEST_F(ReadAssignmentBlockTest, EndLineForms) {
  struct {
    const char* line;
    bool ends;
  } rows[] = {
      {"END", true},     {"   END   ", true}, {"END ; done", true}, {"END,x", true},
      {"\tEND\t", true}, {"END = 3 4", true}, {"end", false},       {"End", false},
      {"ENDS", false},   {"x END", false},    {", END", false},     {"; END", false},
  };
  for (const auto& row : rows) {
    SourceLines lines = test::linesOf({"FLOAT A = 1", row.line, "FLOAT B = 2"});
    int32_t next = readAssignmentBlock(lines, 0, atoms_, buffer_);
    EXPECT_EQ(next, row.ends ? 2 : 4) << row.line;
    EXPECT_EQ(buffer_.count(), row.ends ? 1 : 2) << row.line;
  }
}

TEST_F(ReadAssignmentBlockTest, FirstLineEndLeavesTheBufferEmpty) {
  SourceLines lines = test::linesOf({"BEGIN quest Q", "FLOAT A = 1", "END", "END", "FLOAT B = 2"});
  EXPECT_EQ(readAssignmentBlock(lines, 1, atoms_, buffer_), 3);
  ASSERT_EQ(buffer_.count(), 1);
  // The previous block's lines are gone, not kept in front of the new ones.
  EXPECT_EQ(readAssignmentBlock(lines, 3, atoms_, buffer_), 4);
  EXPECT_EQ(buffer_.count(), 0);
  EXPECT_EQ(static_cast<int32_t>(buffer_.names.size()), 0);
  EXPECT_EQ(buffer_.count(), 0);
  EXPECT_EQ(static_cast<int32_t>(buffer_.lines.size()), 0);
}

TEST_F(ReadAssignmentBlockTest, MissingEndRunsToTheEndOfTheFile) {
  SourceLines lines =
      test::linesOf({"BEGIN quest Q", "FLOAT A = 1", "", "; note", "INTEGER B = 2"});
  EXPECT_EQ(readAssignmentBlock(lines, 1, atoms_, buffer_), 6);
  EXPECT_EQ(namesRead(), (std::vector<std::string>{"A", "B"}));

  EXPECT_EQ(readAssignmentBlock(lines, 5, atoms_, buffer_), 6) << "start at the line count";
  EXPECT_EQ(buffer_.count(), 0);
  EXPECT_EQ(readAssignmentBlock(SourceLines(), 0, atoms_, buffer_), 1) << "no lines at all";
}

TEST_F(ReadAssignmentBlockTest, SecondBlockReplacesTheFirst) {
  SourceLines lines = test::linesOf({"BEGIN quest Q", "FLOAT A = 1", "END", "BEGIN quest R",
                                     "FLOAT B = 2", "FLOAT C = 3", "END"});
  EXPECT_EQ(readAssignmentBlock(lines, 1, atoms_, buffer_), 3);
  EXPECT_EQ(readAssignmentBlock(lines, 4, atoms_, buffer_), 7);
  EXPECT_EQ(namesRead(), (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(static_cast<int32_t>(buffer_.typeWords.size()), 2);
  EXPECT_EQ(buffer_.count(), 2);
  EXPECT_EQ(static_cast<int32_t>(buffer_.lines.size()), 2);
}

TEST_F(ReadAssignmentBlockTest, DuplicatesKeptInOrderWithTheirLineIndices) {
  SourceLines lines = test::linesOf({"BEGIN quest Q", "", "INTEGER Reward = 50", "skipped line",
                                     "INTEGER Reward = 60", "FLOAT Reward = 1", "END"});
  EXPECT_EQ(readAssignmentBlock(lines, 1, atoms_, buffer_), 7);
  ASSERT_EQ(buffer_.count(), 3);
  EXPECT_EQ(namesRead(), (std::vector<std::string>{"Reward", "Reward", "Reward"}));
  EXPECT_EQ(buffer_.names[0], buffer_.names[1]);
  EXPECT_EQ(test::textsOf(buffer_.values(0)), std::vector<std::string>{"50"});
  EXPECT_EQ(test::textsOf(buffer_.values(1)), std::vector<std::string>{"60"});
  EXPECT_EQ(atoms_.atomView(buffer_.typeWords[2]), "FLOAT");
  EXPECT_EQ(buffer_.lines[0], 2);
  EXPECT_EQ(buffer_.lines[1], 4);
  EXPECT_EQ(buffer_.lines[2], 5);
}

TEST_F(ReadAssignmentBlockTest, TypeWordInternedBeforeNameAndValuesNotAtAll) {
  SourceLines lines =
      test::linesOf({"TYPEA NameA = v1 v2", "FLOAT Skipped 1", "TYPEB NameA = w", "END"});
  readAssignmentBlock(lines, 0, atoms_, buffer_);
  EXPECT_EQ(atoms_.count(), 3);
  EXPECT_EQ(atoms_.find("TYPEA"), 0);
  EXPECT_EQ(atoms_.find("NameA"), 1);
  EXPECT_EQ(atoms_.find("TYPEB"), 2);
  EXPECT_EQ(atoms_.find("v1"), kNoAtom);
  EXPECT_EQ(atoms_.find("Skipped"), kNoAtom);
}

TEST_F(ReadAssignmentBlockTest, LinesAreNotChanged) {
  SourceLines lines = test::linesOf({"  ATOMS Tags = a, b ; c", "END"});
  readAssignmentBlock(lines, 0, atoms_, buffer_);
  EXPECT_EQ(lines[0], "  ATOMS Tags = a, b ; c");
  EXPECT_EQ(lines.length(), 2);
}

TEST_F(ReadAssignmentBlockTest, ValuesAreViewsOfTheLines) {
  SourceLines lines = test::linesOf({"ATOMS Tags = red, green", "END"});
  readAssignmentBlock(lines, 0, atoms_, buffer_);
  ASSERT_EQ(buffer_.count(), 1);
  ValueTokens values = buffer_.values(0);
  EXPECT_EQ(test::textsOf(values), (std::vector<std::string>{"red", ",", "green"}));
  EXPECT_EQ(values[0].data(), lines[0].data() + 13) << "not a copy";
  EXPECT_EQ(values.column(2), 19);
}

TEST_F(ReadAssignmentBlockTest, ManyValuesAndManyLines) {
  // Past the lists' block sizes: 16 values per line and 33 accepted lines.
  std::string values;
  std::vector<std::string> expected;
  for (int v = 0; v < 17; ++v) {
    values += " v" + std::to_string(v);
    expected.push_back("v" + std::to_string(v));
  }
  SourceLines lines;
  for (int i = 0; i < 33; ++i) lines.push("ATOMS L" + std::to_string(i) + " =" + values);
  lines.push("END");
  EXPECT_EQ(readAssignmentBlock(lines, 0, atoms_, buffer_), 34);
  ASSERT_EQ(buffer_.count(), 33);
  for (int32_t i = 0; i < 33; ++i) {
    EXPECT_EQ(atoms_.atomView(buffer_.names[i]), "L" + std::to_string(i));
    EXPECT_EQ(test::textsOf(buffer_.values(i)), expected) << i;
    EXPECT_EQ(buffer_.lines[i], i);
  }
}

}  // namespace
}  // namespace rpgc
