#pragma once
// The system's table of signed drivers, as far as one scan needs it: which
// signer belongs to a device, looked up by the device's display name.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

struct SignerRow {
  std::wstring DeviceName;
  std::wstring Signer;
  std::wstring FriendlyName;
};

inline constexpr std::size_t kSignerTableCapacity = 2048;

class SignerTable {
 public:
  // Keeps the first rows up to the capacity; later rows are counted as dropped.
  bool Add(SignerRow row);
  void Clear();
  std::size_t Count() const { return rows_.size(); }
  std::size_t Dropped() const { return dropped_; }
  const std::vector<SignerRow>& Rows() const { return rows_; }
  // The signer of the first row whose DeviceName or FriendlyName equals name
  // without regard to case; empty when no row matches.
  std::wstring SignerFor(std::wstring_view name) const;

 private:
  std::vector<SignerRow> rows_;
  std::size_t dropped_ = 0;
};

}  // namespace velkor
