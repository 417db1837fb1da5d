#pragma once
// Owner of WinINet handles (sessions, connections, requests).

#include <windows.h>
#include <wininet.h>

#include "platform/unique_handle.hpp"

namespace velkor {

struct InternetHandleTraits {
  using value_type = HINTERNET;
  static HINTERNET Invalid() noexcept { return nullptr; }
  static bool IsValid(HINTERNET h) noexcept { return h != nullptr; }
  static void Close(HINTERNET h) noexcept { ::InternetCloseHandle(h); }
};

using UniqueInternetHandle = UniqueHandle<InternetHandleTraits>;

}  // namespace velkor
