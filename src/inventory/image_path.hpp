#pragma once
// Where a driver service's image file is looked for when its company name is
// wanted as the signer.

#include <string>
#include <string_view>

namespace velkor {

struct ImageFileCandidates {
  std::wstring first;     // the Windows folder + the image path from "system32" on
  std::wstring fallback;  // the Windows folder + system32\drivers\ + the image's file name
};

// windowsFolder without a final backslash, imagePath as the service key stores
// it ("\SystemRoot\System32\drivers\x.sys", "System32\DRIVERS\x.sys", ...).
ImageFileCandidates ImageFileCandidatesFor(std::wstring_view windowsFolder,
                                           std::wstring_view imagePath);

}  // namespace velkor
