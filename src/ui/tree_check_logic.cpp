#include "ui/tree_check_logic.hpp"

namespace velkor {
namespace {

using Item = CheckTreeModel::Item;

void SetSubtree(CheckTreeModel& tree, Item parent, int state, bool includeParent) {
  if (includeParent && tree.State(parent) != kDisabled) tree.SetState(parent, state);
  for (Item child = tree.FirstChild(parent); child != 0; child = tree.NextSibling(child)) {
    SetSubtree(tree, child, state, true);
  }
}

int StateFromChildren(const CheckTreeModel& tree, Item parent) {
  bool anyUnchecked = false;
  bool anyChecked = false;
  for (Item child = tree.FirstChild(parent); child != 0; child = tree.NextSibling(child)) {
    const int state = tree.State(child);
    if (state == kUnchecked) anyUnchecked = true;
    if (state == kChecked || state == kPartlyChecked) anyChecked = true;
  }
  if (!anyUnchecked) return kChecked;
  return anyChecked ? kPartlyChecked : kUnchecked;
}

bool IsCheckedOrPartly(int state) { return state == kChecked || state == kPartlyChecked; }

// Calls visit(item, isTopLevelLeaf) for every top-level leaf and every child of
// a top-level item; stops early when visit returns false. Returns whether it ran
// through.
template <typename Visit>
bool ForEachCountedItem(const CheckTreeModel& tree, Visit visit) {
  for (Item root = tree.FirstRoot(); root != 0; root = tree.NextSibling(root)) {
    const Item firstChild = tree.FirstChild(root);
    if (firstChild == 0) {
      if (!visit(root, true)) return false;
      continue;
    }
    for (Item child = firstChild; child != 0; child = tree.NextSibling(child)) {
      if (!visit(child, false)) return false;
    }
  }
  return true;
}

}  // namespace

bool ToggleItem(CheckTreeModel& tree, Item item) {
  if (item == 0) return false;
  const int state = tree.State(item);
  // Items without a check box and disabled items are left alone, children
  // included: a click on them must change nothing.
  if (state != kUnchecked && state != kChecked && state != kPartlyChecked) return false;

  const int newState = state == kUnchecked ? kChecked : kUnchecked;
  SetSubtree(tree, item, newState, false);
  tree.SetState(item, newState);

  for (Item ancestor = tree.Parent(item); ancestor != 0; ancestor = tree.Parent(ancestor)) {
    tree.SetState(ancestor, StateFromChildren(tree, ancestor));
  }
  return true;
}

bool AnyItemChecked(const CheckTreeModel& tree) {
  // A top-level leaf counts when checked, a child also when partly checked.
  return !ForEachCountedItem(tree, [&](Item item, bool isTopLevelLeaf) {
    const int state = tree.State(item);
    return !(isTopLevelLeaf ? state == kChecked : IsCheckedOrPartly(state));
  });
}

bool AllItemsChecked(const CheckTreeModel& tree) {
  return ForEachCountedItem(tree, [&](Item item, bool) {
    const int state = tree.State(item);
    return state == kChecked || state == kDisabled;
  });
}

void CheckAllItems(CheckTreeModel& tree, bool checked) {
  const int state = checked ? kChecked : kUnchecked;
  for (Item root = tree.FirstRoot(); root != 0; root = tree.NextSibling(root)) {
    SetSubtree(tree, root, state, true);
  }
}

}  // namespace velkor
