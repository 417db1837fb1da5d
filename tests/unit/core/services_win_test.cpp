// The network component loader, the worker threads and the system information,
// run for real: the component is a stand-in library with the same ordinals.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "core/shared_fonts.hpp"
#include "core/shell_folders.hpp"
#include "core/single_instance.hpp"
#include "core/registry_key.hpp"
#include "core/settings.hpp"
#include "core/flow_host.hpp"
#include "core/update_service.hpp"
#include "core/worker_thread.hpp"
#include "inventory/system_information.hpp"
#include "inventory/system_text.hpp"

namespace velkor {
namespace {

std::wstring FakeComponentFolder() { return GetProgramModuleFolder() + L"fake_network\\"; }

TEST(UpdateService, MissingLibraryLeavesTheFlagClear) {
  CUpdateService service;
  EXPECT_FALSE(service.Load(GetProgramModuleFolder() + L"no-such-folder\\"));
  EXPECT_FALSE(service.IsLoaded());
  EXPECT_EQ(service.m_nLoaded, 0);
  std::wstring answer = L"untouched";
  EXPECT_FALSE(service.ScanLookupWithFallback(L"request", answer));
  EXPECT_EQ(answer, L"untouched");
  EXPECT_FALSE(service.SendFeedback(L"<feedback/>"));
}

class LoadedService : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service_.Load(FakeComponentFolder()));
    ASSERT_EQ(service_.m_nLoaded, 1);
  }
  LONG Hook() {
    using CountFn = LONG(WINAPI*)();
    const auto count = reinterpret_cast<CountFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"Network.dll"), MAKEINTRESOURCEA(3))));
    return count != nullptr ? count() : -1;
  }
  LONG Calls() { return Hook() & 0xFFFF; }
  LONG Released() { return Hook() >> 16; }
  CUpdateService service_;
};

TEST_F(LoadedService, FallbackIsTriedOnlyAfterTheComponentsOwnChoiceFails) {
  const struct {
    const wchar_t* request;
    bool ok;
    LONG calls;
    const wchar_t* answer;
  } cases[] = {
      {L"plain", true, 1, L"server=;request=plain"},
      {L"fail-first", true, 2, L"server=update2.velkor-brenn.com;request=fail-first"},
      {L"throw-first", true, 2, L"server=update2.velkor-brenn.com;request=throw-first"},
      {L"fail-always", false, 2, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
    const LONG before = Calls();
    const LONG released_before = Released();
    std::wstring answer;
    EXPECT_EQ(service_.ScanLookupWithFallback(c.request, answer), c.ok);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(Calls() - before, c.calls);
    EXPECT_EQ(Released() - released_before, c.ok ? 1 : 0);  // every answer goes back to the component
  }
}

TEST_F(LoadedService, DriverLookupAndFeedbackPassTheirArguments) {
  std::wstring answer;
  ASSERT_TRUE(service_.DriverLookupWithFallback(L"PCI\\VEN_10DE&DEV_0191", L"4", answer));
  EXPECT_EQ(answer, L"http://default/PCI\\VEN_10DE&DEV_0191/4.zip|0123456789abcdef0123456789abcdef");
  ASSERT_TRUE(service_.DriverLookupWithFallback(L"fail-first", L"-1", answer));
  EXPECT_EQ(answer, L"http://update2.velkor-brenn.com/fail-first/-1.zip|0123456789abcdef0123456789abcdef");
  EXPECT_TRUE(service_.SendFeedback(L"<NewDataSet/>"));
  EXPECT_FALSE(service_.SendFeedback(L""));
}

// The component this build ships, loaded the same way.
TEST(UpdateService, LoadsTheShippedComponent) {
  CUpdateService service;
  ASSERT_TRUE(service.Load(GetProgramModuleFolder() + L"..\\..\\..\\bin\\"));
  EXPECT_EQ(service.m_nLoaded, 1);
  wchar_t server[kServerBufferChars] = {};
  std::wstring answer = L"untouched";
  // Refused before any network traffic: a lookup needs a hardware ID.
  EXPECT_FALSE(service.DriverLookup(server, L"", L"4", answer));
  EXPECT_EQ(answer, L"untouched");
}

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_APP) ++*reinterpret_cast<int*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return DefWindowProcW(window, message, w, l);
}

TEST_F(LoadedService, WindowsOfTheWaitingThreadKeepGettingTheirMessages) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelkorPumpProbe";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(L"VelkorPumpProbe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  int delivered = 0;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&delivered));
  const bool ok = CUpdateService::CallWithFallback([&](wchar_t* server) {
    PostMessageW(window, WM_APP, 0, 0);  // arrives while the call waits
    return server[0] != L'\0';
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(delivered, 1);  // pumped during the pause after the first call
  PostQuitMessage(7);
  CUpdateService::CallWithFallback([](wchar_t*) { return true; });
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // put back, not swallowed
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(window);
}

TEST(FallbackHost, TakenFromTheUserThenTheMachineElseTheBuiltInName) {
  struct Case {
    const wchar_t* user;     // nullptr: value absent
    const wchar_t* machine;  // nullptr: value absent
    const wchar_t* expected;
  };
  const Case cases[] = {
      {nullptr, nullptr, kFallbackServer},
      {L"backup.example.net", L"machine.example.net", L"backup.example.net"},
      {nullptr, L"machine.example.net", L"machine.example.net"},
      {L"bad host/../", L"machine.example.net", L"machine.example.net"},
      {L"", nullptr, kFallbackServer},
      {L"http://evil:1/", nullptr, kFallbackServer},
  };
  auto set = [](HKEY root, const wchar_t* value) {
    velkor::CRegistryKey key;
    if (!key.Open(root, velkor::kProductKeyPath, KEY_READ | KEY_WRITE, true)) return false;
    if (value == nullptr) {
      RegDeleteValueW(key.Get(), kFallbackHostValue);
      return true;
    }
    return key.WriteString(kFallbackHostValue, value);
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(set(HKEY_CURRENT_USER, c.user));
    const bool machine_ok = set(HKEY_LOCAL_MACHINE, c.machine);
    if (!machine_ok && c.machine != nullptr) continue;  // no write access to the machine key here
    EXPECT_EQ(ReadFallbackHost(), c.expected) << (c.user ? c.user : L"-") << " / " << (c.machine ? c.machine : L"-");
  }
  set(HKEY_CURRENT_USER, nullptr);
  set(HKEY_LOCAL_MACHINE, nullptr);
}

class CountingHost : public OperationHost {
 public:
  void BeginOperation() override { ++begun; }
  void EndOperation() override { ++ended; }
  std::atomic<int> begun{0};
  std::atomic<int> ended{0};
};

TEST(WorkerThread, AFlowRunsOnAThreadOfItsOwnAndAlwaysEndsTheOperation) {
  CountingHost bracket;
  Win32WorkerThreads threads;
  FlowHost host(bracket, nullptr, threads);
  std::atomic<DWORD> worker_thread{0};
  std::atomic<int> priority{-100};
  ASSERT_TRUE(host.StartWorker([&] {
    worker_thread = GetCurrentThreadId();
    priority = GetThreadPriority(GetCurrentThread());
    return FlowEnd::Done;
  }));
  ASSERT_TRUE(host.StartWorker([]() -> FlowEnd { throw std::runtime_error("unexpected"); }));
  ASSERT_TRUE(threads.WaitAll(10000));
  EXPECT_NE(worker_thread, 0u);
  EXPECT_NE(worker_thread, GetCurrentThreadId());
  EXPECT_EQ(bracket.begun, 2);
  EXPECT_EQ(bracket.ended, 2);
  EXPECT_EQ(priority, THREAD_PRIORITY_NORMAL);
}

TEST(SingleInstance, SecondMutexSeesTheFirstAndTheMarkerTravelsAsAnAtom) {
  const wchar_t name[] = L"Velkor_MUTEX_test_single_instance";
  CInstanceMutex first(name);
  EXPECT_FALSE(first.AlreadyRunning());
  CInstanceMutex second(name);
  EXPECT_TRUE(second.AlreadyRunning());

  const ATOM marker = GlobalAddAtomW(kAlreadyRunningMarker);
  ASSERT_NE(marker, 0);
  EXPECT_EQ(TakeBringToFrontMarker(marker), kAlreadyRunningMarker);
  EXPECT_EQ(GlobalFindAtomW(kAlreadyRunningMarker), 0);  // the sender's reference was released
  EXPECT_EQ(TakeBringToFrontMarker(0), L"");
  EXPECT_EQ(TakeBringToFrontMarker(0x12345), L"");
  EXPECT_NE(BringToFrontMessage(), 0u);

  EXPECT_TRUE(ShouldBringToFront(false, L""));
  EXPECT_TRUE(ShouldBringToFront(true, kAlreadyRunningMarker));
  EXPECT_FALSE(ShouldBringToFront(true, L""));
  EXPECT_FALSE(ShouldBringToFront(true, L"SomethingElse"));
}

TEST(SharedFonts, FaceFollowsTheFontFileAndTheEightFontsAreAsListed) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring windows = std::wstring(temp) + L"velkor-fonts-test";
  CreateDirectoryW(windows.c_str(), nullptr);
  CreateDirectoryW((windows + L"\\FONTS").c_str(), nullptr);
  EXPECT_EQ(ChooseInterfaceFace(windows), L"Tahoma");
  const std::wstring font_file = windows + L"\\FONTS\\SEGOEUI.TTF";
  CloseHandle(CreateFileW(font_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  EXPECT_EQ(ChooseInterfaceFace(windows), L"Segoe UI");
  EXPECT_EQ(ChooseInterfaceFace(windows + L"\\"), L"Segoe UI");
  EXPECT_EQ(ChooseInterfaceFace(L""), L"Tahoma");
  DeleteFileW(font_file.c_str());
  RemoveDirectoryW((windows + L"\\FONTS").c_str());
  RemoveDirectoryW(windows.c_str());

  CSharedFonts fonts;
  fonts.Create(L"Tahoma");
  EXPECT_EQ(fonts.Get(0), nullptr);
  EXPECT_EQ(fonts.Get(9), nullptr);
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE(n);
    LOGFONTW lf = {};
    ASSERT_EQ(GetObjectW(fonts.Get(n), sizeof lf, &lf), static_cast<int>(sizeof lf));
    const FontSpec& spec = kSharedFontSpecs[static_cast<std::size_t>(n - 1)];
    EXPECT_EQ(lf.lfHeight, spec.height);
    EXPECT_EQ(lf.lfWeight, spec.weight);
    EXPECT_EQ(lf.lfUnderline != 0, spec.underline);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfCharSet, 0);
    EXPECT_EQ(lf.lfQuality, 5);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Tahoma");
  }
  EXPECT_EQ(kSharedFontSpecs[6].underline, true);  // font 7 is the underlined one
}

TEST(SystemInformation, PanelValuesFromTheRunningSystem) {
  const std::wstring name = GetComputerNameText();
  EXPECT_FALSE(name.empty());
  EXPECT_LE(name.size(), 15u);
  EXPECT_FALSE(GetOperatingSystemName().empty());
  for (const std::wstring& text : {GetProcessorName(), GetModelName()}) {
    EXPECT_EQ(text, NormaliseSystemText(text));
  }
  CPhysicalMemoryInfo memory;
  const auto total = memory.TotalBytes();
  ASSERT_TRUE(total.has_value());
  EXPECT_GT(*total, 0u);
  EXPECT_EQ(CPhysicalMemoryInfo().TotalText(), FormatSize(static_cast<std::int64_t>(*total)));
}

TEST(SystemInformation, VersionAndAdministrator) {
  EXPECT_EQ(GetAppVersion(), L"2.1.0.0");  // this test program carries the product's version resource
  // Wine's default user is an administrator; the call must at least agree with itself.
  EXPECT_EQ(IsAdministrator(), IsAdministrator());
}

}  // namespace
}  // namespace velkor
