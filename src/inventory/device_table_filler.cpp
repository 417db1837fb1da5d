#include "inventory/device_table_filler.hpp"

namespace velkor {

bool DeviceTableFiller::Add(const DeviceRecord& record) {
  DeviceRecord* slot = table_.Slot(count_);
  if (slot == nullptr) return false;
  *slot = record;  // the copy never takes a Next; slot 0 keeps the update table it owns
  ++count_;
  return true;
}

}  // namespace velkor
