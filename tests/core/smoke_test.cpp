#include <gtest/gtest.h>
#include "core/atom_table.h"
TEST(Smoke, Atoms) { rpgc::AtomTable t; EXPECT_EQ(t.intern("a"), 0); }
