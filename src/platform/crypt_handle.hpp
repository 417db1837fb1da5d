#pragma once
// Owners of CryptoAPI objects: provider contexts, keys, hashes, and the memory
// that CryptoAPI hands out with LocalAlloc.

#include <windows.h>
#include <wincrypt.h>

#include "platform/unique_handle.hpp"

namespace velkor {

struct CryptProviderTraits {
  using value_type = HCRYPTPROV;
  static HCRYPTPROV Invalid() noexcept { return 0; }
  static bool IsValid(HCRYPTPROV h) noexcept { return h != 0; }
  static void Close(HCRYPTPROV h) noexcept { ::CryptReleaseContext(h, 0); }
};

struct CryptKeyTraits {
  using value_type = HCRYPTKEY;
  static HCRYPTKEY Invalid() noexcept { return 0; }
  static bool IsValid(HCRYPTKEY h) noexcept { return h != 0; }
  static void Close(HCRYPTKEY h) noexcept { ::CryptDestroyKey(h); }
};

struct CryptHashTraits {
  using value_type = HCRYPTHASH;
  static HCRYPTHASH Invalid() noexcept { return 0; }
  static bool IsValid(HCRYPTHASH h) noexcept { return h != 0; }
  static void Close(HCRYPTHASH h) noexcept { ::CryptDestroyHash(h); }
};

struct LocalMemoryTraits {
  using value_type = void*;
  static void* Invalid() noexcept { return nullptr; }
  static bool IsValid(void* p) noexcept { return p != nullptr; }
  static void Close(void* p) noexcept { ::LocalFree(p); }
};

using UniqueCryptProvider = UniqueHandle<CryptProviderTraits>;
using UniqueCryptKey = UniqueHandle<CryptKeyTraits>;
using UniqueCryptHash = UniqueHandle<CryptHashTraits>;
using UniqueLocalMemory = UniqueHandle<LocalMemoryTraits>;

}  // namespace velkor
