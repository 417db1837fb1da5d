// Where the component's settings come from, against the real registry of a
// private prefix, with the elevation check answered by the test.
#include "service_config_win.hpp"

#include <windows.h>

#include <gtest/gtest.h>

#include "network_api.h"

namespace velkor::network {
namespace {

class FixedElevation final : public ProcessElevation {
 public:
  explicit FixedElevation(bool elevated) : elevated_(elevated) {}
  bool IsElevatedOrSystem() const override { return elevated_; }

 private:
  bool elevated_;
};

// Writes (or, for nullptr, deletes) a value under the product key of `root`.
void Put(HKEY root, const wchar_t* name, const wchar_t* value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, L"software\\VELKOR Brenn", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (value == nullptr) {
    RegDeleteValueW(key, name);
  } else {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(key);
}

TEST(ServiceConfig, AnElevatedProcessReadsOnlyTheMachinesSettings) {
  struct Case {
    const wchar_t* userUrl;
    const wchar_t* machineUrl;
    const wchar_t* userFallback;
    const wchar_t* machineFallback;
    bool elevated;
    const wchar_t* server;  // the host the program passes, or empty
    const wchar_t* host;    // where the call goes
    int port;
    bool secure;
  };
  const Case cases[] = {
      // The user's own processes: the user's values first.
      {L"http://127.0.0.2:1/", L"http://127.0.0.3:2/", L"u.example", L"m.example", false, L"", L"127.0.0.2", 1, false},
      {L"http://127.0.0.2:1/", L"http://127.0.0.3:2/", L"u.example", L"m.example", false, L"p.example", L"p.example",
       1, false},
      {nullptr, L"http://127.0.0.3:2/", nullptr, nullptr, false, L"", L"127.0.0.3", 2, false},
      {L"not a url", L"http://127.0.0.3:2/", nullptr, nullptr, false, L"", L"update.velkor-brenn.com", 443, true},
      // Elevated: what the user wrote never counts, nor the host handed over.
      {L"http://127.0.0.2:1/", L"http://127.0.0.3:2/", L"u.example", L"m.example", true, L"", L"127.0.0.3", 2, false},
      {L"http://127.0.0.2:1/", L"http://127.0.0.3:2/", L"u.example", L"m.example", true, L"u.example", L"m.example",
       2, false},
      {L"http://127.0.0.2:1/", nullptr, L"u.example", nullptr, true, L"", L"update.velkor-brenn.com", 443, true},
      {L"http://127.0.0.2:1/", nullptr, L"u.example", nullptr, true, L"u.example", L"update2.velkor-brenn.com", 443,
       true},
      {nullptr, L"https://svc.example:8443/", nullptr, L"http://evil/", true, L"u.example",
       L"update2.velkor-brenn.com", 8443, true},
  };
  for (const Case& c : cases) {
    Put(HKEY_CURRENT_USER, L"ServiceUrl", c.userUrl);
    Put(HKEY_LOCAL_MACHINE, L"ServiceUrl", c.machineUrl);
    Put(HKEY_CURRENT_USER, L"FallbackHost", c.userFallback);
    Put(HKEY_LOCAL_MACHINE, L"FallbackHost", c.machineFallback);
    wchar_t server[kServerBufferChars] = {};
    wcsncpy(server, c.server, kServerBufferChars - 1);
    ServiceAddress address;
    ASSERT_TRUE(ChooseServiceAddress(server, FixedElevation(c.elevated), address)) << c.server;
    const std::wstring what = std::wstring(c.elevated ? L"elevated" : L"user") + L", server '" + c.server + L"'";
    EXPECT_EQ(address.host, c.host) << what;
    EXPECT_EQ(address.port, c.port) << what;
    EXPECT_EQ(address.secure, c.secure) << what;
  }
}

TEST(ServiceConfig, RefusesServerTextsThatAreNoHostName) {
  const FixedElevation user(false);
  ServiceAddress address;
  wchar_t unterminated[kServerBufferChars];
  wmemset(unterminated, L'a', kServerBufferChars);
  EXPECT_FALSE(ChooseServiceAddress(unterminated, user, address));
  wchar_t withPath[kServerBufferChars] = L"evil.example/x";
  EXPECT_FALSE(ChooseServiceAddress(withPath, user, address));
  EXPECT_FALSE(ChooseServiceAddress(withPath, FixedElevation(true), address));
  EXPECT_TRUE(ChooseServiceAddress(nullptr, user, address));
}

TEST(ServiceConfig, WineStartsProgramsElevated) {
  // What the integration tests rely on: under Wine the test programs have a
  // full administrator token, so Network.dll reads the machine's settings.
  EXPECT_TRUE(ThisProcessElevation().IsElevatedOrSystem());
}

}  // namespace
}  // namespace velkor::network
