#include "ui/tree_check_logic.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velkor {
namespace {

// A tree in memory: item n is nodes[n - 1].
class MemoryTree : public CheckTreeModel {
 public:
  Item Add(Item parent, int state) {
    nodes_.push_back({parent, state});
    return nodes_.size();
  }
  Item FirstRoot() const override { return NextFrom(0, 0); }
  Item FirstChild(Item item) const override { return NextFrom(item, 0); }
  Item NextSibling(Item item) const override { return NextFrom(Parent(item), item); }
  Item Parent(Item item) const override { return nodes_[item - 1].parent; }
  int State(Item item) const override { return nodes_[item - 1].state; }
  void SetState(Item item, int state) override { nodes_[item - 1].state = state; }
  std::vector<int> States() const {
    std::vector<int> out;
    for (const Node& n : nodes_) out.push_back(n.state);
    return out;
  }

 private:
  struct Node {
    Item parent;
    int state;
  };
  Item NextFrom(Item parent, Item after) const {
    for (Item i = after + 1; i <= nodes_.size(); ++i) {
      if (nodes_[i - 1].parent == parent) return i;
    }
    return 0;
  }
  std::vector<Node> nodes_;
};

using States = std::vector<int>;

TEST(TreeCheckLogic, ToggleMovesChildrenAndRecomputesAncestors) {
  // 1 category: 2, 3, 4 devices (4 disabled), 5 second category: 6
  MemoryTree tree;
  const auto cat = tree.Add(0, kUnchecked);
  const auto a = tree.Add(cat, kUnchecked);
  const auto b = tree.Add(cat, kUnchecked);
  tree.Add(cat, kDisabled);
  const auto cat2 = tree.Add(0, kUnchecked);
  tree.Add(cat2, kUnchecked);

  struct Step {
    CheckTreeModel::Item item;
    bool changed;
    States after;
    bool any;
    bool all;
  };
  const Step steps[] = {
      {cat, true, {2, 2, 2, 4, 1, 1}, true, false},   // parent checks every enabled child
      {cat, true, {1, 1, 1, 4, 1, 1}, false, false},  // and unchecks them again
      {a, true, {3, 2, 1, 4, 1, 1}, true, false},     // one of two: partly checked
      {b, true, {2, 2, 2, 4, 1, 1}, true, false},     // both: checked (disabled ignored)
      {cat, true, {1, 1, 1, 4, 1, 1}, false, false},  // a checked parent unchecks
      {4, false, {1, 1, 1, 4, 1, 1}, false, false},   // disabled: nothing, no notice
      {cat2, true, {1, 1, 1, 4, 2, 2}, true, false},
      {cat, true, {2, 2, 2, 4, 2, 2}, true, true},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    const Step& s = steps[i];
    EXPECT_EQ(ToggleItem(tree, s.item), s.changed) << "step " << i;
    EXPECT_EQ(tree.States(), s.after) << "step " << i;
    EXPECT_EQ(AnyItemChecked(tree), s.any) << "step " << i;
    EXPECT_EQ(AllItemsChecked(tree), s.all) << "step " << i;
  }
}

TEST(TreeCheckLogic, PartlyCheckedParentTogglesToUnchecked) {
  MemoryTree tree;
  const auto cat = tree.Add(0, kPartlyChecked);
  tree.Add(cat, kChecked);
  tree.Add(cat, kUnchecked);
  EXPECT_TRUE(ToggleItem(tree, cat));
  EXPECT_EQ(tree.States(), (States{1, 1, 1}));
}

TEST(TreeCheckLogic, DisabledParentKeepsItsChildren) {
  MemoryTree tree;
  const auto cat = tree.Add(0, kDisabled);
  tree.Add(cat, kChecked);
  EXPECT_FALSE(ToggleItem(tree, cat));
  EXPECT_FALSE(ToggleItem(tree, 0));
  EXPECT_EQ(tree.States(), (States{4, 2}));
}

TEST(TreeCheckLogic, TopLevelLeavesCountAndCheckAllSkipsDisabled) {
  MemoryTree tree;
  tree.Add(0, kUnchecked);  // a device at the top level
  const auto cat = tree.Add(0, kUnchecked);
  tree.Add(cat, kDisabled);
  tree.Add(cat, kNoCheckBox);
  EXPECT_FALSE(AnyItemChecked(tree));
  CheckAllItems(tree, true);
  EXPECT_EQ(tree.States(), (States{2, 2, 4, 2}));
  EXPECT_TRUE(AnyItemChecked(tree));
  EXPECT_TRUE(AllItemsChecked(tree));
  CheckAllItems(tree, false);
  EXPECT_EQ(tree.States(), (States{1, 1, 4, 1}));
  EXPECT_FALSE(AllItemsChecked(tree));

  MemoryTree empty;
  EXPECT_FALSE(AnyItemChecked(empty));
  EXPECT_TRUE(AllItemsChecked(empty));
}

}  // namespace
}  // namespace velkor
