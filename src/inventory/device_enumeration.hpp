#pragma once
// Listing the machine's present devices into records: which devices are left
// out, which value wins for each field, and how progress is reported.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "inventory/classification.hpp"
#include "inventory/device_record.hpp"
#include "inventory/enumeration_platform.hpp"
#include "inventory/signer_table.hpp"
#include "inventory/stop_handshake.hpp"

namespace velkor {

// Called once per enumerated device: with the finished record when the device
// is listed, with null when it is left out. percent is 0..100. The record lives
// in the scan's own table; the receiver copies what it keeps.
using ProgressCallback = std::function<void(const DeviceRecord* record, int percent)>;

// One scan: its table of listed devices, its classification sets and signer
// table. Lives for one RunDeviceScan.
class ScanContext {
 public:
  ScanContext(EnumerationPlatform& platform, StopHandshake& stop, ProgressCallback progress);

  // Result: 32 completed, 18 stopped by the user, 33 failed.
  std::int32_t EnumerateDevices();

  // Devices that were not listed because the scan table was full (they are
  // reported to the callback as left out). Zero on any real machine.
  std::size_t DroppedDevices() const { return dropped_; }

 private:
  std::int32_t Stop();
  DeviceRecord* NextFreeSlot();
  std::wstring MatchingIdsFor(const std::wstring& matchingId, const std::wstring& hardwareId);

  EnumerationPlatform& platform_;
  StopHandshake& stop_;
  ProgressCallback progress_;
  std::wstring windowsFolder_;
  ClassificationSets sets_;
  RecordTable table_;
  std::size_t nextFree_ = 0;
  std::size_t dropped_ = 0;
  SignerTable signers_;
};

// Builds a scan context, runs the enumeration and returns its result; anything
// thrown inside yields 33. dropped (optional) receives DroppedDevices().
std::int32_t RunDeviceScan(EnumerationPlatform& platform, StopHandshake& stop,
                           ProgressCallback progress, std::size_t* dropped = nullptr);

}  // namespace velkor
