#pragma once
// The three-state check logic of the device trees (backup and restore pages),
// kept apart from the tree control so that it runs and is tested without a
// window. The control supplies its items through CheckTreeModel.

#include <cstdint>

namespace velkor {

// An item's check state is its state-image index.
enum CheckState : int {
  kNoCheckBox = 0,
  kUnchecked = 1,
  kChecked = 2,
  kPartlyChecked = 3,
  kDisabled = 4,  // never changed by clicks or by check-all
};

class CheckTreeModel {
 public:
  using Item = std::uintptr_t;  // 0 means "no item"

  virtual ~CheckTreeModel() = default;
  virtual Item FirstRoot() const = 0;
  virtual Item FirstChild(Item item) const = 0;
  virtual Item NextSibling(Item item) const = 0;
  virtual Item Parent(Item item) const = 0;
  virtual int State(Item item) const = 0;
  virtual void SetState(Item item, int state) = 0;
};

// Toggles one item: its descendants follow it, its ancestors are recomputed from
// their children. Returns false when nothing changed (an item without a check
// box or a disabled one), in which case no notification is due.
bool ToggleItem(CheckTreeModel& tree, CheckTreeModel::Item item);

// A leaf at the top level, or a child of a top-level item, that is checked or
// partly checked.
bool AnyItemChecked(const CheckTreeModel& tree);
// Every leaf at the top level and every child of a top-level item is checked or
// disabled.
bool AllItemsChecked(const CheckTreeModel& tree);
// Sets every item that is not disabled to checked or unchecked.
void CheckAllItems(CheckTreeModel& tree, bool checked);

}  // namespace velkor
