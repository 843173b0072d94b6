// Tests of applyTypedDeclarations: the eight type words, value conversions, list counts and
// the object's Type.
#include "source/typed_declarations.h"

#include <gtest/gtest.h>

#include <deque>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/atom_table.h"
#include "model/f_generic.h"
#include "source/assignment_buffer.h"
#include "support/source_fixture.h"

namespace rpgc {
namespace {

struct DeclarationRow {
  const char* label;
  std::vector<const char*> body;
  const char* dump;  // debugString with the type word "quest"
};

// Failure messages name the row by its label.
void PrintTo(const DeclarationRow& row, std::ostream* out) {
  *out << row.label;
}

const DeclarationRow kDeclarationRows[] = {
    {"integer",
     {"INTEGER Level = 12"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[12]"},
    {"integer with a tail",
     {"INTEGER Level = 12abc"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[12]"},
    {"integer without digits",
     {"INTEGER Level = abc"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[0]"},
    {"negative integer",
     {"INTEGER Level = -7"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[-7]"},
    {"integer with plus sign",
     {"INTEGER Level = +5"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[5]"},
    {"integer wraps past 2^32",
     {"INTEGER Level = 4294967297"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[1]"},
    {"integer wraps past 2^31",
     {"INTEGER Level = 2147483648"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[-2147483648]"},
    {"integer wraps below -2^31",
     {"INTEGER Level = -2147483649"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[2147483647]"},
    {"integer of twenty digits wraps",
     {"INTEGER Level = 99999999999999999999"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[1661992959]"},
    {"integer with two signs",
     {"INTEGER Level = --5"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[0]"},
    {"integer reads the first value only",
     {"INTEGER Level = 3 4"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[3]"},
    {"integer of a comma",
     {"INTEGER Level = , 4"},
     "Type=quest IntegerPropertyName=[Level] IntegerPropertyValue=[0]"},
    {"float",
     {"FLOAT Speed = 1.5"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[1.5]"},
    {"float reads the first value only",
     {"FLOAT Speed = 1.5 2.5"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[1.5]"},
    {"float narrowed to 32 bits",
     {"FLOAT Speed = 0.1"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[0.1]"},
    {"float with exponent and tail",
     {"FLOAT Speed = -2.5e-1x"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[-0.25]"},
    {"float exponent without digits",
     {"FLOAT Speed = 1.5e"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[1.5]"},
    {"float negative zero",
     {"FLOAT Speed = -0"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[-0]"},
    {"float without digits",
     {"FLOAT Speed = abc"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[0]"},
    {"inf is not a number",
     {"FLOAT Speed = inf"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[0]"},
    {"nan is not a number",
     {"FLOAT Speed = nan"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[0]"},
    {"hexadecimal is not a number",
     {"FLOAT Speed = 0x10"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[0]"},
    {"float too large for 32 bits",
     {"FLOAT Speed = 1e39"},
     "Type=quest FloatPropertyName=[Speed] FloatPropertyValue=[inf]"},
    {"atom",
     {"ATOM Colour = red green"},
     "Type=quest AtomPropertyName=[Colour] AtomPropertyValue=[red]"},
    {"atom of a comma",
     {"ATOM Colour = , red"},
     "Type=quest AtomPropertyName=[Colour] AtomPropertyValue=[,]"},
    {"reference",
     {"REFERENCE Owner = Sword Axe"},
     "Type=quest ReferencePropertyName=[Owner] ReferencePropertyValue=[Sword]"},
    {"atom list with commas",
     {"ATOMS Tags = a, b"},
     "Type=quest LAtomPropertyName=[Tags] LAtomPropertyCount=[3] LAtomPropertyValues=[a , b]"},
    {"reference list",
     {"REFERENCES Friends = Bob Ann"},
     "Type=quest LReferencePropertyName=[Friends] LReferencePropertyCount=[2] "
     "LReferencePropertyValues=[Bob Ann]"},
    {"integer list with commas",
     {"INTEGERS Levels = 1, 2x y"},
     "Type=quest LIntegerPropertyName=[Levels] LIntegerPropertyCount=[4] "
     "LIntegerPropertyValues=[1 0 2 0]"},
    {"float list",
     {"FLOATS Weights = 0.5 1 2"},
     "Type=quest LFloatPropertyName=[Weights] LFloatPropertyCount=[3] "
     "LFloatPropertyValues=[0.5 1 2]"},
    {"two atom lists concatenate",
     {"ATOMS A = a1 a2", "ATOMS B = b1 b2 b3"},
     "Type=quest LAtomPropertyName=[A B] LAtomPropertyCount=[2 3] "
     "LAtomPropertyValues=[a1 a2 b1 b2 b3]"},
    {"two float lists concatenate",
     {"FLOATS A = 1", "FLOATS B = 2 3"},
     "Type=quest LFloatPropertyName=[A B] LFloatPropertyCount=[1 2] "
     "LFloatPropertyValues=[1 2 3]"},
    {"same name twice",
     {"INTEGER Reward = 50", "INTEGER Reward = 60"},
     "Type=quest IntegerPropertyName=[Reward Reward] IntegerPropertyValue=[50 60]"},
    {"lower-case type word", {"float Speed = 1.5"}, "Type=quest"},
    {"unknown type words",
     {"STRING Title = x", "Float X = 1", "INTEGER_ Y = 2", "ATOMSS Z = a"},
     "Type=quest"},
    {"Type line is an ordinary property",
     {"ATOM Type = x"},
     "Type=quest AtomPropertyName=[Type] AtomPropertyValue=[x]"},
    {"every kind in one block",
     {"REFERENCES R = r1", "FLOATS F = 1", "INTEGERS I = 2", "ATOMS A = a", "REFERENCE S = s",
      "ATOM T = t", "INTEGER U = 3", "FLOAT V = 4"},
     "Type=quest IntegerPropertyName=[U] IntegerPropertyValue=[3] FloatPropertyName=[V] "
     "FloatPropertyValue=[4] AtomPropertyName=[T] AtomPropertyValue=[t] "
     "ReferencePropertyName=[S] ReferencePropertyValue=[s] LAtomPropertyName=[A] "
     "LAtomPropertyCount=[1] LAtomPropertyValues=[a] LReferencePropertyName=[R] "
     "LReferencePropertyCount=[1] LReferencePropertyValues=[r1] LIntegerPropertyName=[I] "
     "LIntegerPropertyCount=[1] LIntegerPropertyValues=[2] LFloatPropertyName=[F] "
     "LFloatPropertyCount=[1] LFloatPropertyValues=[1]"},
};

class TypedDeclarationsTest : public ::testing::Test {
 protected:
  void read(const std::vector<const char*>& body) {
    // The buffer's values are views of the lines: they live as long as the test's.
    SourceLines& lines = lines_.emplace_back();
    for (const char* line : body) lines.push(line);
    lines.push("END");
    readAssignmentBlock(lines, 0, atoms_, ctx_.buffer);
  }

  std::deque<SourceLines> lines_;
  AtomTable atoms_;
  ObjectRegistry registry_{atoms_};
  BlockContext ctx_{atoms_, registry_};
};

class DeclarationRows : public TypedDeclarationsTest,
                        public ::testing::WithParamInterface<DeclarationRow> {};

TEST_P(DeclarationRows, AppliedToAFreshObject) {
  const DeclarationRow& row = GetParam();
  read(row.body);
  F_generic object;
  applyTypedDeclarations(object, RefString("quest"), ctx_);
  EXPECT_EQ(test::debugString(object, atoms_), row.dump);
}

INSTANTIATE_TEST_SUITE_P(Bodies, DeclarationRows, ::testing::ValuesIn(kDeclarationRows),
                         test::RowLabel());

TEST_F(TypedDeclarationsTest, TypeComesFromTheCaller) {
  read({});
  F_generic object;
  applyTypedDeclarations(object, RefString("location"), ctx_);
  EXPECT_EQ(object.Type, atoms_.find("location"));
  EXPECT_NE(object.Type, kNoAtom);

  applyTypedDeclarations(object, RefString(), ctx_);
  EXPECT_EQ(object.Type, kNoAtom) << "absent type word";
  object.Type = 0;
  applyTypedDeclarations(object, RefString(""), ctx_);
  EXPECT_EQ(object.Type, kNoAtom) << "empty type word";
}

TEST_F(TypedDeclarationsTest, SecondApplicationAppendsAndReplacesType) {
  F_generic object;
  read({"INTEGER Reward = 50", "ATOMS Tags = a b"});
  applyTypedDeclarations(object, RefString("quest"), ctx_);
  read({"INTEGER Reward = 60", "ATOMS Tags = c"});
  applyTypedDeclarations(object, RefString("location"), ctx_);
  EXPECT_EQ(test::debugString(object, atoms_),
            "Type=location IntegerPropertyName=[Reward Reward] IntegerPropertyValue=[50 60] "
            "LAtomPropertyName=[Tags Tags] LAtomPropertyCount=[2 1] LAtomPropertyValues=[a b c]");
}

TEST_F(TypedDeclarationsTest, ValuesAreInternedAsNamesAreNot) {
  read({"ATOM Colour = red", "REFERENCES Friends = Bob", "INTEGER Level = 12"});
  F_generic object;
  applyTypedDeclarations(object, RefString("quest"), ctx_);
  EXPECT_EQ(object.AtomPropertyValue[0], atoms_.find("red"));
  EXPECT_EQ(object.LReferencePropertyValues[0], atoms_.find("Bob"));
  EXPECT_EQ(object.IntegerPropertyName[0], atoms_.find("Level"));
  EXPECT_EQ(atoms_.find("12"), kNoAtom) << "numbers are converted, not interned";
}

TEST_F(TypedDeclarationsTest, LongListsKeepEveryValueInOrder) {
  // 17 values and then 16: the concatenated list passes its block size twice.
  std::string first = "INTEGERS First =";
  std::string second = "INTEGERS Second =";
  for (int v = 0; v < 17; ++v) first += " " + std::to_string(v);
  for (int v = 17; v < 33; ++v) second += " " + std::to_string(v);
  read({first.c_str(), second.c_str()});
  F_generic object;
  applyTypedDeclarations(object, RefString("quest"), ctx_);
  ASSERT_EQ(object.LIntegerPropertyCount.length(), 2);
  EXPECT_EQ(object.LIntegerPropertyCount[0], 17);
  EXPECT_EQ(object.LIntegerPropertyCount[1], 16);
  ASSERT_EQ(object.LIntegerPropertyValues.length(), 33);
  for (int32_t v = 0; v < 33; ++v) EXPECT_EQ(object.LIntegerPropertyValues[v], v);
}

}  // namespace
}  // namespace rpgc
