#include "ui/pages/popups.hpp"

#include <commctrl.h>

#include "ui/pages/work_pages.hpp"
#include "ui/resources/ui_resource_ids.h"

namespace velkor {

CPopupWithButtons::CPopupWithButtons(int templateId, const PageFonts& fonts, PopupHost& host, std::wstring heading,
                                     std::initializer_list<int> buttons)
    : CGlobalUINag(templateId, fonts, host), m_ButtonIds(buttons) {
  SetHeading(std::move(heading));
}

void CPopupWithButtons::OnInitPopup() {
  for (int id : m_ButtonIds) {
    m_Buttons.push_back(std::make_unique<CHoverButton4SWithText>());
    SkinActionButton(*m_Buttons.back(), hwnd(), id);
  }
}

CNagInstallDriverDlg::CNagInstallDriverDlg(const PageFonts& fonts, PopupHost& host, CTextTable&)
    : CPopupWithButtons(IDD_INSTALL_DRIVER, fonts, host, L"Install Driver", {IDC_INSTALL_YES, IDC_INSTALL_NO}) {}

bool CNagInstallDriverDlg::OnPopupCommand(int id, int code) {
  if (id != IDC_INSTALL_NO || code != BN_CLICKED) return false;
  // Ignored when the click came from the keyboard.
  if (GetKeyState(VK_RETURN) < 0 || GetKeyState(VK_ESCAPE) < 0) return true;
  ClosePopup();
  if (m_OnDismiss) m_OnDismiss();
  return true;
}

void CNagInstallDriverDlg::OnClosing() {
  if (m_OnDismiss) m_OnDismiss();
}

CNagDriverDetailsDlg::CNagDriverDetailsDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts)
    : CPopupWithButtons(IDD_DRIVER_DETAILS, fonts, host, texts.GetText(L"IDS_DRIVER_DETAILS_DESC1"), {}),
      m_Texts(texts) {}

void CNagDriverDetailsDlg::ShowDevice(const DeviceRecord& device) {
  SetDlgItemTextW(hwnd(), IDC_DETAILS_NAME, device.Name.c_str());
  SetDlgItemTextW(hwnd(), IDC_DETAILS_DATE, device.DriverDate.c_str());
  SetDlgItemTextW(hwnd(), IDC_DETAILS_VERSION, device.DriverVersion.c_str());
  SetDlgItemTextW(hwnd(), IDC_DETAILS_PROVIDER, device.Provider.c_str());
}

void CNagDriverDetailsDlg::PaintPage(HDC dc, const RECT& client) {
  CPopupWithButtons::PaintPage(dc, client);
  const wchar_t* labels[] = {L"IDS_DRIVER_DETAILS_DESC2", L"IDS_DRIVER_DETAILS_DESC3", L"IDS_DRIVER_DETAILS_DESC4"};
  int y = 120;
  for (const wchar_t* key : labels) {
    Text(dc, m_Texts.GetText(key), 25, y, kDarkText, 2, false, 140, 18);
    y += 28;
  }
}

CNagBackupDlg::CNagBackupDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts)
    : CPopupWithButtons(IDD_BACKUP_BEFORE_INSTALL, fonts, host, texts.GetText(L"IDS_BACKUP_HEADING"),
                        {IDC_NAG_BACKUP_STOP}) {}

}  // namespace velkor
