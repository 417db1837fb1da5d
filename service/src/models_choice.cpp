#include "models_choice.hpp"

#include <tuple>

#include "base/text.hpp"

namespace velkor::service {
namespace {

struct ArchEntry {
  Arch arch;
  const char* name;
};
constexpr ArchEntry kArchs[] = {{Arch::kX86, "x86"},
                                {Arch::kAmd64, "amd64"},
                                {Arch::kIa64, "ia64"},
                                {Arch::kArm, "arm"},
                                {Arch::kArm64, "arm64"}};

// Reads a number written in decimal or as 0x-prefixed hexadecimal, at most eight
// digits; false when the text is not one.
bool ReadNumber(std::wstring_view text, std::uint32_t& value) {
  int base = 10;
  if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 8) return false;
  std::uint32_t v = 0;
  for (wchar_t c : text) {
    std::uint32_t digit;
    if (c >= L'0' && c <= L'9') digit = static_cast<std::uint32_t>(c - L'0');
    else if (base == 16 && c >= L'a' && c <= L'f') digit = static_cast<std::uint32_t>(c - L'a' + 10);
    else if (base == 16 && c >= L'A' && c <= L'F') digit = static_cast<std::uint32_t>(c - L'A' + 10);
    else return false;
    v = v * static_cast<std::uint32_t>(base) + digit;
  }
  value = v;
  return true;
}

// Larger is more specific. A system without a build (the client's code table)
// ranks as the choice always did for those systems: version, product type,
// architecture.
auto Specificity(const OsDecoration& d, const WindowsSystem& system) {
  const bool exact = system.build.has_value();
  return std::make_tuple(d.major, d.minor, exact ? d.build : 0u, d.productType != 0,
                         exact && d.suiteMask != 0, d.arch.has_value());
}

}  // namespace

const char* ArchName(Arch arch) {
  for (const ArchEntry& entry : kArchs) {
    if (entry.arch == arch) return entry.name;
  }
  return "";
}

std::optional<Arch> ArchFromName(std::wstring_view name) {
  const std::wstring lower = AsciiToLower(name);
  for (const ArchEntry& entry : kArchs) {
    if (lower.size() == std::char_traits<char>::length(entry.name) &&
        std::equal(lower.begin(), lower.end(), entry.name)) {
      return entry.arch;
    }
  }
  return std::nullopt;
}

WindowsSystem MakeWindowsSystem(Arch arch, std::uint32_t major, std::uint32_t minor,
                                std::optional<std::uint32_t> build, std::uint32_t productType,
                                std::uint32_t suiteMask) {
  WindowsSystem s;
  s.arch = arch;
  s.major = major;
  s.minor = minor;
  s.build = build;
  s.productType = productType;
  s.suiteMask = suiteMask;
  return s;
}

bool ParseOsDecoration(std::wstring_view text, OsDecoration& out) {
  const std::wstring lower = AsciiToLower(Trim(text));
  if (lower.size() < 2 || lower.compare(0, 2, L"nt") != 0) return false;
  const std::vector<std::wstring> parts = SplitText(std::wstring_view(lower).substr(2), L'.');
  OsDecoration d;
  d.text = Trim(text);
  if (!parts.empty() && !parts[0].empty()) {
    d.arch = ArchFromName(parts[0]);
    if (!d.arch) return false;
  }
  std::uint32_t numbers[5] = {0, 0, 0, 0, 0};
  for (std::size_t i = 1; i < parts.size() && i <= 5; ++i) {
    if (!parts[i].empty() && !ReadNumber(parts[i], numbers[i - 1])) return false;
  }
  d.major = numbers[0];
  d.minor = numbers[1];
  d.productType = numbers[2];
  d.suiteMask = numbers[3];
  d.build = numbers[4];
  out = std::move(d);
  return true;
}

std::wstring CanonicalDecoration(const OsDecoration& d) {
  std::wstring fields[5];
  if (d.major) fields[0] = std::to_wstring(d.major);
  if (d.minor) fields[1] = std::to_wstring(d.minor);
  if (d.productType) fields[2] = std::to_wstring(d.productType);
  if (d.suiteMask) fields[3] = std::to_wstring(d.suiteMask);
  if (d.build) fields[4] = std::to_wstring(d.build);
  int last = 4;
  while (last >= 0 && fields[last].empty()) --last;
  // A version before a later field is written out, even as 0 ("10.0...16299").
  for (int i = 0; i < 2 && i < last; ++i) {
    if (fields[i].empty()) fields[i] = L"0";
  }
  std::wstring text = L"nt";
  if (d.arch) {
    const char* name = ArchName(*d.arch);
    text.append(name, name + std::char_traits<char>::length(name));
  }
  for (int i = 0; i <= last; ++i) text += L"." + fields[i];
  return text;
}

bool DecorationMatches(const OsDecoration& d, const WindowsSystem& s) {
  if (d.arch && *d.arch != s.arch) return false;
  // The version (with the build, where the system tells it) must not be higher
  // than the system's.
  const std::uint32_t systemBuild = s.build.value_or(0xFFFFFFFFu);
  if (std::make_tuple(d.major, d.minor, d.build) > std::make_tuple(s.major, s.minor, systemBuild)) {
    return false;
  }
  if (d.productType != 0 && d.productType != s.productType) return false;
  return (s.suiteMask & d.suiteMask) == d.suiteMask;
}

int ChooseModelsSection(const std::vector<OsDecoration>& decorations, bool undecoratedExists,
                        const WindowsSystem& system) {
  if (system.ReadsDecorations()) {
    int best = -1;
    for (std::size_t i = 0; i < decorations.size(); ++i) {
      if (!DecorationMatches(decorations[i], system)) continue;
      if (best < 0 || Specificity(decorations[i], system) > Specificity(decorations[best], system)) {
        best = static_cast<int>(i);
      }
    }
    if (best >= 0) return best;
    // Only x86 systems fall back to the undecorated section: every other
    // architecture needs a decoration of its own.
    if (system.arch != Arch::kX86) return kNoSection;
  }
  return undecoratedExists ? kUndecoratedSection : kNoSection;
}

}  // namespace velkor::service
