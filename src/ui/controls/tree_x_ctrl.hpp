#pragma once
// The device tree of the backup and restore pages: a tree-view whose state
// images are three-state check boxes. Clicking a box or pressing Space toggles
// the item, its children follow and its ancestors are recomputed; the parent
// window is told through kMsgTreeChecksChanged.

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "ui/controls/image_list.hpp"
#include "ui/controls/skin_control.hpp"
#include "ui/tree_check_logic.hpp"

namespace velkor {

// Sent to the tree's parent after every toggle: wParam = any item checked,
// lParam = all items checked.
inline constexpr UINT kMsgTreeChecksChanged = WM_USER + 4;

// CheckTreeModel over a tree-view window: items are HTREEITEMs, states are the
// state-image indexes.
class TreeViewCheckModel : public CheckTreeModel {
 public:
  explicit TreeViewCheckModel(HWND tree) : tree_(tree) {}
  Item FirstRoot() const override;
  Item FirstChild(Item item) const override;
  Item NextSibling(Item item) const override;
  Item Parent(Item item) const override;
  int State(Item item) const override;
  void SetState(Item item, int state) override;

 private:
  Item Next(Item item, UINT relation) const;
  HWND tree_;
};

class CTreeXCtrl : public CSkinControl {
 public:
  // Builds the 15 by 16 state images from the check-box strip (white is
  // transparent) and attaches them to the tree.
  bool BuildStateImages(HINSTANCE module = nullptr);

  // image -1 leaves the item's image unset (the list's first image, if the
  // tree has a list); I_IMAGENONE draws none.
  HTREEITEM InsertItem(const wchar_t* text, HTREEITEM parent, int checkState, LPARAM data = 0,
                       int image = -1);
  int GetCheck(HTREEITEM item) const;
  void SetCheck(HTREEITEM item, int state);
  // Returns false when the item has no check box or is disabled.
  bool ToggleItem(HTREEITEM item);
  void CheckAll(bool checked);
  bool AnyItemChecked() const;
  bool AllItemsChecked() const;

  // Called after each toggle's notification with "all items checked"; the
  // backup page keeps its back-up-all box in step with it this way.
  void SetAfterToggle(std::function<void(bool allChecked)> afterToggle);

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void OnLeftButton(LPARAM lParam);
  void ToggleAndNotify(HTREEITEM item);

  UniqueImageList images_;
  std::function<void(bool)> afterToggle_;
};

}  // namespace velkor
