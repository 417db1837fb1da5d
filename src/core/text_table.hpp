#pragma once
// The interface text table: texts by IDS_ key from velkor.ini beside the
// program. A missing file, or a missing or empty text, makes the program write
// the complete default file again (user changes to the file are then lost, which
// is how a damaged translation is repaired).

#include <string>
#include <string_view>

namespace velkor {

inline constexpr std::wstring_view kDefaultAppName = L"Velkor";
inline constexpr std::wstring_view kTextFileName = L"velkor.ini";

class CTextTable {
 public:
  // Where the text file lives: the program folder as it is named before any text
  // is known (program files + "Velkor").
  static std::wstring FilePathIn(std::wstring_view program_files_folder);

  void SetPath(std::wstring path) { m_strPath = std::move(path); }
  const std::wstring& GetPath() const { return m_strPath; }
  // Whether the last write to the file succeeded.
  bool LastWriteSucceeded() const { return m_bLastWrite; }

  // Sets the path and writes the default file if there is none yet.
  void Locate(std::wstring path);

  std::wstring GetText(std::wstring_view key);
  // IDS_APP_NAME, or "Velkor" when that is empty.
  std::wstring GetAppName();
  // Writes one value (as given) into [APPSETTINGS]; false when there is no path,
  // no such section or the text is empty.
  bool SetText(std::wstring_view key, std::wstring_view text);
  bool WriteDefaultFile();

  // A lookup that never writes: for front ends that must not touch the program
  // folder. Empty when the file or the text is missing.
  std::wstring PeekText(std::wstring_view key) const;

 private:
  std::wstring m_strPath;
  bool m_bLastWrite = false;
};

}  // namespace velkor
