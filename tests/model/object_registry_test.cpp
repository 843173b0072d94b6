// Tests of ObjectRegistry: a name belongs to the class of its first object, unknown class
// texts create nothing, creation order is kept, and lookups stay correct at scale.
#include "model/object_registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/atom_table.h"
#include "model/f_character.h"
#include "model/f_generic.h"
#include "model/f_item.h"

namespace rpgc {
namespace {

class ObjectRegistryTest : public ::testing::Test {
 protected:
  AtomTable atoms_;
  ObjectRegistry registry_{atoms_};

  // Literals convert to both RefString and std::string_view; ask with views.
  GameObject* request(std::string_view name, std::string_view className) {
    return registry_.findOrCreateTemplate(name, className);
  }
  std::string classOf(const GameObject* object) const { return object->classNameText(); }
  std::string nameOf(const GameObject* object) const {
    return std::string(atoms_.atomView(object->name()));
  }
};

TEST_F(ObjectRegistryTest, CreatesEachClassWithItsDefaults) {
  struct Row {
    const char* className;
    int32_t propertyCount;
  };
  for (Row row : {Row{"F_generic", 21}, Row{"F_item", 16}, Row{"F_character", 47}}) {
    SCOPED_TRACE(row.className);
    std::string name = std::string("x_") + row.className;
    GameObject* object = request(name, row.className);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(classOf(object), row.className);
    EXPECT_EQ(object->propertyCount(), row.propertyCount);
    EXPECT_EQ(nameOf(object), name);
    EXPECT_EQ(object->instance(), 0);
  }
  EXPECT_NE(dynamic_cast<F_generic*>(registry_.at(0)), nullptr);
  EXPECT_NE(dynamic_cast<F_item*>(registry_.at(1)), nullptr);
  EXPECT_NE(dynamic_cast<F_character*>(registry_.at(2)), nullptr);
}

TEST_F(ObjectRegistryTest, SameNameAndClassIsTheSameObject) {
  GameObject* first = request("Sword", "F_item");
  ASSERT_NE(first, nullptr);
  static_cast<F_item*>(first)->Type = atoms_.intern("weapon");
  GameObject* second = registry_.findOrCreateTemplate(RefString("Sword"), RefString("F_item"));
  EXPECT_EQ(second, first);
  EXPECT_EQ(registry_.count(), 1);
  EXPECT_EQ(atoms_.atomView(static_cast<F_item*>(second)->Type), "weapon");
}

TEST_F(ObjectRegistryTest, NameOfAnotherClassGivesNothingAndChangesNothing) {
  GameObject* sword = request("Sword", "F_item");
  ASSERT_NE(sword, nullptr);
  for (const char* other : {"F_generic", "F_character"}) {
    SCOPED_TRACE(other);
    EXPECT_EQ(request("Sword", other), nullptr);
    EXPECT_EQ(registry_.count(), 1);
    EXPECT_EQ(registry_.at(0), sword);
    EXPECT_EQ(classOf(sword), "F_item");
  }
  // An unknown class text for a taken name gives nothing as well.
  EXPECT_EQ(request("Sword", "F_quest"), nullptr);
  EXPECT_EQ(request("Sword", "Sword"), nullptr);
  EXPECT_EQ(registry_.count(), 1);
}

TEST_F(ObjectRegistryTest, UnknownClassTextCreatesNothing) {
  for (const char* className : {"f_item", "F_ITEM", "F_item ", "F_quest", "", "factory"}) {
    SCOPED_TRACE(className);
    EXPECT_EQ(request("Sword", className), nullptr);
    EXPECT_EQ(registry_.count(), 0);
  }
  EXPECT_EQ(registry_.findOrCreateTemplate(RefString("Sword"), RefString()), nullptr);
  EXPECT_EQ(registry_.count(), 0);
  EXPECT_EQ(registry_.find(atoms_.intern("Sword")), nullptr);
  // The name is free for a known class afterwards.
  EXPECT_NE(request("Sword", "F_item"), nullptr);
}

TEST_F(ObjectRegistryTest, EmptyNameIsTheObjectWithoutName) {
  GameObject* unnamed = request("", "F_generic");
  ASSERT_NE(unnamed, nullptr);
  EXPECT_EQ(unnamed->name(), kNoAtom);
  EXPECT_EQ(registry_.findOrCreateTemplate(RefString(), RefString("F_generic")), unnamed);
  EXPECT_EQ(registry_.findOrCreateTemplate(RefString(""), RefString("F_generic")), unnamed);
  EXPECT_EQ(request("", "F_item"), nullptr);
  EXPECT_EQ(registry_.count(), 1);
  EXPECT_EQ(registry_.find(kNoAtom), unnamed);
  EXPECT_EQ(registry_.indexOf(kNoAtom), 0);
}

TEST_F(ObjectRegistryTest, NamesAreComparedExactly) {
  GameObject* upper = request("Sword", "F_item");
  GameObject* lower = request("sword", "F_generic");
  ASSERT_NE(upper, nullptr);
  ASSERT_NE(lower, nullptr);
  EXPECT_NE(upper, lower);
  EXPECT_EQ(registry_.count(), 2);
}

TEST_F(ObjectRegistryTest, CreationOrderIsKept) {
  const char* names[] = {"c", "a", "b"};
  std::vector<GameObject*> created;
  for (const char* name : names) created.push_back(request(name, "F_item"));
  // Later requests, in another order, move nothing.
  request("b", "F_item");
  request("c", "F_item");
  request("a", "F_generic");
  ASSERT_EQ(registry_.count(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(registry_.at(i), created[static_cast<size_t>(i)]);
    EXPECT_EQ(nameOf(registry_.at(i)), names[i]);
    EXPECT_EQ(registry_.indexOf(atoms_.intern(names[i])), i);
    EXPECT_EQ(registry_.find(atoms_.intern(names[i])), created[static_cast<size_t>(i)]);
  }
}

TEST_F(ObjectRegistryTest, FindAndIndexOfUnknownNames) {
  request("Sword", "F_item");
  Atom unused = atoms_.intern("never created");
  for (Atom atom : {unused, kNoAtom, Atom{-2}, INT32_MIN, Atom{1000000}, INT32_MAX}) {
    SCOPED_TRACE(atom);
    EXPECT_EQ(registry_.find(atom), nullptr);
    EXPECT_EQ(registry_.indexOf(atom), -1);
  }
}

TEST_F(ObjectRegistryTest, AddAppendsUnlessTheNameIsTaken) {
  GameObject* sword = request("Sword", "F_item");
  auto clash = std::make_unique<F_generic>();
  clash->setName(atoms_.intern("Sword"));
  EXPECT_FALSE(registry_.add(std::move(clash)));
  EXPECT_EQ(registry_.count(), 1);
  EXPECT_EQ(registry_.find(atoms_.intern("Sword")), sword);

  auto shield = std::make_unique<F_item>();
  shield->setName(atoms_.intern("Shield"));
  GameObject* shieldPointer = shield.get();
  EXPECT_TRUE(registry_.add(std::move(shield)));
  EXPECT_EQ(registry_.count(), 2);
  EXPECT_EQ(registry_.at(1), shieldPointer);
  EXPECT_EQ(request("Shield", "F_item"), shieldPointer);
  EXPECT_EQ(request("Shield", "F_generic"), nullptr);

  auto unnamed = std::make_unique<F_generic>();
  EXPECT_TRUE(registry_.add(std::move(unnamed)));
  EXPECT_EQ(registry_.indexOf(kNoAtom), 2);
}

TEST_F(ObjectRegistryTest, CreateTemplateKnowsExactlyThreeClasses) {
  EXPECT_NE(dynamic_cast<F_generic*>(createTemplate("F_generic").get()), nullptr);
  EXPECT_NE(dynamic_cast<F_item*>(createTemplate("F_item").get()), nullptr);
  EXPECT_NE(dynamic_cast<F_character*>(createTemplate("F_character").get()), nullptr);
  for (const char* other : {"", "F_", "f_generic", "F_character2", "F_generic\n"}) {
    EXPECT_EQ(createTemplate(other), nullptr) << other;
  }
}

TEST_F(ObjectRegistryTest, AMillionObjects) {
  constexpr int32_t kObjects = 1000000;
  const char* classes[] = {"F_item", "F_generic", "F_character"};
  std::vector<GameObject*> created(kObjects);
  for (int32_t i = 0; i < kObjects; ++i) {
    created[static_cast<size_t>(i)] = request("o" + std::to_string(i), classes[i % 3]);
    ASSERT_NE(created[static_cast<size_t>(i)], nullptr) << i;
  }
  ASSERT_EQ(registry_.count(), kObjects);
  for (int32_t i = kObjects - 1; i >= 0; --i) {
    std::string name = "o" + std::to_string(i);
    ASSERT_EQ(request(name, classes[i % 3]), created[static_cast<size_t>(i)]) << i;
    ASSERT_EQ(request(name, classes[(i + 1) % 3]), nullptr) << i;
    ASSERT_EQ(registry_.at(i), created[static_cast<size_t>(i)]) << i;
  }
  EXPECT_EQ(registry_.count(), kObjects);
}

}  // namespace
}  // namespace rpgc
