#include <gtest/gtest.h>

#include "toolkit/Component.h"

namespace {

struct Probe : TComponent {
  Probe(TComponent *owner, int *destroyed) : TComponent(owner), FDestroyed(destroyed) {}
  ~Probe() override { ++*FDestroyed; }
  int *FDestroyed;
};

TEST(Component, OwnerDestroysOwnedComponents) {
  int destroyed = 0;
  auto *owner = new Probe(nullptr, &destroyed);
  auto *child = new Probe(owner, &destroyed);
  new Probe(child, &destroyed);
  new Probe(owner, &destroyed);
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete owner;
  EXPECT_EQ(destroyed, 4);
}

TEST(Component, DestroyedComponentLeavesItsOwner) {
  int destroyed = 0;
  Probe owner(nullptr, &destroyed);
  auto *child = new Probe(&owner, &destroyed);
  delete child;
  EXPECT_EQ(owner.ComponentCount(), 0);
}

} // namespace
