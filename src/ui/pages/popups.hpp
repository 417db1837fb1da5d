#pragma once
// The pop-ups of the overlay. Each exists from its template with its heading
// and skinned buttons; the flows that open them fill them.

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "core/text_table.hpp"
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
};
class CNagReportFeedbackDlg : public CPopupWithButtons {
 public:
  CNagReportFeedbackDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts);
};
class CNagDriverDetailsDlg : public CPopupWithButtons {
 public:
  CNagDriverDetailsDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts);
};
class CDownloadDlg : public CPopupWithButtons {
 public:
  CDownloadDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts);
};
class CNagBackupDlg : public CPopupWithButtons {
 public:
  CNagBackupDlg(const PageFonts& fonts, PopupHost& host, CTextTable& texts);
};

}  // namespace velkor
