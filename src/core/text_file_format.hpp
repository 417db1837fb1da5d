#pragma once
// The interface text file, velkor.ini: an INI file in UTF-16LE without a
// byte-order mark, lines ended by CR LF, the section [APPSETTINGS] first and one
// line key="text" per interface text.
//
// Why we read and write it ourselves: the system's profile functions decide the
// encoding of a file by its byte-order mark, and read a file without one as
// ANSI. Tried on Wine 8 with the file this program writes:
// GetPrivateProfileStringW returns its default and lists no keys of
// [APPSETTINGS], and WritePrivateProfileStringW rewrites the 14 KB file as 680
// bytes of ANSI garbage; the same file with a UTF-16LE mark in front reads
// correctly. Windows behaves the same way for a file without a mark. The
// reader below follows the profile functions' rules for everything else: section
// and key names compare without regard to case, blanks around names and values
// are dropped, a value enclosed in matching quotes loses them, the first of two
// equal keys wins, and a value is cut to what a 2048-unit buffer holds.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

inline constexpr std::wstring_view kTextSection = L"APPSETTINGS";
// Values are read into a buffer of this many code units, terminator included.
inline constexpr std::size_t kTextValueBuffer = 2048;

// The file as lines; editing keeps every other line as it was.
class ProfileDocument {
 public:
  // Decodes UTF-16LE; a byte-order mark (UTF-16LE or UTF-8), as an editor may add
  // when the user saves the file, is accepted and dropped.
  static ProfileDocument Parse(std::span<const std::uint8_t> bytes);
  // The same rules over text already decoded (lines end in CR LF, CR or LF).
  static ProfileDocument FromText(std::wstring_view text);

  bool HasSection(std::wstring_view section) const;
  // Names of the keys of the section, in file order (empty if none or no section).
  std::vector<std::wstring> KeyNames(std::wstring_view section) const;
  // The value as the profile functions return it; nothing when the key is absent.
  std::optional<std::wstring> Value(std::wstring_view section, std::wstring_view key) const;
  // Replaces the key's line, or adds one at the end of the section. False when
  // the section does not exist.
  bool SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value);

  // UTF-16LE, no byte-order mark, every line ended by CR LF.
  std::vector<std::uint8_t> Serialize() const;

  const std::vector<std::wstring>& Lines() const { return lines_; }

 private:
  // Index of the section's header line, or npos.
  std::size_t FindSection(std::wstring_view section) const;
  std::vector<std::wstring> lines_;
};

// The complete default file: [APPSETTINGS] and every default text in order.
std::vector<std::uint8_t> BuildDefaultTextFile();

}  // namespace velkor
