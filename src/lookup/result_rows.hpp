#pragma once
// The rows of the result list: the devices that have an update, grouped under
// a row per category, in the order of the sorted update list, each with its
// action (download the package, or install it when it is already here).

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "inventory/device_record.hpp"

namespace velkor {

// The integer each row carries.
inline constexpr int kRowCategory = -1;
inline constexpr int kRowDownload = 0;
inline constexpr int kRowInstall = 1;

struct ResultRow {
  int kind = kRowCategory;
  std::wstring text;        // the category, or the device name as shown
  std::int32_t device = -1; // the device whose class icon the row shows
};

struct ResultRows {
  std::vector<ResultRow> rows;
  // Row number (decimal) -> device number (decimal); device rows only.
  std::map<std::wstring, std::wstring> rowToDevice;
  // Device numbers of the listed devices in list order, joined by "|".
  std::wstring shownDevices;
};

// Longest device name shown whole; longer ones are cut and end in "...".
inline constexpr std::size_t kShownNameLimit = 58;
inline constexpr std::size_t kShownNameCut = 55;
std::wstring ShownDeviceName(const std::wstring& name);

// True when the package of this update is downloaded and verified.
using PackageReadyTest = std::function<bool(const DeviceRecord& update)>;

// Builds the rows from the update list ("ClassDescription|Name|number" texts)
// and the update table. Nothing is listed when the scan ended neither
// completed nor stopped (scanEnded false) or no update was found.
ResultRows BuildResultRows(const std::vector<std::wstring>& updateList, const RecordTable* updates,
                           bool scanEnded, std::int32_t updateCount, const PackageReadyTest& packageReady);

}  // namespace velkor
