#pragma once
// The record the whole engine works on: one device with its installed driver, or
// the update service's answer for one device. The same record type serves both
// tables of the inventory; each field's meaning in the update table is given where
// the answer is read.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velkor {

class RecordTable;

struct DeviceRecord {
  // Texts: empty means absent; every reader treats the two alike.
  std::wstring Name;
  std::wstring InfPath;
  std::wstring DriverVersion;
  std::wstring ClassDescription;
  std::wstring Spare;
  std::wstring Provider;
  std::wstring HardwareId;
  std::wstring DriverKey;
  std::wstring DriverDate;
  std::wstring Service;
  std::wstring Signer;
  std::wstring ServerInfPath;
  std::wstring Md5;
  std::wstring ServerHardwareId;
  std::wstring MatchingIds;
  std::int32_t Tag = 0;
  std::int32_t IsSpecificCase = 0;
  std::int32_t IsInstall = 0;
  // Set only on the first record of the device table: it owns the update table.
  std::unique_ptr<RecordTable> Next;

  DeviceRecord() = default;
  ~DeviceRecord();
  // A copy takes every text and number but never the table that Next owns.
  DeviceRecord(const DeviceRecord& other);
  DeviceRecord& operator=(const DeviceRecord& other);
  DeviceRecord(DeviceRecord&&) noexcept;
  DeviceRecord& operator=(DeviceRecord&&) noexcept;
};

// A fixed number of zeroed slots, addressed by device number. Indexing outside
// the table is not possible through Slot(): numbers that come from outside (an
// answer's driverid, an index file) are checked there.
class RecordTable {
 public:
  explicit RecordTable(std::size_t capacity) : slots_(capacity) {}

  std::size_t Capacity() const { return slots_.size(); }
  // Null for a number outside the table.
  DeviceRecord* Slot(std::int64_t number);
  const DeviceRecord* Slot(std::int64_t number) const;
  // For numbers the program made itself and knows to be in range.
  DeviceRecord& operator[](std::size_t number) { return slots_.at(number); }
  const DeviceRecord& operator[](std::size_t number) const { return slots_.at(number); }

 private:
  std::vector<DeviceRecord> slots_;
};

// Capacities of the inventory's tables.
inline constexpr std::size_t kDeviceTableCapacity = 2048;  // device and update table
inline constexpr std::size_t kScanTableCapacity = 1024;    // devices listed by one scan

// What the interface shows for a device.
enum class DriverState { OutOfDate, UpToDate, NotScanned };

// A device is out of date when its update slot names a hardware ID.
DriverState StateOf(const DeviceRecord* update_slot, bool scanned);

}  // namespace velkor
