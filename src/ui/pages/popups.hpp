#pragma once
// The pop-ups of the overlay. Each exists from its template with its heading
// and skinned buttons; the flows that open them fill them.

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/text_table.hpp"
#include "inventory/device_record.hpp"
#include "ui/pages/popup_base.hpp"

namespace velkor {

class CPopupWithButtons : public CGlobalUINag {
 public:
  CPopupWithButtons(int templateId, const PageFonts& fonts, PopupHost& host, std::wstring heading,
                    std::initializer_list<int> buttons);

 protected:
  void OnInitPopup() override;

 private:
  std::vector<int> m_ButtonIds;
  std::vector<std::unique_ptr<CHoverButton4SWithText>> m_Buttons;
};

class CNagInstallDriverDlg : public CPopupWithButtons {
 public:
  CNagInstallDriverDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts);
  // "Don't Install" and the close box: the pop-up closes, and this ends the
  // busy state that the download-all run kept for the install.
  std::function<void()> m_OnDismiss;

 protected:
  bool OnPopupCommand(int id, int code) override;
  void OnClosing() override;
};
class CNagDriverDetailsDlg : public CPopupWithButtons {
 public:
  CNagDriverDetailsDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts);
  // Shows the installed driver of a device: its name, date, version and
  // provider. A field the device lacks shows empty, never another device's value.
  void ShowDevice(const DeviceRecord& device);

 protected:
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  CTextTable& m_Texts;
};
class CNagBackupDlg : public CPopupWithButtons {
 public:
  CNagBackupDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts);
};

}  // namespace velkor
