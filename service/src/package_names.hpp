#pragma once
// Names of package files as the catalog keeps them and as URLs carry them:
// relative, "/"-separated, and never able to name anything outside the packages
// folder.

#include <string>
#include <string_view>

namespace velkor::service {

inline constexpr std::size_t kMaxPackageNameBytes = 1024;

// True for a relative "/"-separated path of plain parts: no empty, "." or ".."
// part, no backslash, colon or control character, not too long.
bool IsSafePackageName(std::string_view name);

// The name percent-encoded for a URL path, "/" kept between its parts.
std::string EncodePackageName(std::string_view name);

}  // namespace velkor::service
