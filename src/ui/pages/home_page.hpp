#pragma once
// The home page: the invitation to scan, the machine summary, and the state of
// the last scan as numbers and as a small bar chart.

#include <cstdint>
#include <functional>
#include <string>

#include "core/text_table.hpp"
#include "lookup/scan_result.hpp"
#include "ui/controls/hyperlink_button.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/controls/transparent_static.hpp"
#include "ui/pages/global_ui.hpp"

namespace velkor {

class CWelcomeDlg : public CGlobalUI {
 public:
  // Gathers the system values. The record of the last scan (m_strLastScan and
  // the three counts) is the scan result's, which the application state loads
  // from the stored values at start and the scan run replaces.
  CWelcomeDlg(const PageFonts& fonts, CTextTable& texts, const ScanResult& scan, std::function<void()> startScan);

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
  const ScanResult& m_Scan;
  std::function<void()> m_StartScan;
  CHoverButton4SWithText m_ScanButton;
  ChyperlinkBtn m_StartScanLink, m_OutOfDateLink, m_ScanNowLink, m_WebLink;
  CTransparentStatic2 m_Labels[10];
};

}  // namespace velkor
