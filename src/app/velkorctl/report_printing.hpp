#pragma once
// How velkorctl prints a device table and the updates an answer gave: shared by
// the commands that list devices (inventory, scan --for-backup) and those that
// read an answer (match, scan).

#include <cstdint>
#include <string>
#include <vector>

#include "app/velkorctl/console.hpp"
#include "inventory/device_record.hpp"

namespace velkor::ctl {

// One line per device (number, class, name, version, date, provider, hardware
// ID) under a heading, then "N devices".
void PrintDeviceTable(const RecordTable& table, std::int32_t count, const Console& console);

// Each device with an update and the update record's fields, then the sorted
// update list and the counts. With json: {"updateCount", "updates",
// "updateList"}. updates may be null (no answer was read): nothing is filled.
void PrintUpdates(const RecordTable& devices, std::int32_t deviceCount, const RecordTable* updates,
                  std::int32_t updateCount, const std::vector<std::wstring>& updateList, bool json,
                  const Console& console);

}  // namespace velkor::ctl
