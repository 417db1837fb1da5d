// Cost of the enumeration logic per device, without the system: a machine of
// 1024 listed devices (plus the generic ones the classification rejects), each
// with class-key values, compatible IDs and a signer row.

#include <benchmark/benchmark.h>

#include "fake_enumeration_platform.hpp"
#include "inventory/device_enumeration.hpp"
#include "inventory/device_table_filler.hpp"

namespace velkor {
namespace {

testing::FakeEnumerationPlatform MakeMachine(std::size_t listed, bool signers) {
  testing::FakeEnumerationPlatform platform;
  for (std::size_t i = 0; i < listed; ++i) {
    const std::wstring n = std::to_wstring(i);
    const std::wstring key = L"{4D36E972-E325-11CE-BFC1-08002BE10318}\\" + n;
    const std::wstring id = L"PCI\\VEN_10EC&DEV_" + n;
    testing::FakeDevice d;
    d.classDesc = L"Network adapters";
    d.friendlyName = L"Network adapter " + n;
    d.hardwareId = id;
    d.service = L"svc" + n;
    d.driverKey = key;
    d.driver = FirstCompatibleDriver{true, L"6/21/2006", L"C:\\WINDOWS\\inf\\oem" + n + L".inf", L"Vendor"};
    platform.devices.push_back(d);
    platform.ClassValue(key, L"InfPath", L"oem" + n + L".inf");
    platform.ClassValue(key, L"DriverVersion", L"5.1.2600." + n);
    platform.ClassValue(key, L"ProviderName", L"Vendor");
    platform.ClassValue(key, L"DriverDate", L"6-21-2006");
    platform.ClassValue(key, L"MatchingDeviceId", L"pci\\ven_10ec&dev_" + n);
    platform.files.insert(L"C:\\WINDOWS\\inf\\oem" + n + L".inf");
    const std::wstring instance = L"SYSTEM\\CurrentControlSet\\Enum\\PCI\\" + id + L"\\1";
    platform.enumKeys[L"pci\\ven_10ec&dev_" + n] = instance;
    platform.multiStrings[{instance, L"CompatibleIDs"}] = {id + L"&REV_10", L"PCI\\CC_020000"};
    platform.signerRows.push_back({L"Network adapter " + n, L"Vendor Inc.", L""});
    platform.companies[L"svc" + n] = L"Vendor Inc.";
    if (i % 8 == 0) {  // a generic device between the listed ones
      testing::FakeDevice bus;
      bus.classDesc = L"System devices";
      bus.hardwareId = L"ACPI\\PNP0C0" + n;
      platform.devices.push_back(bus);
    }
  }
  platform.signersAvailable = signers;
  return platform;
}

void BM_EnumerateDevices(benchmark::State& state) {
  const bool signers = state.range(0) != 0;
  testing::FakeEnumerationPlatform platform = MakeMachine(kScanTableCapacity, signers);
  RecordTable table(kDeviceTableCapacity);
  for (auto _ : state) {
    DeviceTableFiller filler(table);
    testing::FakeStop stop;
    const std::int32_t result = RunDeviceScan(platform, stop, [&](const DeviceRecord* r, int) {
      if (r) filler.Add(*r);
    });
    benchmark::DoNotOptimize(result);
    if (filler.Count() != static_cast<std::int32_t>(kScanTableCapacity)) state.SkipWithError("short");
  }
  const double devices = static_cast<double>(platform.devices.size());
  // Seconds per enumerated device (printed with an SI prefix: u = microseconds).
  state.counters["s_per_device"] = benchmark::Counter(
      devices, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetLabel(signers ? "signer table" : "image company names");
}
BENCHMARK(BM_EnumerateDevices)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkor
