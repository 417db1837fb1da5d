#pragma once
// Owners for COM: one interface pointer (released exactly once), the calling
// thread's apartment, a BSTR and a VARIANT. All move-only or fixed in place;
// copying does not compile.

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <utility>

namespace velkor {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ~ComPtr() { reset(); }
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      ptr_ = std::exchange(other.ptr_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* get() const noexcept { return ptr_; }
  Interface* operator->() const noexcept { return ptr_; }
  explicit operator bool() const noexcept { return ptr_ != nullptr; }
  void reset() noexcept {
    if (ptr_ != nullptr) std::exchange(ptr_, nullptr)->Release();
  }
  // For out-parameters of COM calls.
  Interface** put() noexcept {
    reset();
    return &ptr_;
  }

 private:
  Interface* ptr_ = nullptr;
};

// The calling thread in a single-threaded apartment while the owner lives. A
// thread already in an apartment (of either model) keeps it; only a successful
// initialisation is undone.
class ComApartment {
 public:
  ComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  // False only when COM could not be initialised at all (another model on
  // this thread counts as usable).
  bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

 private:
  HRESULT hr_;
};

class UniqueBstr {
 public:
  explicit UniqueBstr(const wchar_t* text) : value_(::SysAllocString(text)) {}
  ~UniqueBstr() { ::SysFreeString(value_); }
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  BSTR get() const { return value_; }

 private:
  BSTR value_;
};

class UniqueVariant {
 public:
  UniqueVariant() { ::VariantInit(&value_); }
  ~UniqueVariant() { ::VariantClear(&value_); }
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

}  // namespace velkor
