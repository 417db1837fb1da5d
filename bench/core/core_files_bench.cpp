// Figures for the core's file formats: the interface text lookup that every page
// makes while painting (read and parse the whole text file), and the list files
// at the sizes a long-used installation reaches.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "core/file_bytes.hpp"
#include "core/list_file.hpp"
#include "core/list_store.hpp"
#include "core/text_table.hpp"

namespace {

std::wstring ScratchFile(const char* name) {
  const auto dir = std::filesystem::temp_directory_path() / "velkor-core-bench";
  std::filesystem::create_directories(dir);
  return (dir / name).wstring();
}

void BM_GetTextFromDefaultFile(benchmark::State& state) {
  velkor::CTextTable table;
  const std::wstring path = ScratchFile("velkor.ini");
  velkor::RemoveFile(path);
  table.Locate(path);
  for (auto _ : state) benchmark::DoNotOptimize(table.GetText(L"IDS_DRIVER_DETAILS_DESC6"));  // the last key
}
BENCHMARK(BM_GetTextFromDefaultFile)->Unit(benchmark::kMicrosecond);

velkor::StringMap MakeList(int entries) {
  velkor::StringMap list;
  for (int i = 0; i < entries; ++i) {
    list[L"PCI\\VEN_10DE&DEV_" + std::to_wstring(1000 + i) + L"|6.14.10." + std::to_wstring(i)] =
        L"C:\\Users\\someone\\AppData\\Roaming\\Velkor\\Download\\package_" + std::to_wstring(i) + L".zip";
  }
  return list;
}

void BM_SaveList(benchmark::State& state) {
  const velkor::StringMap list = MakeList(static_cast<int>(state.range(0)));
  const std::wstring path = ScratchFile("Download.dat");
  for (auto _ : state) benchmark::DoNotOptimize(velkor::SaveListFile(path, list));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveList)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadList(benchmark::State& state) {
  const std::wstring path = ScratchFile("Backup.dat");
  velkor::SaveListFile(path, MakeList(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    velkor::StringMap list;
    benchmark::DoNotOptimize(velkor::LoadListFile(path, list));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadList)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
