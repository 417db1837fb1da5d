#include "inventory/signed_driver_table.hpp"

#include "inventory/wmi_query_win.hpp"

namespace velkor {
namespace {

// Texts longer than this are no device name or signer; they are cut.
constexpr std::size_t kMaxSignerText = 1024;

}  // namespace

bool LoadSignedDriverTable(SignerTable& table) {
  if (!EnsureWmiServiceRunning()) return false;
  table.Clear();
  const bool asked = RunWmiQuery(L"Select * from Win32_PnPSignedDriver", [&](IWbemClassObject& row) {
    // Past the table's capacity the remaining rows are read and dropped, so
    // the query still completes normally.
    table.Add(SignerRow{WmiPropertyText(row, L"DeviceName", kMaxSignerText),
                        WmiPropertyText(row, L"Signer", kMaxSignerText),
                        WmiPropertyText(row, L"FriendlyName", kMaxSignerText)});
  });
  return asked && table.Count() > 0;
}

}  // namespace velkor
