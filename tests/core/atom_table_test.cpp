// Tests of AtomTable: atoms in order of first use, exact byte-wise names, find without adding.
#include "core/atom_table.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace rpgc {
namespace {

TEST(AtomTableTest, FreshTableNumbersNamesInOrderOfFirstUse) {
  AtomTable atoms;
  EXPECT_EQ(atoms.count(), 0);
  EXPECT_EQ(atoms.intern("F_item"), 0);
  EXPECT_EQ(atoms.intern("F_character"), 1);
  EXPECT_EQ(atoms.intern("F_item"), 0);
  EXPECT_EQ(atoms.intern("F_generic"), 2);
  EXPECT_EQ(atoms.count(), 3);
  EXPECT_STREQ(atoms.atomText(1), "F_character");
  EXPECT_EQ(atoms.atomView(2), "F_generic");
}

TEST(AtomTableTest, NamesAreComparedExactly) {
  AtomTable atoms;
  Atom item = atoms.intern("F_item");
  EXPECT_NE(atoms.intern("f_item"), item);
  EXPECT_NE(atoms.intern("F_item "), item);
  EXPECT_NE(atoms.intern("F_ite"), item);
  Atom ab = atoms.intern("ab");
  Atom ba = atoms.intern("ba");  // same bytes, other order
  EXPECT_NE(ab, ba);
  EXPECT_EQ(atoms.intern("ab"), ab);
  EXPECT_EQ(atoms.intern("ba"), ba);
  EXPECT_STREQ(atoms.atomText(ab), "ab");
  EXPECT_STREQ(atoms.atomText(ba), "ba");
}

TEST(AtomTableTest, NoNameIsMinusOne) {
  AtomTable atoms;
  EXPECT_EQ(atoms.intern(static_cast<const char*>(nullptr)), kNoAtom);
  EXPECT_EQ(atoms.intern(""), kNoAtom);
  EXPECT_EQ(atoms.intern(std::string_view()), kNoAtom);
  EXPECT_EQ(atoms.intern(RefString()), kNoAtom);
  EXPECT_EQ(atoms.intern(RefString("")), kNoAtom);
  EXPECT_EQ(atoms.intern(std::string_view("\0abc", 4)), kNoAtom);
  EXPECT_EQ(atoms.count(), 0);
  EXPECT_STREQ(atoms.atomText(kNoAtom), "");
  EXPECT_STREQ(atoms.atomText(-7), "");
  EXPECT_STREQ(atoms.atomText(0), "");  // not interned yet
  EXPECT_EQ(atoms.atomView(kNoAtom), "");
  EXPECT_EQ(atoms.intern("first"), 0);  // nothing was added before
}

TEST(AtomTableTest, NameEndsAtItsFirstZeroByte) {
  AtomTable atoms;
  Atom name = atoms.intern("Name");
  EXPECT_EQ(atoms.intern(std::string_view("Name\0Tail", 9)), name);
  EXPECT_EQ(atoms.intern(RefString("Name")), name);
  EXPECT_EQ(atoms.count(), 1);
}

TEST(AtomTableTest, HighBytesAreOrdinaryBytes) {
  AtomTable atoms;
  std::string high;
  for (int byte = 0x80; byte <= 0xFF; ++byte) high.push_back(static_cast<char>(byte));
  Atom all = atoms.intern(high.c_str());
  Atom one = atoms.intern("\xE9t\xE9");
  Atom other = atoms.intern("\xE9T\xE9");
  EXPECT_EQ(all, 0);
  EXPECT_NE(one, other);
  EXPECT_EQ(atoms.intern(high.c_str()), all);
  EXPECT_EQ(atoms.intern("\xE9t\xE9"), one);
  EXPECT_EQ(atoms.atomView(all), high);
  EXPECT_EQ(atoms.find("\xE9T\xE9"), other);
}

TEST(AtomTableTest, FindDoesNotAdd) {
  AtomTable atoms;
  EXPECT_EQ(atoms.find("missing"), kNoAtom);  // on a table that has nothing yet
  Atom present = atoms.intern("present");
  EXPECT_EQ(atoms.find("missing"), kNoAtom);
  EXPECT_EQ(atoms.find(""), kNoAtom);
  EXPECT_EQ(atoms.find("present"), present);
  EXPECT_EQ(atoms.count(), 1);
  EXPECT_EQ(atoms.intern("missing"), 1);
}

TEST(AtomTableTest, InternLiteralAgreesWithIntern) {
  AtomTable atoms;
  static const char kItem[] = "F_item";
  static const char kItemAgain[] = "F_item";
  static const char kOther[] = "F_other";
  EXPECT_EQ(atoms.internLiteral(kItem), atoms.intern("F_item"));
  EXPECT_EQ(atoms.internLiteral(kItem), 0);  // the remembered address
  EXPECT_EQ(atoms.internLiteral(kItemAgain), 0);
  EXPECT_EQ(atoms.internLiteral(kOther), 1);
  EXPECT_EQ(atoms.internLiteral(""), kNoAtom);
  EXPECT_EQ(atoms.internLiteral(nullptr), kNoAtom);
  EXPECT_EQ(atoms.count(), 2);
  // Many texts, so that addresses share remembered slots and replace each other.
  std::vector<std::string> texts;
  for (int i = 0; i < 3000; ++i) texts.push_back("Literal_" + std::to_string(i));
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 3000; ++i) {
      ASSERT_EQ(atoms.internLiteral(texts[static_cast<size_t>(i)].c_str()), 2 + i);
    }
  }
  EXPECT_EQ(atoms.internLiteral(kItem), 0);
}

// A table merged into another gives each name the atom interning it there would, in the
// merged table's order; names both hold keep the other's atom. Enough names to grow both
// indexes, long and short, sharing prefixes.
TEST(AtomTableTest, InternAllAgreesWithInterningOneByOne) {
  AtomTable unit;
  for (int i = 0; i < 5000; ++i) {
    unit.intern("name" + std::to_string(i * 7 % 3000) +
                std::string(static_cast<size_t>(i % 20), 'x'));
  }
  for (int filled : {0, 1, 2500}) {
    AtomTable run;
    AtomTable expected;
    for (int i = 0; i < filled; ++i) {
      std::string name = "name" + std::to_string(i) + (i % 2 == 0 ? "" : "x");
      run.intern(name);
      expected.intern(name);
    }
    std::vector<Atom> atoms;
    run.internAll(unit, atoms);
    ASSERT_EQ(atoms.size(), static_cast<size_t>(unit.count()));
    for (Atom atom = 0; atom < unit.count(); ++atom) {
      EXPECT_EQ(atoms[static_cast<size_t>(atom)], expected.intern(unit.atomView(atom))) << atom;
    }
    EXPECT_EQ(run.count(), expected.count());
    EXPECT_EQ(run.find("name17xxxxxxx"), expected.find("name17xxxxxxx"));
  }
}

TEST(AtomTableTest, TextsStayValidWhileTheTableGrows) {
  AtomTable atoms;
  const char* first = atoms.atomText(atoms.intern("first"));
  for (int i = 0; i < 20000; ++i) atoms.intern(("n" + std::to_string(i)).c_str());
  EXPECT_STREQ(first, "first");
}

TEST(AtomTableTest, AMillionNames) {
  AtomTable atoms;
  constexpr int kCount = 1000000;
  auto name = [](int i) { return "Name_" + std::to_string(i); };
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(atoms.intern(name(i).c_str()), i);
  ASSERT_EQ(atoms.count(), kCount);
  for (int i = 0; i < kCount; i += 7) {
    ASSERT_EQ(atoms.intern(name(i).c_str()), i);
    ASSERT_EQ(atoms.find(name(i)), i);
    ASSERT_EQ(atoms.atomView(i), name(i));
  }
  EXPECT_EQ(atoms.find("Name_" + std::to_string(kCount)), kNoAtom);
  EXPECT_EQ(atoms.count(), kCount);
}

}  // namespace
}  // namespace rpgc
