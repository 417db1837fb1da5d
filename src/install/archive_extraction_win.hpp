#pragma once
// Unpacking CAB and RAR packages with the system's and the outside libraries.
// Every stored name is cleaned and checked before anything is written, as the
// ZIP layer does with its entries (SafeZipEntryPath: "..\x.sys" becomes x.sys
// in the unpack folder, a device name or a stream is skipped), so the folder
// receives the package's files and nothing lands outside it.

#include <string>

#include "install/install_package.hpp"

namespace velkor {

// The cabinet through Cabinet.dll's FDI, loaded from the system folder for the
// call: every file below the folder with its stored relative path (folders made
// as needed), its date, time and attributes; a continuation cabinet named by
// the cabinet (a plain file name) is opened from the same folder and copying
// goes on until no further cabinet follows. False when the library is missing
// or the cabinet cannot be opened or copied.
bool ExtractCabinet(const std::wstring& cabinetPath, const std::wstring& folder);

// The RAR archive through unrar.dll, loaded by full path for the call and freed
// after it: first listed (every header read and skipped), then extracted into
// the folder, stopping at the first entry that fails. Links are never made.
// CannotOpen when the library is missing, or the archive cannot be opened,
// cannot be listed to its end, or lists no entry.
RarExtraction ExtractRarArchive(const std::wstring& unrarLibraryPath, const std::wstring& archivePath,
                                const std::wstring& folder);

}  // namespace velkor
