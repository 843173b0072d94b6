// Tests of RefString: building, sharing and releasing, equality and concat.
#include "core/ref_string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

namespace rpgc {
namespace {

TEST(RefStringTest, AbsentReadsAsEmptyWithSizeZero) {
  RefString absent;
  EXPECT_FALSE(absent.present());
  EXPECT_EQ(absent.size(), 0);
  EXPECT_EQ(absent.refCount(), 0);
  ASSERT_NE(absent.text(), nullptr);
  EXPECT_STREQ(absent.text(), "");
  EXPECT_TRUE(absent.view().empty());
  EXPECT_TRUE(absent.isEmpty());
}

TEST(RefStringTest, ConstructionCopiesTextAndAddsZeroByte) {
  struct Row {
    const char* source;
    int32_t count;
    int32_t size;
    std::string_view text;
    int32_t capacityBlocks;  // ceil(size / 16) - 1 after an exact allocation
  };
  const Row rows[] = {
      {"abc", -1, 4, "abc", 0},
      {nullptr, -1, 1, "", 0},
      {"", -1, 1, "", 0},
      {"abcdef", 3, 4, "abc", 0},
      {"abcdef", 0, 1, "", 0},
      {"0123456789abcde", -1, 16, "0123456789abcde", 0},
      {"0123456789abcdef", -1, 17, "0123456789abcdef", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.source == nullptr ? "null" : row.source);
    RefString s(row.source, row.count);
    EXPECT_TRUE(s.present());
    EXPECT_EQ(s.size(), row.size);
    EXPECT_EQ(s.view(), row.text);
    EXPECT_EQ(s.text()[row.size - 1], '\0');
    EXPECT_EQ(s.refCount(), 1);
    EXPECT_EQ(s.capacityBlocks(), row.capacityBlocks);
  }
}

TEST(RefStringTest, ConstructionFromViewIsExact) {
  RefString s(std::string_view("abcdef").substr(1, 3));
  EXPECT_EQ(s.size(), 4);
  EXPECT_STREQ(s.text(), "bcd");
}

TEST(RefStringTest, IsEmpty) {
  EXPECT_TRUE(RefString().isEmpty());
  EXPECT_TRUE(RefString("").isEmpty());
  EXPECT_FALSE(RefString("a").isEmpty());
  EXPECT_TRUE(RefString::allocate(0).isEmpty());
}

TEST(RefStringTest, EqualsSeparatesAbsentFromEmpty) {
  enum class Kind { kAbsent, kEmpty, kAbc };
  struct Row {
    Kind kind;
    const char* literal;
    bool equal;
  };
  const Row rows[] = {
      {Kind::kAbsent, nullptr, true}, {Kind::kAbsent, "", false},  {Kind::kAbsent, "abc", false},
      {Kind::kEmpty, nullptr, false}, {Kind::kEmpty, "", true},    {Kind::kEmpty, "a", false},
      {Kind::kAbc, nullptr, false},   {Kind::kAbc, "abc", true},   {Kind::kAbc, "ABC", false},
      {Kind::kAbc, "ab", false},      {Kind::kAbc, "abcd", false}, {Kind::kAbc, "", false},
  };
  for (const Row& row : rows) {
    RefString s = row.kind == Kind::kAbsent  ? RefString()
                  : row.kind == Kind::kEmpty ? RefString("")
                                             : RefString("abc");
    SCOPED_TRACE(std::string(s.present() ? s.text() : "(absent)") + " vs " +
                 (row.literal == nullptr ? "(null)" : row.literal));
    EXPECT_EQ(s.equals(row.literal), row.equal);
  }
}

TEST(RefStringTest, Concat) {
  struct Row {
    const char* head;  // null: absent
    const char* tail;
    std::string_view text;
  };
  const Row rows[] = {
      {"database", ".gdf", "database.gdf"},
      {nullptr, ".gds", ".gds"},
      {"abc", "", "abc"},
      {"abc", nullptr, "abc"},
      {"", "", ""},
      {nullptr, "", ""},
  };
  for (const Row& row : rows) {
    RefString head = row.head == nullptr ? RefString() : RefString(row.head);
    RefString joined = head.concat(row.tail);
    SCOPED_TRACE(std::string(row.text));
    ASSERT_TRUE(joined.present());
    EXPECT_EQ(joined.view(), row.text);
    EXPECT_EQ(joined.size(), static_cast<int32_t>(row.text.size()) + 1);
    EXPECT_EQ(joined.refCount(), 1);
    if (row.head != nullptr) {
      EXPECT_STREQ(head.text(), row.head);
    }
  }
  EXPECT_EQ(RefString("database").concat(".gdf").size(), 13);
}

TEST(RefStringTest, SharingCountsHandles) {
  RefString a("abc");
  RefString b(a);
  EXPECT_TRUE(b.sharesWith(a));
  EXPECT_EQ(a.refCount(), 2);

  RefString c("xyz");
  RefString keepC(c);
  c = a;  // c leaves "xyz" and joins "abc"
  EXPECT_EQ(a.refCount(), 3);
  EXPECT_EQ(keepC.refCount(), 1);
  EXPECT_STREQ(keepC.text(), "xyz");

  RefString moved(std::move(c));
  EXPECT_EQ(a.refCount(), 3);
  EXPECT_FALSE(c.present());  // NOLINT(bugprone-use-after-move): moved-from is absent

  RefString copyOfAbsent((RefString()));
  EXPECT_FALSE(copyOfAbsent.present());
}

TEST(RefStringTest, AssignToItselfKeepsCount) {
  RefString a("abc");
  RefString b(a);
  RefString& alias = a;
  a = alias;
  EXPECT_EQ(a.refCount(), 2);
  a = b;  // already shared: nothing changes
  EXPECT_EQ(a.refCount(), 2);
  EXPECT_STREQ(a.text(), "abc");
}

TEST(RefStringTest, LastOfThreeHandlesFrees) {
  // Whether the bytes are freed exactly once shows under the address sanitizer.
  RefString a("shared");
  RefString b(a);
  RefString c(b);
  EXPECT_EQ(c.refCount(), 3);
  a.release();
  EXPECT_FALSE(a.present());
  EXPECT_EQ(c.refCount(), 2);
  b.release();
  EXPECT_EQ(c.refCount(), 1);
  EXPECT_STREQ(c.text(), "shared");
  c.release();
  EXPECT_FALSE(c.present());
  c.release();  // releasing an absent handle does nothing
}

TEST(RefStringTest, SetLengthShortensInPlace) {
  RefString s("abc   ");
  RefString shared(s);
  s.setLength(3);
  EXPECT_EQ(s.size(), 4);
  EXPECT_EQ(shared.view(), "abc");  // an in-place edit, seen through every handle
}

}  // namespace
}  // namespace rpgc
