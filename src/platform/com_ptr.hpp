#pragma once
// Owner of one COM interface pointer: released exactly once, move-only.

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

}  // namespace velkor
