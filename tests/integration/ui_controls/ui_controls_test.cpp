// The skinned controls, page and pop-up templates on Wine's window system.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ui/controls/class_images.hpp"
#include "ui/controls/fancy_list_ctrl.hpp"
#include "ui/controls/hyperlink_button.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/controls/text_fit.hpp"
#include "ui/controls/transparent_static.hpp"
#include "ui/controls/tree_x_ctrl.hpp"
#include "ui/pages/global_ui.hpp"
#include "ui/pages/overlay.hpp"
#include "ui/pages/popup_base.hpp"
#include "ui/pages/result_page.hpp"
#include "ui/resources/ui_resource_ids.h"

namespace velkor {
namespace {

class TestPage : public CGlobalUI {
 public:
  using CGlobalUI::CGlobalUI;
  struct Notice {
    WPARAM any;
    LPARAM all;
  };
  std::vector<Notice> notices;

 protected:
  INT_PTR OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
    if (message == kMsgTreeChecksChanged) {
      notices.push_back({wParam, lParam});
      handled = true;
    }
    return 0;
  }
};

class FakeHost : public PopupHost {
 public:
  HWND main = nullptr;
  PopupKind kind = PopupKind::None;
  bool overlayShown = false;
  bool popupShown = false;
  int hiddenCalls = 0;
  HWND MainWindow() const override { return main; }
  PopupKind ShownPopup() const override { return kind; }
  void SetOverlayShown(bool shown) override { overlayShown = shown; }
  void SetPopupShown(bool shown) override { popupShown = shown; }
  void OnOverlayHidden() override { ++hiddenCalls; }
};

class TestPopup : public CGlobalUINag {
 public:
  using CGlobalUINag::CGlobalUINag;
};

class UiControls : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    LoadLibraryW(L"riched20.dll");
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelkorTestHost";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);
  }

  void SetUp() override {
    host_ = CreateWindowExW(0, L"VelkorTestHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0, 771, 581, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
  }
  void TearDown() override {
    pages_.clear();
    DestroyWindow(host_);
  }

  TestPage& Page(int templateId) {
    pages_.push_back(std::make_unique<TestPage>(templateId, fonts_));
    TestPage& page = *pages_.back();
    EXPECT_TRUE(page.Create(host_)) << templateId;
    if (page.hwnd() != nullptr) {
      SetWindowPos(page.hwnd(), nullptr, 13, 115, kPageWidth, kPageHeight, SWP_NOZORDER | SWP_SHOWWINDOW);
      UpdateWindow(page.hwnd());
    }
    return page;
  }

  static RECT PlaceIn(HWND parent, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  OwnedPageFonts fonts_{L"Tahoma"};
  HWND host_ = nullptr;
  std::vector<std::unique_ptr<TestPage>> pages_;
};

// Text in a box of fixed size: whole, or ending in an ellipsis, never half a
// line; a count a pixel wider than its narrow label is not turned into "...".
TEST_F(UiControls, TextInAFixedBoxReadsWholeOrEndsInAnEllipsis) {
  const WindowDc screen(nullptr);
  UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  UniqueGdiObject font(CreateFontW(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
  const SelectedObject selected(dc.get(), font.get());
  SIZE count{};
  GetTextExtentPoint32W(dc.get(), L"22", 2, &count);
  const RECT narrow{0, 0, count.cx - 1, 15};
  const RECT status{0, 0, 220, 20};
  const RECT tall{0, 0, 220, 60};
  const std::wstring lastScan = L"Last Scan: December 10, 2026 10:27:17 AM and then some more words";
  EXPECT_EQ(FittingTextFormat(dc.get(), narrow, L"22", DT_LEFT) & (DT_END_ELLIPSIS | DT_SINGLELINE),
            static_cast<UINT>(DT_SINGLELINE));
  EXPECT_EQ(FittingTextFormat(dc.get(), status, lastScan, DT_LEFT) & (DT_END_ELLIPSIS | DT_SINGLELINE | DT_WORDBREAK),
            static_cast<UINT>(DT_END_ELLIPSIS | DT_SINGLELINE));
  EXPECT_EQ(FittingTextFormat(dc.get(), tall, lastScan, DT_LEFT) & (DT_WORDBREAK | DT_EDITCONTROL | DT_SINGLELINE),
            static_cast<UINT>(DT_WORDBREAK | DT_EDITCONTROL));
  EXPECT_EQ(FittingTextFormat(dc.get(), tall, lastScan, DT_LEFT, TextLines::One) & DT_SINGLELINE,
            static_cast<UINT>(DT_SINGLELINE));
}

TEST_F(UiControls, PageControlsSitAtTheirPixelPlaces) {
  struct Place {
    int templateId, id, x, y, width, height;
  };
  const Place places[] = {
      {IDD_HOME, IDC_HOME_SCAN_BUTTON, 410, 280, 268, 89},
      {IDD_HOME, IDC_HOME_START_SCAN_LINK, 70, 104, 60, 15},
      {IDD_HOME, IDC_HOME_OUT_OF_DATE_LINK, 173, 104, 100, 15},
      {IDD_HOME, IDC_HOME_SCAN_NOW_LINK, 660, 191, 55, 15},
      {IDD_HOME, IDC_HOME_SCAN_STATUS, 50, 52, 220, 20},
      {IDD_HOME, IDC_HOME_OUT_OF_DATE_COUNT, 570, 52, 15, 15},
      {IDD_HOME, IDC_HOME_UP_TO_DATE_COUNT, 570, 70, 15, 15},
      {IDD_HOME, IDC_HOME_LAST_SCAN_DATE, 514, 191, 140, 30},
      {IDD_HOME, IDC_HOME_WEB_LINK, 129, 386, 400, 17},
      {IDD_SCAN_PROGRESS, IDC_SCAN_ANIMATION, 26, 72, 42, 42},
      {IDD_SCAN_PROGRESS, IDC_SCAN_STATUS, 80, 62, 501, 20},
      {IDD_SCAN_PROGRESS, IDC_SCAN_PROGRESS, 80, 82, 501, 20},
      {IDD_SCAN_PROGRESS, IDC_SCAN_DEVICE, 80, 107, 501, 20},
      {IDD_SCAN_PROGRESS, IDC_SCAN_STOP, 558, 385, 160, 60},
      {IDD_SETTINGS, IDC_SETTINGS_AUTOSCAN, 38, 93, 15, 15},
      {IDD_SETTINGS, IDC_SETTINGS_DOWNLOAD_DIR, 202, 201, 401, 20},
      {IDD_SETTINGS, IDC_SETTINGS_BROWSE_DL, 603, 201, 27, 20},
      {IDD_SETTINGS, IDC_SETTINGS_BACKUP_DIR, 202, 301, 401, 20},
      {IDD_SETTINGS, IDC_SETTINGS_BROWSE_BK, 603, 301, 27, 20},
  };
  for (const Place& place : places) {
    SCOPED_TRACE(testing::Message() << place.templateId << "/" << place.id);
    TestPage* page = nullptr;
    for (auto& existing : pages_) {
      if (existing->templateId() == place.templateId) page = existing.get();
    }
    if (page == nullptr) page = &Page(place.templateId);
    HWND control = GetDlgItem(page->hwnd(), place.id);
    ASSERT_NE(control, nullptr);
    const RECT rect = PlaceIn(page->hwnd(), control);
    EXPECT_EQ(rect.left, place.x);
    EXPECT_EQ(rect.top, place.y);
    EXPECT_EQ(rect.right - rect.left, place.width);
    EXPECT_EQ(rect.bottom - rect.top, place.height);
  }
}

TEST_F(UiControls, EveryPageAndPopupTemplateOpensAtItsSize) {
  for (int id : {IDD_HOME, IDD_SCAN_PROGRESS, IDD_SCAN_RESULT, IDD_BACKUP, IDD_RESTORE, IDD_SETTINGS}) {
    TestPage& page = Page(id);
    RECT client{};
    GetClientRect(page.hwnd(), &client);
    EXPECT_EQ(client.right, kPageWidth) << id;
    EXPECT_EQ(client.bottom, kPageHeight) << id;
  }
  FakeHost host;
  host.main = host_;
  struct PopupSize {
    int id, width, height;
  };
  const PopupSize sizes[] = {{IDD_INSTALL_DRIVER, 440, 209}, {IDD_BACKUP_BEFORE_INSTALL, 490, 300},
                             {IDD_DRIVER_DETAILS, 400, 260}, {IDD_REPORT_FEEDBACK, 480, 390},
                             {IDD_DOWNLOAD, 520, 340}};
  for (const PopupSize& size : sizes) {
    TestPopup popup(size.id, fonts_, host);
    ASSERT_TRUE(popup.Create(host_)) << size.id;
    RECT rect{};
    GetWindowRect(popup.hwnd(), &rect);
    EXPECT_EQ(rect.right - rect.left, size.width) << size.id;
    EXPECT_EQ(rect.bottom - rect.top, size.height) << size.id;
    // Rounded corners: the region leaves the very corner out.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(GetWindowRgn(popup.hwnd(), region), ERROR) << size.id;
    EXPECT_FALSE(PtInRegion(region, 0, 0)) << size.id;
    EXPECT_TRUE(PtInRegion(region, size.width / 2, size.height / 2)) << size.id;
    DeleteObject(region);
    // The close box sits at the top right: right edge minus 49, 43 by 18.
    const RECT close = PlaceIn(popup.hwnd(), GetDlgItem(popup.hwnd(), IDC_POPUP_CLOSE));
    EXPECT_EQ(close.left, size.width - 49) << size.id;
    EXPECT_EQ(close.top, 0) << size.id;
    EXPECT_EQ(close.right - close.left, 43) << size.id;
    EXPECT_EQ(close.bottom - close.top, 18) << size.id;
  }
}

TEST_F(UiControls, StripIsSplitIntoFramesAndButtonTakesOneFrameInPlace) {
  TestPage& page = Page(IDD_HOME);
  CHoverButton three;
  CHoverButton4S four;
  ASSERT_TRUE(three.Attach(page.hwnd(), IDC_HOME_START_SCAN_LINK));
  ASSERT_TRUE(four.Attach(page.hwnd(), IDC_HOME_OUT_OF_DATE_LINK));
  ASSERT_TRUE(three.SetStrip(UniqueGdiObject(CreateBitmap(300, 20, 1, 32, nullptr))));
  ASSERT_TRUE(four.SetStrip(UniqueGdiObject(CreateBitmap(300, 20, 1, 32, nullptr))));
  EXPECT_EQ(three.frameWidth(), 100);
  EXPECT_EQ(four.frameWidth(), 75);
  const RECT a = PlaceIn(page.hwnd(), three.hwnd());
  const RECT b = PlaceIn(page.hwnd(), four.hwnd());
  EXPECT_EQ(a.left, 70);
  EXPECT_EQ(a.top, 104);
  EXPECT_EQ(a.right - a.left, 100);
  EXPECT_EQ(a.bottom - a.top, 20);
  EXPECT_EQ(b.left, 173);
  EXPECT_EQ(b.right - b.left, 75);
}

TEST_F(UiControls, ButtonFramesFollowHoverAndDisabledState) {
  TestPage& page = Page(IDD_HOME);
  CHoverButton4S scan;
  ASSERT_TRUE(scan.Attach(page.hwnd(), IDC_HOME_SCAN_BUTTON));
  ASSERT_TRUE(scan.LoadStrip(IDB_SCAN_BUTTON));
  EXPECT_EQ(scan.frameWidth(), 268);
  EXPECT_EQ(scan.frameHeight(), 89);
  auto repaint = [&] { RedrawWindow(scan.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); };
  repaint();
  EXPECT_EQ(scan.lastFrame(), kFrameNormal);
  SendMessageW(scan.hwnd(), WM_MOUSEHOVER, 0, 0);
  repaint();
  EXPECT_EQ(scan.lastFrame(), kFrameHover);
  // A disabled four-frame button shows its disabled frame even under the mouse.
  SendMessageW(scan.hwnd(), WM_MOUSEHOVER, 0, 0);
  EnableWindow(scan.hwnd(), FALSE);
  repaint();
  EXPECT_EQ(scan.lastFrame(), kFrameDisabled);
  EnableWindow(scan.hwnd(), TRUE);
  scan.SetStickyHover(true);
  repaint();
  EXPECT_EQ(scan.lastFrame(), kFrameHover);

  CCustomHoverButton nav;
  ASSERT_TRUE(nav.Attach(page.hwnd(), IDC_HOME_START_SCAN_LINK));
  ASSERT_TRUE(nav.LoadStrip(IDB_NAV_HOME));
  nav.SetLatched(true);
  RedrawWindow(nav.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(nav.lastFrame(), kFramePressed);
  nav.SetLatched(false);
  RedrawWindow(nav.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(nav.lastFrame(), kFrameNormal);
}

// TVM_GETITEMRECT takes the item in the rectangle it fills.
bool LabelRect(HWND tree, HTREEITEM item, RECT& label) {
  std::memcpy(&label, &item, sizeof(item));
  return SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label)) != 0;
}

// Finds a point on an item's check box by asking the tree itself.
bool StateIconPoint(HWND tree, HTREEITEM item, POINT& point) {
  RECT label{};
  if (!LabelRect(tree, item, label)) return false;
  for (int x = label.left - 1; x >= 0; --x) {
    TVHITTESTINFO hit{};
    hit.pt = {x, (label.top + label.bottom) / 2};
    SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.hItem == item && (hit.flags & TVHT_ONITEMSTATEICON)) {
      point = hit.pt;
      return true;
    }
  }
  return false;
}

TEST_F(UiControls, TreeTogglesByClickAndSpaceAndTellsItsParent) {
  TestPage& page = Page(IDD_BACKUP);
  CTreeXCtrl tree;
  ASSERT_TRUE(tree.Attach(page.hwnd(), IDC_BACKUP_TREE));
  ASSERT_TRUE(tree.BuildStateImages());
  const HTREEITEM display = tree.InsertItem(L"Display adapters", nullptr, kUnchecked);
  HTREEITEM children[3];
  for (int i = 0; i < 3; ++i) children[i] = tree.InsertItem(L"Adapter", display, kUnchecked);
  const HTREEITEM sound = tree.InsertItem(L"Sound", nullptr, kUnchecked);
  const HTREEITEM locked = tree.InsertItem(L"Locked device", sound, kDisabled);
  const HTREEITEM speaker = tree.InsertItem(L"Speaker", sound, kUnchecked);
  SendMessageW(tree.hwnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(display));
  SendMessageW(tree.hwnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(sound));
  std::vector<bool> afterToggle;
  tree.SetAfterToggle([&](bool all) { afterToggle.push_back(all); });

  // Space on one of three children: the parent becomes partly checked.
  SendMessageW(tree.hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(children[0]));
  SendMessageW(tree.hwnd(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(tree.GetCheck(children[0]), kChecked);
  EXPECT_EQ(tree.GetCheck(display), kPartlyChecked);
  ASSERT_EQ(page.notices.size(), 1u);
  EXPECT_EQ(page.notices[0].any, 1u);
  EXPECT_EQ(page.notices[0].all, 0);

  // A click on the parent's box: from partly checked everything goes unchecked.
  POINT box{};
  ASSERT_TRUE(StateIconPoint(tree.hwnd(), display, box));
  SendMessageW(tree.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, box.y));
  for (HTREEITEM child : children) EXPECT_EQ(tree.GetCheck(child), kUnchecked);
  EXPECT_EQ(tree.GetCheck(display), kUnchecked);
  EXPECT_EQ(page.notices.back().any, 0u);

  // Again: all checked; with Sound's speaker checked too, every item is.
  SendMessageW(tree.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, box.y));
  EXPECT_EQ(tree.GetCheck(display), kChecked);
  ASSERT_TRUE(StateIconPoint(tree.hwnd(), speaker, box));
  SendMessageW(tree.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.x, box.y));
  EXPECT_EQ(tree.GetCheck(sound), kChecked);  // the disabled child does not hold it back
  EXPECT_EQ(page.notices.back().all, 1);
  ASSERT_FALSE(afterToggle.empty());
  EXPECT_TRUE(afterToggle.back());

  // Space on a disabled item changes nothing and tells no one.
  const std::size_t before = page.notices.size();
  SendMessageW(tree.hwnd(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(locked));
  SendMessageW(tree.hwnd(), WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_EQ(tree.GetCheck(locked), kDisabled);
  EXPECT_EQ(page.notices.size(), before);

  // A double click does not expand or collapse.
  RECT label{};
  ASSERT_TRUE(LabelRect(tree.hwnd(), display, label));
  const LRESULT expandedBefore =
      SendMessageW(tree.hwnd(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(display), TVIS_EXPANDED);
  SendMessageW(tree.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(label.left + 4, label.top + 4));
  EXPECT_EQ(SendMessageW(tree.hwnd(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(display), TVIS_EXPANDED),
            expandedBefore);

  tree.CheckAll(false);
  EXPECT_FALSE(tree.AnyItemChecked());
  EXPECT_EQ(tree.GetCheck(locked), kDisabled);
}

COLORREF PixelOf(HWND hwnd, int x, int y) {
  HDC dc = GetDC(hwnd);
  const COLORREF color = GetPixel(dc, x, y);
  ReleaseDC(hwnd, dc);
  return color;
}

TEST_F(UiControls, TransparentLabelNeverShowsItsOldText) {
  TestPage& page = Page(IDD_HOME);
  CTransparentStatic2 label;
  ASSERT_TRUE(label.Attach(page.hwnd(), IDC_HOME_SCAN_STATUS));
  RedrawWindow(page.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_TRUE(label.hasBackground());
  SetWindowTextW(label.hwnd(), L"WWWWWWWWWWWWWWWWWWWW");
  Pump();
  // Somewhere under the long text the pixels differ from the panel.
  bool inked = false;
  for (int x = 0; x < 150 && !inked; ++x) {
    for (int y = 0; y < 14 && !inked; ++y) inked = PixelOf(label.hwnd(), x, y) != kPanelColor;
  }
  EXPECT_TRUE(inked);
  SetWindowTextW(label.hwnd(), L"i");
  SetWindowTextW(label.hwnd(), L"");
  Pump();
  for (int x = 0; x < 150; x += 3) {
    for (int y = 0; y < 14; ++y) ASSERT_EQ(PixelOf(label.hwnd(), x, y), kPanelColor) << x << "," << y;
  }
}

TEST_F(UiControls, FancyListMeasuresRowsAndCutsDescriptions) {
  TestPage& page = Page(IDD_SCAN_RESULT);
  CFancyListCtrl list;
  ASSERT_TRUE(list.Attach(page.hwnd(), IDC_RESULT_LIST));
  list.Prepare();
  list.AddColumn(L"Drivers Description", 296);
  list.AddColumn(L"Status", 55);
  list.AddColumn(L"Report Feedback", 40);
  list.SetStatusColumn(1);
  EXPECT_EQ(list.InsertRow(0, L"Display adapters", -1), 0);
  EXPECT_EQ(list.InsertRow(1, L"A device", 0), 1);
  list.SetCell(1, 1, L"Download");
  RECT row{};
  row.left = LVIR_BOUNDS;
  ASSERT_TRUE(SendMessageW(list.hwnd(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
  EXPECT_EQ(row.bottom - row.top, list.rowHeight());
  EXPECT_GE(list.rowHeight(), 20);
  RedrawWindow(list.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

  const std::wstring exact(45, L'a');
  EXPECT_EQ(CutDescription(exact), exact);
  EXPECT_EQ(CutDescription(exact + L"b"), exact + L"...");
}

// The result page over a small scan: three updates in two categories (one of
// them spelled in other letter case), one package already downloaded and
// intact. Rows, their actions and what a click in each column asks for.
TEST_F(UiControls, ResultPageListsUpdatesByCategoryAndRoutesClicks) {
  ScanResult scan;
  RecordTable& devices = scan.m_Devices;
  devices[0].Next = std::make_unique<RecordTable>(kDeviceTableCapacity);
  RecordTable& updates = *devices[0].Next;
  for (int n : {2, 5, 9}) {
    devices[n].Name = L"Device " + std::to_wstring(n);
    devices[n].DriverKey = L"{4D36E968-E325-11CE-BFC1-08002BE10318}\\0000";
    updates[n].HardwareId = L"PCI\\VEN_10DE&DEV_000" + std::to_wstring(n);
  }
  const std::filesystem::path package = std::filesystem::temp_directory_path() / L"velkor-result-page.zip";
  { std::ofstream(package, std::ios::binary) << "abc"; }
  updates[5].Md5 = L"900150983cd24fb0d6963f7d28e17f72";
  const StringMap downloads{{L"pciven_10de&dev_0005", package.wstring()}};
  scan.m_UpdateList = {L"Display adapters|GeForce|5", L"display adapters|Radeon|2", L"Network adapters|Realtek|9"};
  scan.m_nDeviceCount = 12;
  scan.m_nUpdateCount = 3;
  scan.m_bScanFinished = true;
  scan.m_strScanStartTime = L"09:05:03 PM ";
  scan.m_strScanDuration = L"00:00:07";
  scan.m_strScanTotal = L"12";
  const std::map<std::wstring, std::wstring>& rowToDevice = scan.m_RowToDevice;
  const std::wstring& shown = scan.m_strShownDevices;
  std::vector<std::wstring> asked;
  ResultPageActions actions;
  actions.download = [&](std::int32_t device, int row) {
    asked.push_back(L"download " + std::to_wstring(device) + L" row " + std::to_wstring(row));
  };
  actions.install = [&](int row) { asked.push_back(L"install row " + std::to_wstring(row)); };
  actions.details = [&](std::int32_t device) { asked.push_back(L"details " + std::to_wstring(device)); };
  actions.feedback = [&] { asked.push_back(L"feedback"); };
  CTextTable texts;
  CScanResultDlg page(fonts_, texts, ResultPageLinks{scan, downloads, nullptr}, actions);
  ASSERT_TRUE(page.Create(host_));
  SetWindowPos(page.hwnd(), nullptr, 13, 115, kPageWidth, kPageHeight, SWP_NOZORDER | SWP_SHOWWINDOW);
  page.PopulateResults();
  Pump();

  HWND list = page.m_List.hwnd();
  // The columns keep their widths; the last one reaches the list's right edge
  // (less a scroll bar), so its header reads whole and the rows look finished.
  RECT listClient{};
  GetClientRect(list, &listClient);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 296);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 55);
  EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0), 40);
  EXPECT_EQ(296 + 55 + 40 + SendMessageW(list, LVM_GETCOLUMNWIDTH, 3, 0) + GetSystemMetrics(SM_CXVSCROLL),
            listClient.right);
  std::vector<std::wstring> rows;
  for (int row = 0; row < static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); ++row) {
    wchar_t first[128] = {}, second[128] = {};
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = first;
    item.cchTextMax = 128;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    LVITEMW status{};
    status.iSubItem = 1;
    status.pszText = second;
    status.cchTextMax = 128;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&status));
    rows.push_back(std::to_wstring(item.lParam) + L" " + first + L" " + second);
  }
  EXPECT_EQ(rows, (std::vector<std::wstring>{L"-1 Display adapters ", L"1 GeForce Install", L"0 Radeon Download",
                                              L"-1 Network adapters ", L"0 Realtek Download"}));
  EXPECT_EQ(rowToDevice, (std::map<std::wstring, std::wstring>{{L"1", L"5"}, {L"2", L"2"}, {L"4", L"9"}}));
  EXPECT_EQ(shown, L"5|2|9");
  ShowWindow(page.hwnd(), SW_HIDE);
  ShowWindow(page.hwnd(), SW_SHOW);
  wchar_t label[32] = {};
  GetDlgItemTextW(page.hwnd(), IDC_RESULT_UP_TO_DATE, label, 32);
  EXPECT_STREQ(label, L"9");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page.hwnd(), IDC_RESULT_DOWNLOAD_ALL)));

  auto click = [&](int row, int column) {
    RECT cell{LVIR_BOUNDS, column, 0, 0};
    ASSERT_TRUE(SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell)));
    if (column == 0) cell.right = cell.left + 100;
    const LPARAM point = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(list, WM_LBUTTONUP, 0, point);
    Pump();
  };
  click(0, kResultColumnStatus);    // category row: nothing
  click(2, kResultColumnStatus);    // Download
  click(1, kResultColumnStatus);    // Install
  click(4, kResultColumnDetails);   // details of device 9
  click(2, kResultColumnFeedback);  // feedback
  click(2, kResultColumnDescription);
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"download 2 row 2", L"install row 1", L"details 9", L"feedback"}));

  // The package file gone: the row asks for a download again.
  std::filesystem::remove(package);
  page.PopulateResults();
  LVITEMW status{};
  wchar_t text[32] = {};
  status.iSubItem = 1;
  status.pszText = text;
  status.cchTextMax = 32;
  SendMessageW(list, LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&status));
  EXPECT_STREQ(text, L"Download");

  // No update counted: an empty list and no download-all.
  scan.m_nUpdateCount = 0;
  page.PopulateResults();
  ShowWindow(page.hwnd(), SW_HIDE);
  ShowWindow(page.hwnd(), SW_SHOW);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_TRUE(rowToDevice.empty());
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page.hwnd(), IDC_RESULT_DOWNLOAD_ALL)));
}

TEST_F(UiControls, ClassPicturesByTheGuidAtTheStartOfTheDriverKey) {
  EXPECT_EQ(ClassGuidOfDriverKey(L"{4D36E972-E325-11CE-BFC1-08002BE10318}\\0003"),
            L"{4D36E972-E325-11CE-BFC1-08002BE10318}");
  EXPECT_EQ(ClassGuidOfDriverKey(L"{4D36E972-E325-11CE-BFC1-08002BE10318}"), L"{4D36E972-E325-11CE-BFC1-08002BE10318}");
  EXPECT_EQ(ClassGuidOfDriverKey(L""), L"");
  CClassImageList images;
  ASSERT_TRUE(images.Load(IDB_CLASS_ICONS));
  ASSERT_NE(images.Images(), nullptr);
  const int count = ImageList_GetImageCount(images.Images());
  struct Case {
    const wchar_t* guid;
    bool picture;
  };
  const Case cases[] = {
      {L"{4D36E972-E325-11CE-BFC1-08002bE10318}", true},  // mixed case names the same class
      {L"{4d36e968-e325-11ce-bfc1-08002be10318}", true},
      {L"{00000000-0000-0000-0000-000000000000}", true},  // unknown class: the generic picture
      {L"not a class", false},
      {L"", false},
  };
  for (const Case& c : cases) {
    const int index = images.IndexOf(c.guid);
    if (c.picture) {
      EXPECT_GE(index, 0) << c.guid;
      EXPECT_LT(index, count) << c.guid;
    } else {
      EXPECT_EQ(index, -1) << c.guid;
    }
  }
  if (ImageList_GetImageCount(images.Images()) == 8) {
    // Our own pictures (a system without class images): network and display differ.
    EXPECT_EQ(images.IndexOf(L"{4D36E972-E325-11CE-BFC1-08002BE10318}"), 2);
    EXPECT_EQ(images.IndexOf(L"{4D36E968-E325-11CE-BFC1-08002BE10318}"), 1);
  }
}

TEST_F(UiControls, OverlayDimsAtAlpha200AndHostsThePopupOfTheKind) {
  FakeHost host;
  host.main = host_;
  CNagTransparentDlg overlay(fonts_, host);
  ASSERT_TRUE(overlay.CreateOverlay(host_));
  RECT rect{};
  GetWindowRect(overlay.hwnd(), &rect);
  EXPECT_EQ(rect.right - rect.left, 771);
  EXPECT_EQ(rect.bottom - rect.top, 581);
  EXPECT_TRUE(GetWindowLongPtrW(overlay.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  using GetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*);
  const auto getLayered = reinterpret_cast<GetLayeredFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetLayeredWindowAttributes")));
  if (getLayered != nullptr) {
    ASSERT_TRUE(getLayered(overlay.hwnd(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, kOverlayAlpha);
  }

  TestPopup install(IDD_INSTALL_DRIVER, fonts_, host);
  ASSERT_TRUE(install.Create(overlay.hwnd()));
  overlay.AddPopup(PopupKind::InstallConfirm, install);
  host.kind = PopupKind::InstallConfirm;
  overlay.ShowOverOwner();
  EXPECT_TRUE(host.overlayShown);
  EXPECT_TRUE(host.popupShown);
  EXPECT_TRUE(IsWindowVisible(install.hwnd()));
  // Enter and Escape do not close a pop-up.
  SendMessageW(install.hwnd(), WM_COMMAND, IDCANCEL, 0);
  SendMessageW(install.hwnd(), WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(IsWindowVisible(install.hwnd()));
  // Its close box does, and takes the overlay with it.
  SendMessageW(install.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_POPUP_CLOSE, BN_CLICKED), 0);
  Pump();
  EXPECT_FALSE(host.popupShown);
  EXPECT_FALSE(IsWindowVisible(install.hwnd()));
  EXPECT_FALSE(IsWindowVisible(overlay.hwnd()));
  EXPECT_FALSE(host.overlayShown);
  EXPECT_EQ(host.hiddenCalls, 1);

  // A kind without a pop-up only dims.
  host.kind = PopupKind::None;
  overlay.ShowOverOwner();
  EXPECT_TRUE(IsWindowVisible(overlay.hwnd()));
  EXPECT_FALSE(IsWindowVisible(install.hwnd()));
  overlay.Hide();
}

}  // namespace
}  // namespace velkor
