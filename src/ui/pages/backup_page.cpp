#include "ui/pages/backup_page.hpp"

#include <commctrl.h>

#include <span>

#include "inventory/stop_handshake.hpp"
#include "inventory/system_information.hpp"
#include "ui/pages/work_pages.hpp"
#include "ui/resources/ui_resource_ids.h"
#include "ui/tree_check_logic.hpp"

namespace velkor {

namespace {

// Keys of the reports that the next one overwrites: the page's address and the
// report, so that no other page's posts are ever replaced.
enum BackupReport : std::uintptr_t { kReportProgress = 1, kReportDevice };
std::uintptr_t ReportKey(const void* page, BackupReport report) {
  return reinterpret_cast<std::uintptr_t>(page) + report;
}

// Item data of the tree items that are no device (the computer, the classes).
constexpr LPARAM kNoDevice = -1;

constexpr int kChoiceControls[] = {IDC_BACKUP_TREE, IDC_BACKUP_ALL, IDC_BACKUP_LOCATION};
constexpr int kProgressControls[] = {IDC_BACKUP_STATUS, IDC_BACKUP_DEVICE, IDC_BACKUP_PROGRESS};
constexpr int kSummaryControls[] = {IDC_BACKUP_CAPTION1, IDC_BACKUP_CAPTION2, IDC_BACKUP_CAPTION3,
                                    IDC_BACKUP_CAPTION4, IDC_BACKUP_VALUE1,   IDC_BACKUP_VALUE2,
                                    IDC_BACKUP_VALUE3,   IDC_BACKUP_VALUE4};

void ShowControls(HWND page, std::span<const int> ids, bool show) {
  for (const int id : ids) ShowWindow(GetDlgItem(page, id), show ? SW_SHOW : SW_HIDE);
}

HTREEITEM NextItem(HWND tree, HTREEITEM item, UINT relation) {
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

LPARAM ItemData(HWND tree, HTREEITEM item) {
  TVITEMW read{};
  read.mask = TVIF_PARAM | TVIF_HANDLE;
  read.hItem = item;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&read));
  return read.lParam;
}

// Depth first: the item, then its children.
void CollectChecked(const CTreeXCtrl& tree, HTREEITEM item, std::vector<std::int32_t>& numbers) {
  for (; item != nullptr; item = NextItem(tree.hwnd(), item, TVGN_NEXT)) {
    const LPARAM data = ItemData(tree.hwnd(), item);
    if (data != kNoDevice && tree.GetCheck(item) == kChecked) numbers.push_back(static_cast<std::int32_t>(data));
    CollectChecked(tree, NextItem(tree.hwnd(), item, TVGN_CHILD), numbers);
  }
}

}  // namespace

CBackupDlg::CBackupDlg(const PageFonts& fonts, CTextTable& texts, std::wstring appName, BackupPageLinks links)
    : CGlobalUI(IDD_BACKUP, fonts), m_Texts(texts), m_AppName(std::move(appName)), m_Links(links) {
  SetHeading(m_Texts.GetText(L"IDS_BACKUP_HEADING"));
}

CBackupDlg::~CBackupDlg() = default;

void CBackupDlg::OnInitPage() {
  SkinActionButton(m_Start, hwnd(), IDC_BACKUP_START);
  SkinActionButton(m_Stop, hwnd(), IDC_BACKUP_STOP);
  if (m_Tree.Attach(hwnd(), IDC_BACKUP_TREE)) {
    m_Tree.BuildStateImages();
    if (m_Links.classImages != nullptr && m_Links.classImages->Images() != nullptr) {
      SendMessageW(m_Tree.hwnd(), TVM_SETIMAGELIST, TVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(m_Links.classImages->Images()));
    }
    // Every item of the tree checked sets the box, anything less clears it.
    m_Tree.SetAfterToggle([this](bool allChecked) {
      CheckDlgButton(hwnd(), IDC_BACKUP_ALL, allChecked ? BST_CHECKED : BST_UNCHECKED);
      m_Links.backupAll = allChecked;
    });
  }
  SetDlgItemTextW(hwnd(), IDC_BACKUP_ALL, m_Texts.GetText(L"IDS_BACKUP_COMPLETE_BACKUP").c_str());
  for (int i = 0; i < 4; ++i) SetDlgItemTextW(hwnd(), IDC_BACKUP_CAPTION1 + i, kBackupSummaryCaptions[i]);
  SendDlgItemMessageW(hwnd(), IDC_BACKUP_PROGRESS, PBM_SETRANGE32, 0, 100);
  ShowChoice();
}

void CBackupDlg::OnShown(bool visible) {
  if (!visible) return;
  FillTree();
  ShowChoice();
  const bool inventory = m_Links.deviceCount > 0;
  EnableWindow(m_Start.hwnd(), inventory);
  EnableWindow(GetDlgItem(hwnd(), IDC_BACKUP_ALL), inventory);
  EnableWindow(m_Stop.hwnd(), FALSE);
  if (!inventory) OfferScanForBackup();
}

void CBackupDlg::FillTree() {
  SendMessageW(m_Tree.hwnd(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  if (m_Links.deviceCount <= 0) return;
  // The tree keeps room for a picture before every item's text, so every
  // level gets one: the computer's class for the root, and for a class the
  // picture of its first device (the class key's GUID, as the devices have).
  const auto imageOf = [this](std::wstring_view classGuid) {
    return m_Links.classImages != nullptr ? m_Links.classImages->IndexOf(classGuid) : -1;
  };
  const HTREEITEM root = m_Tree.InsertItem(GetComputerNameText().c_str(), nullptr, kUnchecked, kNoDevice,
                                           imageOf(kComputerClassGuid));
  for (const BackupTreeClass& group : GroupDevicesByClass(m_Links.devices, m_Links.deviceCount)) {
    const auto deviceImage = [&](std::int32_t number) {
      return imageOf(ClassGuidOfDriverKey(m_Links.devices[static_cast<std::size_t>(number)].DriverKey));
    };
    const HTREEITEM classItem = m_Tree.InsertItem(group.classDescription.c_str(), root, kUnchecked, kNoDevice,
                                                  deviceImage(group.devices.front()));
    for (const std::int32_t number : group.devices) {
      const DeviceRecord& device = m_Links.devices[static_cast<std::size_t>(number)];
      m_Tree.InsertItem(device.Name.c_str(), classItem, kUnchecked, number, deviceImage(number));
    }
    SendMessageW(m_Tree.hwnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(classItem));
  }
  SendMessageW(m_Tree.hwnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

void CBackupDlg::ShowChoice() {
  m_bSummaryShown = false;
  m_pDescriptionKey = L"IDS_BACKUP_DESC1";
  CheckDlgButton(hwnd(), IDC_BACKUP_ALL, BST_UNCHECKED);
  m_Links.backupAll = false;
  std::wstring location = m_Links.settings.Get(kSettingBackupLoc);
  SetDlgItemTextW(hwnd(), IDC_BACKUP_LOCATION, location.c_str());
  ShowControls(hwnd(), kChoiceControls, true);
  ShowControls(hwnd(), kProgressControls, false);
  ShowControls(hwnd(), kSummaryControls, false);
  ShowWindow(m_Start.hwnd(), SW_SHOW);
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void CBackupDlg::OfferScanForBackup() {
  // Asked once the page shows, not while it is being shown.
  m_Links.ui.Post(0, [this] {
    if (!IsVisible() || m_Links.deviceCount > 0) return;
    const std::wstring question = m_Texts.GetText(L"IDS_BACKUP_DESC5");
    if (MessageBoxW(hwnd(), question.c_str(), m_AppName.c_str(), MB_YESNO) != IDYES) return;
    if (m_Links.scanForBackup) m_Links.scanForBackup();
  });
}

bool CBackupDlg::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_BACKUP_START:
      OnBackup();
      return true;
    case IDC_BACKUP_STOP:
      OnStop();
      return true;
    case IDC_BACKUP_ALL:
      OnBackupAllClicked();
      return true;
    default:
      return false;
  }
}

void CBackupDlg::OnBackup() {
  if (m_pRun == nullptr || !IsWindowEnabled(m_Start.hwnd())) return;
  const HTREEITEM root = NextItem(m_Tree.hwnd(), nullptr, TVGN_ROOT);
  if (root == nullptr || m_Tree.GetCheck(root) == kUnchecked) {
    MessageBoxW(hwnd(), kBackupNothingSelected, m_AppName.c_str(), MB_OK);
    return;
  }
  BackupRun* run = m_pRun;
  m_Links.host.StartWorker([this, run] {
    BackupOutcome outcome;
    return run->Run(*this, outcome);
  });
}

void CBackupDlg::OnStop() {
  if (m_pRun == nullptr || !IsWindowEnabled(m_Stop.hwnd())) return;
  BackupRun* run = m_pRun;
  m_Links.host.RequestStop(kStopBackup, [run](bool acknowledged) { run->OnStopAnswered(acknowledged); });
  EnableWindow(m_Stop.hwnd(), FALSE);
}

void CBackupDlg::OnBackupAllClicked() {
  // The box backs up everything; the tree shows it.
  const bool all = IsDlgButtonChecked(hwnd(), IDC_BACKUP_ALL) == BST_CHECKED;
  m_Links.backupAll = all;
  m_Tree.CheckAll(all);
}

INT_PTR CBackupDlg::OnPageMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
  constexpr WPARAM kAborted = kTimerBackupAborted;
  constexpr WPARAM kCompleted = kTimerBackupCompleted;
  if (message != WM_TIMER || (wParam != kAborted && wParam != kCompleted)) return 0;
  handled = true;
  KillTimer(hwnd(), wParam);  // one-shot
  MessageBoxW(hwnd(), wParam == kAborted ? kBackupAbortedMessage : kBackupCompletedMessage, m_AppName.c_str(),
              MB_OK);
  return 0;
}

void CBackupDlg::OnUi(const std::function<void()>& change) {
  m_Links.ui.Invoke([&] {
    if (hwnd() != nullptr) change();
  });
}

void CBackupDlg::SetStatusText(const std::wstring& text) {
  OnUi([&] { SetDlgItemTextW(hwnd(), IDC_BACKUP_STATUS, text.c_str()); });
}

void CBackupDlg::SetDeviceText(const std::wstring& text) {
  OnUi([&] { SetDlgItemTextW(hwnd(), IDC_BACKUP_DEVICE, text.c_str()); });
}

void CBackupDlg::ShowCurrentDevice(const std::wstring& name, const std::wstring& classDescription) {
  // One report per device: only the newest one needs to be drawn.
  m_Links.ui.Post(ReportKey(this, kReportDevice), [this, name, classDescription] {
    if (hwnd() == nullptr) return;
    SetDlgItemTextW(hwnd(), IDC_BACKUP_STATUS, name.c_str());
    SetDlgItemTextW(hwnd(), IDC_BACKUP_DEVICE, classDescription.c_str());
  });
}

void CBackupDlg::SetProgress(int percent) {
  m_Links.ui.Post(ReportKey(this, kReportProgress), [this, percent] {
    if (hwnd() != nullptr) {
      SendDlgItemMessageW(hwnd(), IDC_BACKUP_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    }
  });
}

void CBackupDlg::ShowMessage(const std::wstring& text, bool informationIcon) {
  m_Links.ui.Invoke([&] {
    MessageBoxW(hwnd(), text.c_str(), m_AppName.c_str(), MB_OK | (informationIcon ? MB_ICONINFORMATION : 0));
  });
}

bool CBackupDlg::AskYesNo(const std::wstring& text) {
  bool yes = false;
  m_Links.ui.Invoke([&] {
    yes = MessageBoxW(hwnd(), text.c_str(), m_AppName.c_str(), MB_YESNO | MB_ICONINFORMATION) == IDYES;
  });
  return yes;
}

void CBackupDlg::ShowRunControls() {
  OnUi([&] {
    ShowControls(hwnd(), kChoiceControls, false);
    ShowControls(hwnd(), kSummaryControls, false);
    EnableWindow(m_Start.hwnd(), FALSE);
    SetDlgItemTextW(hwnd(), IDC_BACKUP_STATUS, L"");
    SetDlgItemTextW(hwnd(), IDC_BACKUP_DEVICE, L"");
    ShowControls(hwnd(), kProgressControls, true);
    EnableWindow(m_Stop.hwnd(), TRUE);
    InvalidateRect(hwnd(), nullptr, FALSE);
  });
}

void CBackupDlg::SetDescription(const wchar_t* textKey) {
  OnUi([&] {
    m_pDescriptionKey = textKey;
    InvalidateRect(hwnd(), nullptr, FALSE);
  });
}

void CBackupDlg::SetStopEnabled(bool enabled) { OnUi([&] { EnableWindow(m_Stop.hwnd(), enabled); }); }

void CBackupDlg::SetBackupEnabled(bool enabled) { OnUi([&] { EnableWindow(m_Start.hwnd(), enabled); }); }

std::optional<std::vector<std::int32_t>> CBackupDlg::CheckedDevices() {
  std::optional<std::vector<std::int32_t>> numbers;
  OnUi([&] {
    if (m_Tree.hwnd() == nullptr) return;
    numbers.emplace();
    CollectChecked(m_Tree, NextItem(m_Tree.hwnd(), nullptr, TVGN_ROOT), *numbers);
  });
  return numbers;
}

void CBackupDlg::ShowSummary(const BackupSummary& summary) {
  OnUi([&] {
    ShowControls(hwnd(), kProgressControls, false);
    const std::wstring* values[4] = {&summary.total, &summary.selected, &summary.done, &summary.notDone};
    for (int i = 0; i < 4; ++i) SetDlgItemTextW(hwnd(), IDC_BACKUP_VALUE1 + i, values[i]->c_str());
    ShowControls(hwnd(), kSummaryControls, true);
    m_bSummaryShown = true;
    InvalidateRect(hwnd(), nullptr, FALSE);
  });
}

void CBackupDlg::StartResultTimer(int timerId) {
  OnUi([&] { SetTimer(hwnd(), static_cast<UINT_PTR>(timerId), kBackupResultDelayMs, nullptr); });
}

void CBackupDlg::PaintPage(HDC dc, const RECT& client) {
  PaintBackground(dc, client);
  PaintHeading(dc);
  // The long description fits the panel; the short line heads the tree.
  Text(dc, m_Texts.GetText(m_pDescriptionKey), 23, 52, kDarkText, 4, false, 700, 90);
  if (IsWindowVisible(m_Tree.hwnd())) {
    Text(dc, m_Texts.GetText(L"IDS_BACKUP_HEADING_INFO"), 23, 157, kHeadingColor, 4, false, 700, 18);
  }
}

}  // namespace velkor
