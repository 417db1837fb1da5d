#pragma once
// The scan result page: the summary of the last scan with its small chart, and
// the list of devices that have an update, grouped by category, each with its
// action (download or install), a details icon and a feedback icon.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/list_file.hpp"
#include "core/text_table.hpp"
#include "inventory/device_record.hpp"
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

// The scan data the page shows and the state it fills. The application state
// keeps it; the page reads it when it fills its list and when it is shown.
struct ScanResultState {
  const RecordTable* devices = nullptr;  // the device table; its first record owns the updates
  const std::int32_t* deviceCount = nullptr;
  const std::int32_t* updateCount = nullptr;
  const std::atomic<bool>* scanFinished = nullptr;  // the last inventory completed or was stopped
  const std::vector<std::wstring>* updateList = nullptr;
  const StringMap* downloadList = nullptr;
  const std::wstring* scanStartTime = nullptr;
  const std::wstring* scanDuration = nullptr;
  const std::wstring* scanTotal = nullptr;
  const CClassImageList* classImages = nullptr;
  // Filled by PopulateResults.
  std::map<std::wstring, std::wstring>* rowToDevice = nullptr;  // m_RowToDevice
  std::wstring* shownDevices = nullptr;                         // m_strShownDevices
};

// What a click in the list asks of the application.
struct ResultPageActions {
  std::function<void(std::int32_t device, int row)> download;  // pop-up 10 and the download
  std::function<void(int row)> install;                        // pop-up 5
  std::function<void(std::int32_t device)> details;            // pop-up 9 with the device
  std::function<void()> feedback;                              // pop-up 8
};

class CScanResultDlg : public CGlobalUI {
 public:
  CScanResultDlg(const PageFonts& fonts, CTextTable& texts, ScanResultState state, ResultPageActions actions);
  // Told when the page is shown or hidden (the header swaps its scan buttons).
  std::function<void(bool visible)> m_OnVisibility;
  CFancyListCtrl m_List;

  // Fills the list from the scan data (rows, m_RowToDevice, m_strShownDevices).
  void PopulateResults();

 protected:
  void OnInitPage() override;
  void OnShown(bool visible) override;
  INT_PTR OnPageMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  void OnListClick(POINT point);
  void PaintChart(HDC dc) const;
  void PaintLegend(HDC dc) const;

  CTextTable& m_Texts;
  ScanResultState m_State;
  ResultPageActions m_Actions;
  CHoverButton4SWithText m_DownloadAll, m_InstallAll;
  CTransparentStatic2 m_Labels[5];
  UniqueImageList m_StatusImages;
};

}  // namespace velkor
