#include "app/velkor/velkor_dlg.hpp"

#include <string>

#include "app/velkor/resource.h"
#include "app/velkor/velkor_app.hpp"
#include "core/single_instance.hpp"

namespace velkor {

CVelkorDlg::CVelkorDlg(CVelkorApp& app) : CApplicationState(app.m_TextTable.GetAppName()), m_App(app) {}

INT_PTR CVelkorDlg::DoModal() {
  return DialogBoxParamW(m_App.Instance(), MAKEINTRESOURCEW(IDD_VELKOR_DIALOG), nullptr, DialogProc,
                         reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CVelkorDlg::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CVelkorDlg*>(lparam);
    SetWindowLongPtrW(window, DWLP_USER, lparam);
    self->m_hWnd = window;
    self->OnInitDialog();
    return TRUE;
  }
  auto* self = reinterpret_cast<CVelkorDlg*>(GetWindowLongPtrW(window, DWLP_USER));
  return self != nullptr ? self->HandleMessage(message, wparam, lparam) : FALSE;
}

void CVelkorDlg::OnInitDialog() {
  SetWindowTextW(m_hWnd, m_App.m_TextTable.GetAppName().c_str());
  if (HFONT font = m_App.Font(5)) SendDlgItemMessageW(m_hWnd, IDC_START_MODE, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SetDlgItemTextW(m_hWnd, IDC_START_MODE, (L"Start mode: " + std::to_wstring(m_App.m_nStartMode)).c_str());
}

INT_PTR CVelkorDlg::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  (void)lparam;
  if (message == BringToFrontMessage() && message != 0) {
    OnBringToFront(wparam);
    return TRUE;
  }
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDCANCEL) {
        SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      // Never while a worker runs: it owns the shared state until it ends.
      if (!OperationInProgress()) EndDialog(m_hWnd, IDOK);
      return TRUE;
    default:
      return FALSE;
  }
}

void CVelkorDlg::OnBringToFront(WPARAM marker) {
  const std::wstring text = TakeBringToFrontMarker(marker);
  if (!ShouldBringToFront(IsWindowVisible(m_hWnd) != FALSE, text)) return;
  ShowWindow(m_hWnd, SW_SHOW);
  if (IsIconic(m_hWnd)) ShowWindow(m_hWnd, SW_RESTORE);
  BringWindowToTop(m_hWnd);
  SetForegroundWindow(m_hWnd);
}

void CVelkorDlg::SetCloseEnabled(bool enabled) {
  if (m_hWnd == nullptr) return;
  if (m_hCloseButton != nullptr && IsWindow(m_hCloseButton)) EnableWindow(m_hCloseButton, enabled);
  if (HMENU menu = GetSystemMenu(m_hWnd, FALSE)) {
    EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED | MF_DISABLED));
  }
}

void CVelkorDlg::SetNavigationEnabled(bool enabled) {
  for (HWND button : m_NavigationButtons) {
    if (IsWindow(button)) EnableWindow(button, enabled);
  }
}

}  // namespace velkor
