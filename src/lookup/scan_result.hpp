#pragma once
// What a scan run leaves behind: the device table with the update table hung
// off its first record, the counts, the update list, the summary texts of the
// result page, the home page's record of the last scan, and the rows the
// result list shows. One owned value: the application state keeps it (the
// window program and the console each have one), the scan run fills it, and
// the pages and the later flows (download, install, backup) read it.
//
// Threads: the scan worker writes it between BeginOperation and EndOperation;
// the pages read it only after the run has handed over (which is a call on
// the UI thread, so everything the worker wrote is visible by then).

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "inventory/classification.hpp"
#include "inventory/device_record.hpp"
#include "lookup/markup_document.hpp"
#include "lookup/result_rows.hpp"
#include "lookup/update_lookup.hpp"

namespace velkor {

struct ScanResult {
  // The device table; its first record owns the update table of the last scan.
  RecordTable m_Devices{kDeviceTableCapacity};
  std::int32_t m_nDeviceCount = 0;
  std::int32_t m_nUpdateCount = 0;
  // The last inventory ended, completed or stopped (set by the worker, and by
  // the stop thread when the inventory acknowledged a stop).
  std::atomic<bool> m_bScanFinished{false};
  ClassificationSets m_Sets;
  // The lookup object and the document it builds the request and reads the
  // answer in.
  CXml m_Xml;
  CMarkup m_XmlDocument;
  // "ClassDescription|Name|number" of each device with an update, sorted.
  std::vector<std::wstring> m_UpdateList;
  // The result page's summary.
  std::wstring m_strScanStartTime;
  std::wstring m_strScanDuration;
  std::wstring m_strScanTotal;
  // The home page's record of the last scan (read from the stored values at
  // start, replaced by a run under the rule of the stored counts).
  std::wstring m_strLastScan;
  std::int32_t m_nHomeOutOfDate = 0;
  std::int32_t m_nHomeUpToDate = 0;
  std::int32_t m_nHomeTotal = 0;
  // What the result list shows, filled when the list is filled: the typed
  // rows (row number = index; the row's kind changes as its package is
  // downloaded and installed) and their text forms.
  std::vector<ResultRow> m_Rows;
  std::map<std::wstring, std::wstring> m_RowToDevice;
  std::wstring m_strShownDevices;

  // The update table of the last scan, or null before any answer was read.
  const RecordTable* Updates() const { return m_Devices.Capacity() > 0 ? m_Devices[0].Next.get() : nullptr; }
  // The update of a device, or null when it has none (or is out of range).
  const DeviceRecord* UpdateOf(std::int32_t device) const;
  // The device a result row shows, or -1 (category rows, rows out of range).
  std::int32_t DeviceOfRow(int row) const;
};

// The home page's record from the values stored under the product key
// ("LastScan", "OutofDate", "UpToDate", "TotalDrivers").
void LoadStoredScanRecord(ScanResult& result, const std::function<std::wstring(const wchar_t* name)>& readValue);

}  // namespace velkor
