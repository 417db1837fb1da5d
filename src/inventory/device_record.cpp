#include "inventory/device_record.hpp"

namespace velkor {

DeviceRecord::~DeviceRecord() = default;
DeviceRecord::DeviceRecord(DeviceRecord&&) noexcept = default;
DeviceRecord& DeviceRecord::operator=(DeviceRecord&&) noexcept = default;

DeviceRecord::DeviceRecord(const DeviceRecord& other)
    : Name(other.Name),
      InfPath(other.InfPath),
      DriverVersion(other.DriverVersion),
      ClassDescription(other.ClassDescription),
      Spare(other.Spare),
      Provider(other.Provider),
      HardwareId(other.HardwareId),
      DriverKey(other.DriverKey),
      DriverDate(other.DriverDate),
      Service(other.Service),
      Signer(other.Signer),
      ServerInfPath(other.ServerInfPath),
      Md5(other.Md5),
      ServerHardwareId(other.ServerHardwareId),
      MatchingIds(other.MatchingIds),
      Tag(other.Tag),
      IsSpecificCase(other.IsSpecificCase),
      IsInstall(other.IsInstall) {}

DeviceRecord& DeviceRecord::operator=(const DeviceRecord& other) {
  if (this != &other) {
    DeviceRecord copy(other);
    copy.Next = std::move(Next);  // the table this slot owns stays with it
    *this = std::move(copy);
  }
  return *this;
}

DeviceRecord* RecordTable::Slot(std::int64_t number) {
  if (number < 0 || static_cast<std::uint64_t>(number) >= slots_.size()) return nullptr;
  return &slots_[static_cast<std::size_t>(number)];
}

const DeviceRecord* RecordTable::Slot(std::int64_t number) const {
  if (number < 0 || static_cast<std::uint64_t>(number) >= slots_.size()) return nullptr;
  return &slots_[static_cast<std::size_t>(number)];
}

DriverState StateOf(const DeviceRecord* update_slot, bool scanned) {
  if (!scanned) return DriverState::NotScanned;
  if (update_slot != nullptr && !update_slot->HardwareId.empty()) return DriverState::OutOfDate;
  return DriverState::UpToDate;
}

}  // namespace velkor
