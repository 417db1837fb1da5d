#pragma once
// What the installer reads from a downloaded package's saved path: its kind,
// its title and the folder it is unpacked into, and where its INF file lies
// once unpacked.

#include <optional>
#include <string>
#include <string_view>

namespace velkor {

// The kinds a package may be, each a substring test anywhere in the path's
// lower-case form; a path may be of several kinds ("drv.exe.zip" is a setup
// program and a ZIP archive) and is then handled as each in turn.
struct PackageKinds {
  bool setup = false;  // ".exe" or ".msi"
  bool zip = false;
  bool rar = false;
  bool cab = false;
};
PackageKinds PackageKindsOf(std::wstring_view packagePath);

struct PackageNames {
  std::wstring folder;        // the package's folder, no final backslash: C:\dl
  std::wstring title;         // the file name without its extension: abc
  std::wstring unpackFolder;  // folder, title and a final backslash: C:\dl\abc\ .
};

// The names of a package saved at a full path (C:\dl\abc.zip). Nothing when the
// path names no folder, is not a full path (drive or network form, a share at
// least), holds a control character, or its title could not be a folder of its
// own: an empty title (".zip"), "." or "..", a device name, or one with
// wildcards. Any of those would unpack into, and afterwards delete, a folder
// other than the package's own.
std::optional<PackageNames> DerivePackageNames(std::wstring_view packagePath);

// The unpacked INF file: the unpack folder followed by the INF's path inside the
// package (taken from the update service's answer), cleaned as the ZIP layer
// cleans entry names, so that it never leads out of the folder; nothing when
// no writable name is left (see SafeZipEntryPath).
std::optional<std::wstring> UnpackedInfPath(std::wstring_view unpackFolder,
                                            std::wstring_view infPathInPackage);

// The folder that holds the per-system support folders: the support folder
// without its final backslash and without its last component
// (C:\Program Files\Velkor\xp\ gives C:\Program Files\Velkor). Empty when the
// support folder has no parent.
std::wstring SupportRoot(std::wstring_view supportFolder);

// A single file or folder name that can be written as it stands: no separator,
// and safe as an archive entry name (no "..", no drive or stream colon, no
// device name, no final dot or space).
bool IsPlainFileName(std::wstring_view name);

// "C:\..." or "\\server\share\...".
bool IsFullPath(std::wstring_view path);

// Whether a folder may be handed to DeleteFolderTree: a full path below a drive
// or a share (never the drive or share itself), without wildcards, which the
// shell would expand, without control characters and without a final
// backslash.
bool IsDeletableFolderPath(std::wstring_view path);

}  // namespace velkor
