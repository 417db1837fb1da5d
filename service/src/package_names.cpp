#include "package_names.hpp"

namespace velkor::service {

bool IsSafePackageName(std::string_view name) {
  if (name.empty() || name.size() > kMaxPackageNameBytes) return false;
  std::size_t start = 0;
  while (true) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    const std::string_view part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    for (char c : part) {
      const auto u = static_cast<unsigned char>(c);
      if (u < 0x20 || u == 0x7F || c == '\\' || c == ':') return false;
    }
    if (end == name.size()) return true;
    start = end + 1;
  }
}

std::string EncodePackageName(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    const bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    }
  }
  return out;
}

}  // namespace velkor::service
