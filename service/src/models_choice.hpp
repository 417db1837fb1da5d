#pragma once
// Which models section of an INF's [Manufacturer] entry a Windows system installs
// from: the TargetOSVersion decorations
// NT[arch][.major[.minor[.productType[.suiteMask[.build]]]]] as Windows reads
// them, and its choice of the most specific one that matches the system.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::service {

enum class Arch { kX86, kAmd64, kIa64, kArm, kArm64 };

// "x86", "amd64", "ia64", "arm", "arm64": the names of the decorations.
const char* ArchName(Arch arch);
std::optional<Arch> ArchFromName(std::wstring_view name);  // ASCII case ignored

// One system as the choice sees it.
struct WindowsSystem {
  Arch arch = Arch::kX86;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  // Unknown for the systems of the client's code table: their build numbers are
  // neither compared nor used to rank decorations, and neither are suite masks
  // (so the mask each code is served with stays what it always was).
  std::optional<std::uint32_t> build;
  std::uint32_t productType = 1;  // 1 workstation, 2 domain controller, 3 server
  std::uint32_t suiteMask = 0;
  // Windows XP and later read decorations; earlier systems take only the
  // undecorated section.
  bool ReadsDecorations() const { return major > 5 || (major == 5 && minor >= 1); }
};

WindowsSystem MakeWindowsSystem(Arch arch, std::uint32_t major, std::uint32_t minor,
                                std::optional<std::uint32_t> build, std::uint32_t productType = 1,
                                std::uint32_t suiteMask = 0);

// One decoration of a [Manufacturer] entry, as parsed.
struct OsDecoration {
  std::wstring text;  // as written, for naming the models section
  std::optional<Arch> arch;  // none: every architecture
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t productType = 0;  // 0 = any
  std::uint32_t suiteMask = 0;
  std::uint32_t build = 0;  // 0 = any
};

// False for text that is not an NT decoration (those sections are never used by
// an NT system). Numbers are decimal or 0x-prefixed hexadecimal; an empty field
// keeps its default ("NTamd64.10.0...16299": no product type, no suite mask).
bool ParseOsDecoration(std::wstring_view text, OsDecoration& out);

// The decoration's text in one canonical form: lower case, numbers in decimal,
// trailing empty fields dropped ("ntamd64.10.0...16299"). It parses back to the
// same decoration.
std::wstring CanonicalDecoration(const OsDecoration& decoration);

bool DecorationMatches(const OsDecoration& decoration, const WindowsSystem& system);

// The section a system installs from, given the decorations of one entry whose
// models sections exist and whether its undecorated section exists: the index
// of the most specific matching decoration (a higher version first, with the
// build where the system has one, then a named product type, a named suite mask
// and a named architecture; the first listed among equals); else the
// undecorated section where Windows takes it (x86 systems, and systems before
// XP, which read nothing else); else none.
inline constexpr int kUndecoratedSection = -1;
inline constexpr int kNoSection = -2;
int ChooseModelsSection(const std::vector<OsDecoration>& decorations, bool undecoratedExists,
                        const WindowsSystem& system);

}  // namespace velkor::service
