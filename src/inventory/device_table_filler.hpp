#pragma once
// Copies the records a scan lists into the device table, densely from 0. The
// application state installs it (through a progress callback) for the scan; the
// console front end uses it the same way.

#include <cstdint>

#include "inventory/device_record.hpp"

namespace velkor {

class DeviceTableFiller {
 public:
  explicit DeviceTableFiller(RecordTable& table) : table_(table) {}

  // Copies record into the slot at the copy cursor and advances it. False (and
  // nothing written) when the table is full.
  bool Add(const DeviceRecord& record);
  // How many slots are filled.
  std::int32_t Count() const { return count_; }
  // Starts over at slot 0 (the slots themselves are left to the table's owner).
  void Reset() { count_ = 0; }

 private:
  RecordTable& table_;
  std::int32_t count_ = 0;
};

}  // namespace velkor
