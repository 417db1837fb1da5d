#pragma once
// The scan result page: the summary of the last scan with its small chart, and
// the list of devices that have an update, grouped by category, each with its
// action (download or install), a details icon and a feedback icon.

#include <cstdint>
#include <functional>
#include <string>

#include "core/list_file.hpp"
#include "core/text_table.hpp"
#include "inventory/device_record.hpp"
#include "lookup/scan_result.hpp"
#include "ui/controls/class_images.hpp"
#include "ui/controls/fancy_list_ctrl.hpp"
#include "ui/controls/image_list.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/controls/transparent_static.hpp"
#include "ui/pages/global_ui.hpp"

namespace velkor {

// Column order of the result list.
inline constexpr int kResultColumnDescription = 0;
inline constexpr int kResultColumnStatus = 1;
inline constexpr int kResultColumnDetails = 2;
inline constexpr int kResultColumnFeedback = 3;

// What the page shows: the last scan (whose rows it fills), the download list
// that says which packages are here, and the class pictures.
struct ResultPageLinks {
  ScanResult& scan;
  const StringMap& downloadList;
  const CClassImageList* classImages;
};

// What a click in the list asks of the application.
struct ResultPageActions {
  std::function<void(std::int32_t device, int row)> download;  // the download pop-up and its download
  std::function<void(int row)> install;                        // the install confirmation
  std::function<void(std::int32_t device)> details;            // the driver details pop-up
  std::function<void()> feedback;                              // the feedback pop-up
  std::function<void()> downloadAll;                           // the download pop-up and every row's download
};

class CScanResultDlg : public CGlobalUI {
 public:
  CScanResultDlg(const PageFonts& fonts, CTextTable& texts, ResultPageLinks links, ResultPageActions actions);
  // Told when the page is shown or hidden (the header swaps its scan buttons).
  std::function<void(bool visible)> m_OnVisibility;
  CFancyListCtrl m_List;

  // Fills the list from the scan (its rows, m_RowToDevice, m_strShownDevices).
  void PopulateResults();
  // A device row's new state (downloaded, installed): the scan's typed row,
  // the list row's item data and its status word, redrawn.
  void SetRowKind(int row, int kind);

 protected:
  void OnInitPage() override;
  void OnShown(bool visible) override;
  bool OnCommand(int id, int code) override;
  INT_PTR OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  void OnListClick(POINT point);
  void PaintChart(HDC dc) const;
  void PaintLegend(HDC dc) const;

  CTextTable& m_Texts;
  ResultPageLinks m_Links;
  ResultPageActions m_Actions;
  CHoverButton4SWithText m_DownloadAll, m_InstallAll;
  CTransparentStatic2 m_Labels[5];
  UniqueImageList m_StatusImages;
};

}  // namespace velkor
