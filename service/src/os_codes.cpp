#include "os_codes.hpp"

#include <array>

#include "base/text.hpp"

namespace velkor::service {
namespace {

enum class Arch { kX86, kAmd64, kIa64 };

// A system as an INF models section sees it. Codes that stand for more than one
// system (11: Server 2008 of any processor; -1: Windows 7 and later of either
// common processor) have one row per system; the code is served when any of its
// systems installs from the section.
struct OsTarget {
  int code;
  Arch arch;
  int major;
  int minor;
  int productType;  // 1 workstation, 3 server
  std::uint32_t suite;
  bool readsDecorations;  // Windows XP and later
};

constexpr std::array kTargets = {
    OsTarget{1, Arch::kX86, 4, 10, 1, 0, false},
    OsTarget{2, Arch::kX86, 4, 90, 1, 0, false},
    OsTarget{10, Arch::kX86, 4, 0, 1, 0, false},
    OsTarget{3, Arch::kX86, 5, 0, 1, 0, false},
    OsTarget{17, Arch::kIa64, 5, 0, 3, 0, false},
    OsTarget{4, Arch::kX86, 5, 1, 1, 0, true},
    OsTarget{5, Arch::kX86, 5, 2, 3, 0, true},
    OsTarget{7, Arch::kAmd64, 5, 2, 1, 0, true},
    OsTarget{8, Arch::kAmd64, 5, 2, 3, 0, true},
    OsTarget{18, Arch::kIa64, 5, 2, 1, 0, true},
    OsTarget{19, Arch::kIa64, 5, 2, 3, 0, true},
    OsTarget{6, Arch::kX86, 6, 0, 1, 0, true},
    OsTarget{9, Arch::kAmd64, 6, 0, 1, 0, true},
    OsTarget{11, Arch::kX86, 6, 0, 3, 0, true},
    OsTarget{11, Arch::kAmd64, 6, 0, 3, 0, true},
    OsTarget{11, Arch::kIa64, 6, 0, 3, 0, true},
    OsTarget{14, Arch::kAmd64, 6, 1, 3, 0x8000, true},
    OsTarget{-1, Arch::kX86, 6, 1, 1, 0, true},
    OsTarget{-1, Arch::kAmd64, 6, 1, 1, 0, true},
};

const std::vector<int> kCodes = {-1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 17, 18, 19};

bool ArchMatches(const std::wstring& arch, Arch target) {
  if (arch.empty()) return true;
  switch (target) {
    case Arch::kX86: return arch == L"x86";
    case Arch::kAmd64: return arch == L"amd64";
    case Arch::kIa64: return arch == L"ia64";
  }
  return false;
}

bool DecorationMatches(const OsDecoration& d, const OsTarget& t) {
  if (!ArchMatches(d.arch, t.arch)) return false;
  if (d.major > t.major || (d.major == t.major && d.minor > t.minor)) return false;
  if (d.productType != 0 && d.productType != t.productType) return false;
  if ((t.suite & d.suiteMask) != d.suiteMask) return false;
  return true;
}

// Larger is more specific: a higher version first, then a named product type,
// then a named architecture.
long Specificity(const OsDecoration& d) {
  return (static_cast<long>(d.major) * 100 + d.minor) * 4 + (d.productType ? 2 : 0) +
         (d.arch.empty() ? 0 : 1);
}

// Reads a number written in decimal or as 0x-prefixed hexadecimal; false when the
// text is not one.
bool ReadNumber(std::wstring_view text, std::uint32_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 8) return false;
  std::uint32_t v = 0;
  for (wchar_t c : text) {
    int digit;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    else if (base == 16 && c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    else if (base == 16 && c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    else return false;
    v = v * base + digit;
  }
  value = v;
  return true;
}

}  // namespace

const std::vector<int>& KnownOsCodes() { return kCodes; }

std::uint32_t OsCodeBit(int code) {
  for (std::size_t i = 0; i < kCodes.size(); ++i) {
    if (kCodes[i] == code) return 1u << i;
  }
  return 0;
}

std::uint32_t AllOsCodeBits() { return (1u << kCodes.size()) - 1; }

std::uint32_t OsMaskForRequest(int code) {
  const std::uint32_t bit = OsCodeBit(code);
  return bit ? bit : OsCodeBit(-1);
}

std::vector<int> OsCodesInMask(std::uint32_t mask) {
  std::vector<int> codes;
  for (std::size_t i = 0; i < kCodes.size(); ++i) {
    if (mask & (1u << i)) codes.push_back(kCodes[i]);
  }
  return codes;
}

std::string OsCodesText(std::uint32_t mask) {
  std::string text;
  for (int code : OsCodesInMask(mask)) {
    if (!text.empty()) text += ',';
    text += std::to_string(code);
  }
  return text;
}

bool ParseOsDecoration(std::wstring_view text, OsDecoration& out) {
  const std::wstring lower = AsciiToLower(Trim(text));
  if (lower.size() < 2 || lower.compare(0, 2, L"nt") != 0) return false;
  std::vector<std::wstring> parts = SplitText(std::wstring_view(lower).substr(2), L'.');
  OsDecoration d;
  d.text = Trim(text);
  if (!parts.empty()) {
    d.arch = parts[0];
    if (!d.arch.empty() && d.arch != L"x86" && d.arch != L"amd64" && d.arch != L"ia64" &&
        d.arch != L"arm" && d.arch != L"arm64") {
      return false;
    }
  }
  std::uint32_t numbers[5] = {0, 0, 0, 0, 0};
  for (std::size_t i = 1; i < parts.size() && i <= 5; ++i) {
    // An empty field ("NTx86..1") keeps its default.
    if (!parts[i].empty() && !ReadNumber(parts[i], numbers[i - 1])) return false;
  }
  d.major = static_cast<int>(numbers[0] > 1000 ? 1000 : numbers[0]);
  d.minor = static_cast<int>(numbers[1] > 1000 ? 1000 : numbers[1]);
  d.productType = static_cast<int>(numbers[2] > 255 ? 255 : numbers[2]);
  d.suiteMask = numbers[3];
  out = std::move(d);
  return true;
}

ServedSections ServedByManufacturer(const std::vector<OsDecoration>& decorations,
                                    bool undecoratedExists) {
  ServedSections served;
  served.decorated.assign(decorations.size(), 0);
  for (const OsTarget& target : kTargets) {
    const std::uint32_t bit = OsCodeBit(target.code);
    int best = -1;
    if (target.readsDecorations) {
      for (std::size_t i = 0; i < decorations.size(); ++i) {
        if (!DecorationMatches(decorations[i], target)) continue;
        if (best < 0 || Specificity(decorations[i]) > Specificity(decorations[best])) {
          best = static_cast<int>(i);
        }
      }
    }
    if (best >= 0) {
      served.decorated[best] |= bit;
    } else if (undecoratedExists && (target.arch == Arch::kX86 || !target.readsDecorations)) {
      served.undecorated |= bit;
    }
  }
  return served;
}

}  // namespace velkor::service
