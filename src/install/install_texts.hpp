#pragma once
// The texts the package install shows, exactly as users see them.

namespace velkor {

inline constexpr const wchar_t* kTextInvalidFilePath = L"Invalid file Path.";
inline constexpr const wchar_t* kTextSpecialClass = L"To Install this setup file, Click on help button.";
inline constexpr const wchar_t* kTextCannotLaunchSetup =
    L"Unable to Launch the setup file, the setup file is corrupt, please check your internet connection "
    L"and redownload the setup.";
inline constexpr const wchar_t* kTextNoSupportFiles =
    L"Unable to find the support files. Please reinstall the Velkor setup.";
inline constexpr const wchar_t* kTextZipCorrupt = L"Unable to Open Zip file or Zip file is corrupted";
inline constexpr const wchar_t* kTextRarCorrupt = L"Unable to Open .rar file or .rar file is corrupted";
inline constexpr const wchar_t* kTextCabCorrupt = L"Unable to Open .cab file or .cab file is corrupted";
inline constexpr const wchar_t* kTextInstallationFailed = L"Installation failed.";
inline constexpr const wchar_t* kTextRestartQuestion =
    L"Please save your work. Restart your computer for these changes to take effect.\n"
    L"Do you want to restart your computer now?";

}  // namespace velkor
