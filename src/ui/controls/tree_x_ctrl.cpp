#include "ui/controls/tree_x_ctrl.hpp"

#include <utility>

#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {

HTREEITEM AsTreeItem(CheckTreeModel::Item item) { return reinterpret_cast<HTREEITEM>(item); }
CheckTreeModel::Item AsItem(HTREEITEM item) { return reinterpret_cast<CheckTreeModel::Item>(item); }

int ReadState(HWND tree, HTREEITEM item) {
  const UINT state = static_cast<UINT>(
      SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK));
  return static_cast<int>((state & TVIS_STATEIMAGEMASK) >> 12);
}

void WriteState(HWND tree, HTREEITEM item, int state) {
  TVITEMW change{};
  change.mask = TVIF_STATE | TVIF_HANDLE;
  change.hItem = item;
  change.stateMask = TVIS_STATEIMAGEMASK;
  change.state = INDEXTOSTATEIMAGEMASK(state);
  SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

bool HasChildren(HWND tree, HTREEITEM item) {
  return SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)) != 0;
}

void ExpandOrCollapse(HWND tree, HTREEITEM item) {
  if (item != nullptr && HasChildren(tree, item)) {
    SendMessageW(tree, TVM_EXPAND, TVE_TOGGLE, reinterpret_cast<LPARAM>(item));
  }
}

}  // namespace

CheckTreeModel::Item TreeViewCheckModel::Next(Item item, UINT relation) const {
  return AsItem(reinterpret_cast<HTREEITEM>(
      SendMessageW(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(AsTreeItem(item)))));
}
CheckTreeModel::Item TreeViewCheckModel::FirstRoot() const { return Next(0, TVGN_ROOT); }
CheckTreeModel::Item TreeViewCheckModel::FirstChild(Item item) const { return Next(item, TVGN_CHILD); }
CheckTreeModel::Item TreeViewCheckModel::NextSibling(Item item) const { return Next(item, TVGN_NEXT); }
CheckTreeModel::Item TreeViewCheckModel::Parent(Item item) const { return Next(item, TVGN_PARENT); }
int TreeViewCheckModel::State(Item item) const { return ReadState(tree_, AsTreeItem(item)); }
void TreeViewCheckModel::SetState(Item item, int state) { WriteState(tree_, AsTreeItem(item), state); }

bool CTreeXCtrl::BuildStateImages(HINSTANCE module) {
  images_ = LoadImageStrip(IDB_TREE_CHECKS, 15, 16, RGB(255, 255, 255), module);
  if (!images_ || hwnd() == nullptr) return false;
  SendMessageW(hwnd(), TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images_.get()));
  return true;
}

HTREEITEM CTreeXCtrl::InsertItem(const wchar_t* text, HTREEITEM parent, int checkState, LPARAM data,
                                 int image) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent != nullptr ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
  insert.item.pszText = const_cast<wchar_t*>(text);
  insert.item.lParam = data;
  insert.item.stateMask = TVIS_STATEIMAGEMASK;
  insert.item.state = INDEXTOSTATEIMAGEMASK(checkState);
  if (image != -1) {
    insert.item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
  }
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(hwnd(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

int CTreeXCtrl::GetCheck(HTREEITEM item) const { return ReadState(hwnd(), item); }
void CTreeXCtrl::SetCheck(HTREEITEM item, int state) { WriteState(hwnd(), item, state); }

bool CTreeXCtrl::ToggleItem(HTREEITEM item) {
  TreeViewCheckModel model(hwnd());
  return velkor::ToggleItem(model, AsItem(item));
}

void CTreeXCtrl::CheckAll(bool checked) {
  TreeViewCheckModel model(hwnd());
  CheckAllItems(model, checked);
}

bool CTreeXCtrl::AnyItemChecked() const { return velkor::AnyItemChecked(TreeViewCheckModel(hwnd())); }
bool CTreeXCtrl::AllItemsChecked() const { return velkor::AllItemsChecked(TreeViewCheckModel(hwnd())); }

void CTreeXCtrl::SetAfterToggle(std::function<void(bool allChecked)> afterToggle) {
  afterToggle_ = std::move(afterToggle);
}

void CTreeXCtrl::ToggleAndNotify(HTREEITEM item) {
  // An item without a box, or a disabled one, changes nothing and tells no one.
  if (!ToggleItem(item)) return;
  const bool any = AnyItemChecked();
  const bool all = AllItemsChecked();
  SendMessageW(GetParent(hwnd()), kMsgTreeChecksChanged, any ? 1 : 0, all ? 1 : 0);
  if (afterToggle_) afterToggle_(all);
}

void CTreeXCtrl::OnLeftButton(LPARAM lParam) {
  TVHITTESTINFO hit{};
  hit.pt.x = static_cast<short>(LOWORD(lParam));
  hit.pt.y = static_cast<short>(HIWORD(lParam));
  const HTREEITEM item =
      reinterpret_cast<HTREEITEM>(SendMessageW(hwnd(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (item == nullptr) return;
  if (hit.flags & TVHT_ONITEMSTATEICON) {
    ToggleAndNotify(item);
  } else if (hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON)) {
    SendMessageW(hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SetFocus(hwnd());
    ExpandOrCollapse(hwnd(), item);
  } else if (hit.flags & TVHT_ONITEM || hit.flags & (TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT)) {
    ExpandOrCollapse(hwnd(), item);
    SendMessageW(hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  }
}

LRESULT CTreeXCtrl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_LBUTTONDOWN:
      OnLeftButton(lParam);
      handled = true;
      return 0;
    case WM_LBUTTONDBLCLK:
      // The tree's own expand-on-double-click would undo the click's toggle.
      handled = true;
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        const HTREEITEM selected = reinterpret_cast<HTREEITEM>(
            SendMessageW(hwnd(), TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (selected != nullptr) ToggleAndNotify(selected);
        handled = true;
        return 0;
      }
      break;
    case WM_CHAR:
      // The space of the toggle must not start the tree's incremental search.
      if (wParam == L' ') {
        handled = true;
        return 0;
      }
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace velkor
