#pragma once
// Pages of the product's web site that the program opens with the shell.

namespace velkor {

inline constexpr wchar_t kHelpPageUrl[] = L"https://www.velkor-brenn.example/help";
inline constexpr wchar_t kCommercialPageUrl[] = L"https://www.velkor-brenn.example/tv";
inline constexpr wchar_t kWebsiteUrl[] = L"https://www.velkor-brenn.example/";
inline constexpr wchar_t kSupportEmail[] = L"support@velkor-brenn.example";

// Opens a web page with the shell's "open" verb.
void OpenWebPage(const wchar_t* url);

}  // namespace velkor
