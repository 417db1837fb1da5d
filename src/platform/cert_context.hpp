#pragma once
// Owner of a certificate context (a client certificate a transfer presents).

#include <windows.h>
#include <wincrypt.h>

#include "platform/unique_handle.hpp"

namespace velkor {

struct CertContextTraits {
  using value_type = PCCERT_CONTEXT;
  static PCCERT_CONTEXT Invalid() noexcept { return nullptr; }
  static bool IsValid(PCCERT_CONTEXT c) noexcept { return c != nullptr; }
  static void Close(PCCERT_CONTEXT c) noexcept { ::CertFreeCertificateContext(c); }
};

using UniqueCertContext = UniqueHandle<CertContextTraits>;

}  // namespace velkor
