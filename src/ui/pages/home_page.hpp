#pragma once
// The home page: the invitation to scan, the machine summary, and the state of
// the last scan as numbers and as a small bar chart.

#include <cstdint>
#include <functional>
#include <string>

#include "core/text_table.hpp"
#include "ui/controls/hyperlink_button.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/controls/transparent_static.hpp"
#include "ui/pages/global_ui.hpp"

namespace velkor {

class CWelcomeDlg : public CGlobalUI {
 public:
  // Reads the stored scan record and gathers the system values.
  CWelcomeDlg(const PageFonts& fonts, CTextTable& texts, std::function<void()> startScan);

  std::wstring m_strLastScan;
  std::int32_t m_nHomeOutOfDate = 0;
  std::int32_t m_nHomeUpToDate = 0;
  std::int32_t m_nHomeTotal = 0;
  std::wstring m_strOperatingSystem;
  std::wstring m_strTotalMemory;
  std::wstring m_strProcessor;
  std::wstring m_strModel;

  // The scan status line as the page shows it.
  std::wstring ScanStatusText();

 protected:
  void OnInitPage() override;
  void OnShown(bool visible) override;
  bool OnCommand(int id, int code) override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  void RefreshValues();
  void PaintChart(HDC dc) const;

  CTextTable& m_Texts;
  std::function<void()> m_StartScan;
  CHoverButton4SWithText m_ScanButton;
  ChyperlinkBtn m_StartScanLink, m_OutOfDateLink, m_ScanNowLink, m_WebLink;
  CTransparentStatic2 m_Labels[10];
};

}  // namespace velkor
