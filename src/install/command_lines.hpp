#pragma once
// Command lines this program hands to other programs. The update tool runs with
// administrator rights and gets a hardware ID from the update service's answer,
// so no value may leave its quotes: a value that could is never passed.

#include <optional>
#include <string>
#include <string_view>

namespace velkor {

// The update tool's parameters: update "INF path" "hardware ID". Nothing when a
// value is empty, holds a double quote or a control character. A value's final
// backslashes are doubled so that the closing quote stays a quote under the
// system's command-line rules (CommandLineToArgvW) and the tool reads the value
// exactly as given.
std::optional<std::wstring> UpdateToolParameters(std::wstring_view infPath, std::wstring_view hardwareId);

// The update tool's file name, put together from single characters at start-up
// so that it never stands as one string in the program's binary.
std::wstring BuildUpdateToolFileName();

// The tool in a support folder: the folder (a final backslash added when
// missing) followed by the tool's name, trimmed of blanks at both ends.
std::wstring UpdateToolPath(std::wstring_view supportFolder, std::wstring_view toolFileName);

// "runas" from Windows 6 (Vista) on, where the tool must ask for elevation;
// "open" before, where an administrator runs it as he is.
const wchar_t* UpdateToolVerb(int windowsMajorVersion);

// The 7-Zip extraction, exactly as the tool reads it:
// 7z.exe x -y "PACKAGE" -o"TARGET\" -r  (with one final space). 7-Zip splits its
// own command line, where a quote only opens and closes, so the target keeps its
// final backslash inside the quotes. Nothing when either path holds a quote.
std::optional<std::wstring> SevenZipCommandLine(std::wstring_view packagePath, std::wstring_view targetFolder);

// The switches handed to a setup program when the update says so.
inline constexpr const wchar_t* kSetupSwitches = L"cmd -overall -overide -overwrite";

}  // namespace velkor
