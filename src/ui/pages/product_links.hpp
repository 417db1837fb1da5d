#pragma once
// Where the program sends the user: the help page shipped beside the program,
// and the product's pages on the web (set once for a build, see velkor_links.h).

#include "velkor_links.h"

namespace velkor {

// The help page, a file of the program folder.
inline constexpr wchar_t kHelpFileName[] = L"velkor-help.html";
inline constexpr wchar_t kCommercialPageUrl[] = VELKOR_COMMERCIAL_URL;
inline constexpr wchar_t kWebsiteUrl[] = VELKOR_WEBSITE_URL;
inline constexpr wchar_t kSupportEmail[] = VELKOR_SUPPORT_EMAIL;

// Opens a web page (or a local page) with the shell's "open" verb.
void OpenWebPage(const wchar_t* url);
// Opens the help page beside the running program.
void OpenHelpPage();

}  // namespace velkor
