#pragma once
// The company name in a driver service's image file: the signer of last resort.

#include <string>

namespace velkor {

// windowsFolder without a final backslash. Empty when the service, its image
// file or the file's version resource cannot be found.
std::wstring GetImageCompanyName(const std::wstring& windowsFolder, const std::wstring& service);

}  // namespace velkor
