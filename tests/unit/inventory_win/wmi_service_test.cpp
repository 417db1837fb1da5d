// The management service as the memory figure needs it: asked while the
// service is stopped, the query starts it first (this prefix is the test's own).

#include <windows.h>

#include <gtest/gtest.h>

#include "inventory/system_information.hpp"
#include "inventory/wmi_query_win.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {
namespace {

DWORD ServiceState(SC_HANDLE service) {
  SERVICE_STATUS status{};
  return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

TEST(WmiService, TheMemoryQueryStartsAStoppedManagementService) {
  UniqueServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  ASSERT_TRUE(manager);
  UniqueServiceHandle service(OpenServiceW(manager.get(), L"winmgmt", SERVICE_ALL_ACCESS));
  ASSERT_TRUE(service);
  ASSERT_TRUE(EnsureWmiServiceRunning());

  SERVICE_STATUS status{};
  ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
  const DWORD start = GetTickCount();
  while (ServiceState(service.get()) != SERVICE_STOPPED && GetTickCount() - start < 30000) Sleep(50);
  ASSERT_EQ(ServiceState(service.get()), static_cast<DWORD>(SERVICE_STOPPED));

  EXPECT_FALSE(CPhysicalMemoryInfo().TotalText().empty());
  const DWORD state = ServiceState(service.get());
  EXPECT_TRUE(state == SERVICE_RUNNING || state == SERVICE_START_PENDING) << state;
}

}  // namespace
}  // namespace velkor
