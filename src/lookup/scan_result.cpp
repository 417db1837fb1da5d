#include "lookup/scan_result.hpp"

#include "base/text.hpp"

namespace velkor {

const DeviceRecord* ScanResult::UpdateOf(std::int32_t device) const {
  const RecordTable* updates = Updates();
  const DeviceRecord* update = updates != nullptr ? updates->Slot(device) : nullptr;
  return update != nullptr && !update->HardwareId.empty() ? update : nullptr;
}

std::int32_t ScanResult::DeviceOfRow(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= m_Rows.size()) return -1;
  const ResultRow& shown = m_Rows[static_cast<std::size_t>(row)];
  return shown.kind == kRowCategory ? -1 : shown.device;
}

void LoadStoredScanRecord(ScanResult& result, const std::function<std::wstring(const wchar_t* name)>& readValue) {
  result.m_strLastScan = readValue(L"LastScan");
  result.m_nHomeOutOfDate = ParseDecimal(readValue(L"OutofDate"));
  result.m_nHomeUpToDate = ParseDecimal(readValue(L"UpToDate"));
  result.m_nHomeTotal = ParseDecimal(readValue(L"TotalDrivers"));
}

}  // namespace velkor
