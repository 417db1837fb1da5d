// Building the scan request and reading and matching the answer, next to the
// time it takes only to copy the same bytes (the floor). The answer is read in
// time linear in its size: the matching benchmarks report their complexity.

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/text.hpp"
#include "lookup/update_lookup.hpp"

namespace velkor {
namespace {

std::wstring Hex4(int value) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring out(4, L'0');
  for (int i = 3; i >= 0; --i, value >>= 4) out[static_cast<size_t>(i)] = kDigits[value & 15];
  return out;
}

// A machine of `count` PCI devices, each with a full set of compatible IDs.
RecordTable MakeDevices(int count) {
  RecordTable devices(kDeviceTableCapacity);
  for (int n = 0; n < count; ++n) {
    DeviceRecord& d = devices[static_cast<size_t>(n)];
    const std::wstring ven = L"PCI\\VEN_" + Hex4(0x8000 + n % 64);
    const std::wstring dev = ven + L"&DEV_" + Hex4(n);
    d.Name = L"Device " + std::to_wstring(n);
    d.ClassDescription = n % 3 == 0 ? L"Display adapters" : (n % 3 == 1 ? L"Network adapters" : L"Sound");
    d.HardwareId = dev + L"&SUBSYS_01F91028&REV_01";
    d.DriverDate = L"6-21-2006";
    d.MatchingIds = AsciiToLower(dev) + L"|" + dev + L"&REV_01|" + dev + L"|" + ven + L"&CC_040300|" + ven +
                    L"&CC_0403|" + ven + L"|PCI\\CC_040300|PCI\\CC_0403";
  }
  return devices;
}

// Eight records per device; the fourth is for its hardware ID without
// revision, the others for IDs it does not have or less specific ones.
std::wstring MakeAnswer(const RecordTable& devices, int count, int recordsPerDevice) {
  std::wstring answer = L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<NewDataSet>\r\n";
  for (int n = 0; n < count; ++n) {
    const DeviceRecord& d = devices[static_cast<size_t>(n)];
    for (int r = 0; r < recordsPerDevice; ++r) {
      std::wstring id;
      switch (r % 8) {
        case 3: id = d.HardwareId.substr(0, d.HardwareId.find(L"&REV_")); break;
        case 5: id = L"PCI\\CC_0403"; break;
        case 6: id = d.HardwareId.substr(0, d.HardwareId.find(L"&SUBSYS_")); break;
        default: id = L"PCI\\VEN_1234&DEV_" + Hex4(r * 97 + n);
      }
      const std::wstring version = L"6.14.10." + std::to_wstring(4000 + r);
      answer += L"<Table>\r\n<driverid>" + std::to_wstring(n) + L"</driverid>\r\n<hardwareidentifier>" + id +
                L"</hardwareidentifier>\r\n<hardwareid>" + std::to_wstring(n * 8 + r) +
                L"</hardwareid>\r\n<infdate>2008-03-11</infdate>\r\n<infpath>drivers\\pkg\\setup.inf</infpath>\r\n"
                L"<version>" + version + L"</version>\r\n<isSpecificCase>0</isSpecificCase>\r\n"
                L"<md5>0123456789abcdef0123456789abcdef</md5>\r\n<isInstall>1</isInstall>\r\n"
                L"<signer>Microsoft Windows Hardware Compatibility Publisher</signer>\r\n</Table>\r\n";
    }
  }
  return answer + L"</NewDataSet>\r\n";
}

ClassificationSets Sets() {
  ClassificationSets sets;
  sets.Refill();
  return sets;
}

void CopyFloor(benchmark::State& state, const std::wstring& text) {
  std::vector<wchar_t> target(text.size());
  for (auto _ : state) {
    std::memcpy(target.data(), text.data(), text.size() * sizeof(wchar_t));
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * sizeof(wchar_t)));
}

std::wstring BuiltRequest(const RecordTable& devices, int count) {
  CXml xml;
  CMarkup doc;
  xml.BuildScanRequest(devices, count, 5, doc);
  return doc.DocumentText();
}

void BM_BuildScanRequest(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const RecordTable devices = MakeDevices(count);
  CXml xml;
  size_t bytes = 0;
  for (auto _ : state) {
    CMarkup doc;
    xml.BuildScanRequest(devices, count, 5, doc);
    bytes = doc.DocumentText().size() * sizeof(wchar_t);
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["request_kib"] = static_cast<double>(bytes) / 1024.0;
  state.SetComplexityN(count);
}
BENCHMARK(BM_BuildScanRequest)->RangeMultiplier(2)->Range(256, 2048)->Unit(benchmark::kMillisecond)->Complexity();

void BM_CopyRequestBytes(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  CopyFloor(state, BuiltRequest(MakeDevices(count), count));
}
BENCHMARK(BM_CopyRequestBytes)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_ReadAndMatchAnswer(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const RecordTable devices = MakeDevices(count);
  const ClassificationSets sets = Sets();
  const std::wstring answer = MakeAnswer(devices, count, 8);
  CXml xml;
  CMarkup doc;
  std::int32_t updates = 0;
  for (auto _ : state) {
    state.PauseTiming();
    RecordTable table(kDeviceTableCapacity);
    std::vector<std::wstring> list;
    updates = 0;
    state.ResumeTiming();
    xml.ReadScanAnswer(doc, answer, UpdateMatchTables{devices, count, sets, table, updates, list});
    benchmark::DoNotOptimize(list.data());
  }
  if (updates != count) state.SkipWithError("not every device got its update");
  state.counters["answer_kib"] = static_cast<double>(answer.size() * sizeof(wchar_t)) / 1024.0;
  state.SetComplexityN(count);
}
BENCHMARK(BM_ReadAndMatchAnswer)->RangeMultiplier(2)->Range(256, 2048)->Unit(benchmark::kMillisecond)->Complexity();

void BM_CopyAnswerBytes(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  CopyFloor(state, MakeAnswer(MakeDevices(count), count, 8));
}
BENCHMARK(BM_CopyAnswerBytes)->Arg(1024)->Unit(benchmark::kMillisecond);

// A hostile answer: every record for one device. Matching stays linear.
void BM_ReadAndMatchOneDeviceManyRecords(benchmark::State& state) {
  const int records = static_cast<int>(state.range(0));
  const RecordTable devices = MakeDevices(1);
  const ClassificationSets sets = Sets();
  const std::wstring answer = MakeAnswer(devices, 1, records);
  CXml xml;
  CMarkup doc;
  for (auto _ : state) {
    state.PauseTiming();
    RecordTable table(kDeviceTableCapacity);
    std::vector<std::wstring> list;
    std::int32_t updates = 0;
    state.ResumeTiming();
    xml.ReadScanAnswer(doc, answer, UpdateMatchTables{devices, 1, sets, table, updates, list});
    benchmark::DoNotOptimize(list.data());
  }
  state.SetComplexityN(records);
}
BENCHMARK(BM_ReadAndMatchOneDeviceManyRecords)
    ->RangeMultiplier(4)
    ->Range(1024, 65536)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace
}  // namespace velkor
