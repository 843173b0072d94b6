// Tests of the RefArray family: the block rule of resize (seen in which slots keep their
// values), sharing, and the references held by lists of strings.
#include "core/ref_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/ref_string.h"
#include "core/string_list.h"
#include "core/value_lists.h"

namespace rpgc {
namespace {

std::vector<Atom> contents(const AtomList& list) {
  return {list.begin(), list.end()};
}

void fillWithIndex(AtomList& list) {
  for (int32_t i = 0; i < list.length(); ++i) list[i] = i;
}

TEST(RefArrayTest, AbsentHandleIsEmpty) {
  AtomList list;
  EXPECT_EQ(list.length(), 0);
  EXPECT_EQ(list.refCount(), 0);
  EXPECT_EQ(list.data(), nullptr);
  EXPECT_EQ(list.begin(), list.end());
}

// Each resize, one after the other on the same atom list, with the reserved blocks and
// the contents it must leave. Slots that were set before are 0, 1, 2, ... by index.
TEST(RefArrayTest, ResizeFollowsTheBlockRule) {
  AtomList list;
  list.resize(5);  // first allocation: exact, one block less than it covers
  EXPECT_EQ(contents(list), std::vector<Atom>(5, -1));
  fillWithIndex(list);

  list.resize(6);  // grows past the recorded blocks: whole blocks now
  EXPECT_EQ(contents(list), (std::vector<Atom>{0, 1, 2, 3, 4, -1}));

  list.resize(16);  // same block: only the length
  EXPECT_EQ(list.length(), 16);
  for (int32_t i = 6; i < 16; ++i) EXPECT_EQ(list[i], -1) << i;
  fillWithIndex(list);

  list.resize(17);
  EXPECT_EQ(list[15], 15);
  EXPECT_EQ(list[16], -1);

  list.resize(0);
  EXPECT_EQ(list.refCount(), 1);
  EXPECT_EQ(list.length(), 0);
  EXPECT_EQ(list.data(), nullptr);

  list.resize(3);  // a representation holding nothing allocates exactly again
  EXPECT_EQ(contents(list), std::vector<Atom>(3, -1));
}

TEST(RefArrayTest, ShrinkInsideOneBlockKeepsOldValues) {
  AtomList list;
  list.resize(1);
  list.resize(12);  // whole block now
  fillWithIndex(list);
  list.resize(8);
  list.resize(12);
  EXPECT_EQ(contents(list), (std::vector<Atom>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

TEST(RefArrayTest, ShrinkFromExactAllocationReinitialises) {
  AtomList list;
  list.resize(10);  // exact: reserved 0
  fillWithIndex(list);
  list.resize(4);  // one whole block differs from 0: reallocated
  list.resize(8);
  EXPECT_EQ(contents(list), (std::vector<Atom>{0, 1, 2, 3, -1, -1, -1, -1}));
}

TEST(RefArrayTest, ShrinkToFewerBlocksReinitialisesTheRest) {
  AtomList list;
  list.resize(1);
  list.resize(40);
  fillWithIndex(list);
  list.resize(10);
  list.resize(40);
  for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(list[i], i);
  for (int32_t i = 10; i < 40; ++i) EXPECT_EQ(list[i], -1) << i;
}

TEST(RefArrayTest, ExactAllocationBeyondAWholeBlock) {
  AtomList list;
  list.resize(20);  // exact 20: recorded as one block
  fillWithIndex(list);
  list.resize(10);  // one block, as recorded: length only
  list.resize(16);
  for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(list[i], i);
  list.resize(17);  // two blocks: reallocated, slot 16 fresh
  EXPECT_EQ(list[16], -1);
}

// Sizes around the block of 16, reached by one resize or by appending one at a time.
TEST(RefArrayTest, SizesAroundTheBlock) {
  for (int32_t n : {0, 1, 15, 16, 17, 33}) {
    SCOPED_TRACE(n);
    AtomList resized;
    resized.resize(n);
    EXPECT_EQ(resized.length(), n);
    EXPECT_EQ(contents(resized), std::vector<Atom>(static_cast<size_t>(n), -1));

    AtomList appended;
    for (int32_t i = 0; i < n; ++i) appended.push(i * 3);
    EXPECT_EQ(appended.length(), n);
    for (int32_t i = 0; i < n; ++i) ASSERT_EQ(appended[i], i * 3);

    StringList strings;
    for (int32_t i = 0; i < n; ++i) strings.push(RefString(std::to_string(i)));
    ASSERT_EQ(strings.length(), n);
    for (int32_t i = 0; i < n; ++i) ASSERT_EQ(strings[i].view(), std::to_string(i));
  }
}

TEST(RefArrayTest, GrowAndAppend) {
  IntList list;
  int32_t* first = list.append(1);
  EXPECT_EQ(first, list.data());
  EXPECT_EQ(list.length(), 1);
  *first = 7;
  int32_t* more = list.append(3);
  EXPECT_EQ(more, list.data() + 1);
  EXPECT_EQ(list.length(), 4);
  EXPECT_EQ(list[0], 7);
  list.grow(-2);
  EXPECT_EQ(list.length(), 2);
  list.grow(30);
  EXPECT_EQ(list.length(), 32);
  EXPECT_EQ(list[0], 7);
}

TEST(RefArrayTest, ZeroFillGivesNullPointers) {
  using PointerList = RefArray<const void*, 8, SlotInit::kZero>;
  PointerList list;
  list.resize(3);
  list.resize(9);
  for (const void* slot : list) EXPECT_EQ(slot, nullptr);
}

TEST(RefArrayTest, SharedHandlesSeeEachOthersChanges) {
  AtomList a;
  a.push(1);
  AtomList b(a);
  EXPECT_TRUE(b.sharesWith(a));
  EXPECT_EQ(a.refCount(), 2);
  b.push(2);
  EXPECT_EQ(contents(a), (std::vector<Atom>{1, 2}));

  AtomList c;
  c.assign(a);
  EXPECT_EQ(a.refCount(), 3);
  c.assign(b);  // same representation already: nothing changes
  EXPECT_EQ(a.refCount(), 3);
  c = a;
  EXPECT_EQ(a.refCount(), 3);
  c.release();
  EXPECT_EQ(a.refCount(), 2);
  EXPECT_EQ(c.refCount(), 0);
}

TEST(RefArrayTest, AppendingAMillionElements) {
  IntList list;
  constexpr int32_t kCount = 1000000;
  for (int32_t i = 0; i < kCount; ++i) list.push(i ^ 0x5A5A);
  ASSERT_EQ(list.length(), kCount);
  for (int32_t i = 0; i < kCount; ++i) ASSERT_EQ(list[i], i ^ 0x5A5A) << i;
}

// The references a StringList holds: a stored string counts one more handle for as long
// as a slot keeps it. Leaks and double releases show under the address sanitizer.
TEST(StringListTest, SlotsHoldReferences) {
  RefString word("word");
  {
    StringList list;
    list.resize(3);
    EXPECT_FALSE(list[0].present());  // new slots start absent
    list[1] = word;
    EXPECT_EQ(word.refCount(), 2);
    StringList shared(list);
    EXPECT_EQ(word.refCount(), 2);  // sharing the list shares the slots
    shared.release();
    EXPECT_EQ(word.refCount(), 2);
  }
  EXPECT_EQ(word.refCount(), 1);
}

TEST(StringListTest, ShrinkWithinTheBlockKeepsTheReference) {
  RefString word("word");
  StringList list;
  list.resize(1);
  list.resize(12);
  list[10] = word;
  list.resize(5);  // same block: slot 10 keeps its string
  EXPECT_EQ(word.refCount(), 2);
  list.resize(12);
  EXPECT_TRUE(list[10].sharesWith(word));
}

TEST(StringListTest, ShrinkToFewerBlocksDropsTheReference) {
  RefString word("word");
  StringList list;
  list.resize(1);
  list.resize(40);
  list[0] = word;
  list[35] = word;
  EXPECT_EQ(word.refCount(), 3);
  list.resize(10);  // fewer blocks: slot 35 is reset, slot 0 kept
  EXPECT_EQ(word.refCount(), 2);
  list.resize(40);
  EXPECT_FALSE(list[35].present());
  EXPECT_TRUE(list[0].sharesWith(word));
  list.resize(0);
  EXPECT_EQ(word.refCount(), 1);
}

TEST(StringListTest, ReallocationFromExactStorageDropsTheStaleReference) {
  RefString word("word");
  StringList list;
  list.resize(20);  // exact, recorded as one block
  list[18] = word;
  list.resize(10);  // length only: slot 18 still holds the string
  EXPECT_EQ(word.refCount(), 2);
  list.resize(40);  // reallocated: slots from 10 on are fresh
  EXPECT_EQ(word.refCount(), 1);
  EXPECT_FALSE(list[18].present());
}

TEST(StringListTest, NestedListsReleaseEverything) {
  RefString word("word");
  {
    StringListList lists;
    for (int32_t i = 0; i < 9; ++i) {
      StringList tokens;
      for (int32_t j = 0; j <= i; ++j) tokens.push(word);
      lists.push(tokens);
    }
    EXPECT_EQ(word.refCount(), 1 + 45);
    StringListList copy(lists);
    EXPECT_EQ(lists[8].refCount(), 1);  // the outer list is shared, the inner ones held once
    EXPECT_EQ(word.refCount(), 1 + 45);
  }
  EXPECT_EQ(word.refCount(), 1);
}

}  // namespace
}  // namespace rpgc

namespace rpgc {
namespace {

// Regression: push of one of the array's own elements read it after growing had moved
// the storage.
TEST(RefArrayPushTest, PushOfOwnElementSurvivesGrowth) {
  StringList list;
  list.push(RefString("first"));
  for (int i = 0; i < 40; ++i) list.push(list[0]);
  ASSERT_EQ(list.length(), 41);
  for (const RefString& s : list) EXPECT_EQ(s.view(), "first");
  EXPECT_EQ(list[0].refCount(), 41);

  AtomList atoms;
  atoms.push(7);
  for (int i = 0; i < 40; ++i) atoms.push(atoms[i]);
  EXPECT_EQ(atoms[40], 7);
}

}  // namespace
}  // namespace rpgc
