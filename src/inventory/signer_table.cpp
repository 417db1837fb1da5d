#include "inventory/signer_table.hpp"

#include "base/text.hpp"

namespace velkor {

bool SignerTable::Add(SignerRow row) {
  if (rows_.size() >= kSignerTableCapacity) {
    ++dropped_;
    return false;
  }
  rows_.push_back(std::move(row));
  return true;
}

void SignerTable::Clear() {
  rows_.clear();
  dropped_ = 0;
}

std::wstring SignerTable::SignerFor(std::wstring_view name) const {
  for (const SignerRow& row : rows_) {
    if (AsciiEqualsNoCase(row.DeviceName, name) || AsciiEqualsNoCase(row.FriendlyName, name)) {
      return row.Signer;
    }
  }
  return {};
}

}  // namespace velkor
