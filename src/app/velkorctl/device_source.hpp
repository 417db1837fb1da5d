#pragma once
// Where the commands that work on a device table get it from: a saved
// inventory (the JSON of 'velkorctl inventory --json') or a scan of this
// machine. Also reads the files the commands are given.

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/velkorctl/console.hpp"
#include "inventory/device_record.hpp"

namespace velkor::ctl {

// Reads a whole file of at most `limit` bytes. On failure error says why.
bool ReadFileBytes(const std::wstring& path, std::size_t limit, std::string& bytes, std::wstring& error);

// Scans this machine into table (count = devices listed). With showProgress a
// progress line is redrawn in place on the console. Ctrl+C stops the scan. On
// failure the reason is printed and the result is false.
bool ScanThisMachine(RecordTable& table, std::int32_t& count, const Console& console, bool showProgress);

// Fills table and count from the saved inventory at inventoryPath, or by
// scanning this machine when the path is empty. On failure the reason is
// printed and the result is false.
bool LoadDeviceTable(const std::wstring& inventoryPath, RecordTable& table, std::int32_t& count,
                     const Console& console);

}  // namespace velkor::ctl
