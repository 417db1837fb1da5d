#include "platform/unique_handle.hpp"

#include <gtest/gtest.h>

#include <type_traits>

namespace velkor {
namespace {

static_assert(!std::is_copy_constructible_v<UniqueKernelHandle>);
static_assert(!std::is_copy_assignable_v<UniqueRegKey>);
static_assert(!std::is_copy_constructible_v<UniqueDevInfo>);
static_assert(std::is_nothrow_move_constructible_v<UniqueModule>);

bool IsOpen(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != 0;
}

TEST(UniqueHandle, ClosesOnceThroughMovesAndReset) {
  HANDLE raw = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(raw, nullptr);
  {
    UniqueKernelHandle first(raw);
    UniqueKernelHandle second(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(second.get(), raw);
    UniqueKernelHandle third;
    third = std::move(second);
    EXPECT_TRUE(IsOpen(raw));
  }
  EXPECT_FALSE(IsOpen(raw));

  UniqueKernelHandle owner(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE before = owner.get();
  owner.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  EXPECT_FALSE(IsOpen(before));
  HANDLE released = owner.release();
  EXPECT_FALSE(owner);
  EXPECT_TRUE(IsOpen(released));
  CloseHandle(released);
}

TEST(UniqueHandle, TreatsBothFailureValuesAsEmpty) {
  UniqueKernelHandle file(CreateFileW(L"Z:\\does\\not\\exist", GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(file);
  UniqueDevInfo set;
  EXPECT_FALSE(set);
}

TEST(UniqueHandle, RegistryKeyThroughPut) {
  UniqueRegKey key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, key.put()), ERROR_SUCCESS);
  EXPECT_TRUE(key);
  DWORD subkeys = 0;
  EXPECT_EQ(RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
}

}  // namespace
}  // namespace velkor
