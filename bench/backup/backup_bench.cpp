// Writing a 200 MiB folder of driver-like files into an archive and reading it
// back, beside raw zlib deflate and inflate of the same bytes at the same level
// in the same run: the counters give both speeds and their ratio (the layer
// adds CRC-32, headers and the file side). All in memory, so the figures are
// the codec's, in processor time. Also the backup run's CompressBackup of the
// same folder (the free-space count, the packing, the list, the folder's
// deletion) beside raw deflate, and ParseInf of a 5,000-line INF, per call.
//   build/bench/bench/backup/backup_bench [--benchmark_filter=Zip]

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "backup/backup_restore.hpp"
#include "backup/backup_run.hpp"
#include "backup/memory_file_system.hpp"
#include "backup/zip_archive.hpp"
#include "memory_inf_platform.hpp"

namespace velkor {
namespace {

constexpr std::size_t kFolderBytes = std::size_t{200} << 20;
constexpr int kLevel = 6;

// Machine code compresses about two to one: new bytes mixed with copies of
// earlier stretches, as instructions and tables repeat.
std::vector<std::uint8_t> BinaryBytes(std::size_t size, std::mt19937& random) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(size);
  while (bytes.size() < size) {
    const std::size_t run = 8 + random() % 56;
    if (bytes.size() > 4096 && random() % 2 == 0) {
      const std::size_t from = bytes.size() - 1 - random() % 4000;
      for (std::size_t i = 0; i < run && bytes.size() < size; ++i) bytes.push_back(bytes[from + i]);
    } else {
      for (std::size_t i = 0; i < run && bytes.size() < size; ++i) bytes.push_back(static_cast<std::uint8_t>(random()));
    }
  }
  return bytes;
}

std::vector<std::uint8_t> InfBytes(std::size_t size, std::mt19937& random) {
  std::string text;
  while (text.size() < size) {
    text += "HKR, Ndi\\params\\*Option" + std::to_string(random() % 500) + ", ParamDesc, , \"Option " +
            std::to_string(random()) + "\"\r\n";
  }
  text.resize(size);
  return {text.begin(), text.end()};
}

struct Folder {
  MemoryFileSystem files;
  std::vector<std::vector<std::uint8_t>> contents;  // the same bytes, for raw zlib
  std::size_t bytes = 0;
};

// Device folders of an INF, a catalog, drivers and libraries, to 200 MiB.
const Folder& DriverFolder() {
  static const Folder folder = [] {
    Folder f;
    std::mt19937 random(42);
    for (int device = 0; f.bytes < kFolderBytes; ++device) {
      const std::wstring dir = L"C:\\work\\Device " + std::to_wstring(device) + L"\\";
      const std::pair<std::wstring, std::size_t> items[] = {
          {L"driver.inf", 20000 + random() % 200000}, {L"driver.cat", 8000 + random() % 8000},
          {L"driver.sys", 200000 + random() % 3000000}, {L"helper.dll", 100000 + random() % 2000000},
          {L"coinst.dll", 50000 + random() % 500000}};
      for (const auto& [name, size] : items) {
        std::vector<std::uint8_t> bytes = name.ends_with(L".inf") ? InfBytes(size, random) : BinaryBytes(size, random);
        f.bytes += bytes.size();
        f.files.AddFile(dir + name, bytes);
        f.contents.push_back(std::move(bytes));
      }
    }
    f.files.AddFile(L"C:\\work\\index.dat", std::vector<std::uint8_t>(4000, 1));
    return f;
  }();
  return folder;
}

// The processor time of this thread: the build machine is shared, and wall
// time would count the other builds' work as well.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::vector<std::vector<std::uint8_t>> RawDeflate(const std::vector<std::vector<std::uint8_t>>& contents) {
  std::vector<std::vector<std::uint8_t>> out;
  for (const auto& bytes : contents) {
    z_stream z{};
    deflateInit2(&z, kLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::vector<std::uint8_t> packed(deflateBound(&z, bytes.size()));
    z.next_in = const_cast<Bytef*>(bytes.data());
    z.avail_in = static_cast<uInt>(bytes.size());
    z.next_out = packed.data();
    z.avail_out = static_cast<uInt>(packed.size());
    deflate(&z, Z_FINISH);
    packed.resize(z.total_out);
    deflateEnd(&z);
    out.push_back(std::move(packed));
  }
  return out;
}

// Each file into memory of its own, as extraction gives each file its own.
std::size_t RawInflate(const std::vector<std::vector<std::uint8_t>>& packed,
                       const std::vector<std::vector<std::uint8_t>>& contents) {
  std::size_t total = 0;
  for (std::size_t i = 0; i < packed.size(); ++i) {
    std::vector<std::uint8_t> out(contents[i].size());
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    z.next_in = const_cast<Bytef*>(packed[i].data());
    z.avail_in = static_cast<uInt>(packed[i].size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    inflate(&z, Z_FINISH);
    total += z.total_out;
    inflateEnd(&z);
    benchmark::DoNotOptimize(out.data());
  }
  return total;
}

void BM_ZipWriteAndReadVersusRawZlib(benchmark::State& state) {
  const Folder& folder = DriverFolder();
  const double megabytes = static_cast<double>(folder.bytes) / (1 << 20);
  double zipWrite = 0, zipRead = 0, rawDeflate = 0, rawInflate = 0;
  std::size_t archiveBytes = 0;
  for (auto _ : state) {
    MemoryFileSystem files = folder.files;
    auto t0 = ThreadSeconds();
    ZipHandle writer = ZipCreate(files, L"C:\\backup.zip");
    if (ZipAddFolder(writer, L"C:\\work") != kZipOk || ZipClose(writer) != kZipOk) state.SkipWithError("write");
    auto t1 = ThreadSeconds();
    ZipHandle reader = ZipOpen(files, L"C:\\backup.zip");
    if (!reader || ZipExtractAll(reader, L"D:\\restore") != kZipOk) state.SkipWithError("read");
    ZipClose(reader);
    auto t2 = ThreadSeconds();
    const auto packed = RawDeflate(folder.contents);
    auto t3 = ThreadSeconds();
    benchmark::DoNotOptimize(RawInflate(packed, folder.contents));
    auto t4 = ThreadSeconds();
    archiveBytes = files.Find(L"C:\\backup.zip")->bytes->size();
    zipWrite += t1 - t0;
    zipRead += t2 - t1;
    rawDeflate += t3 - t2;
    rawInflate += t4 - t3;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["folder_MiB"] = megabytes;
  state.counters["compression"] = static_cast<double>(folder.bytes) / static_cast<double>(archiveBytes);
  state.counters["zip_write_MBps"] = megabytes * n / zipWrite;
  state.counters["raw_deflate_MBps"] = megabytes * n / rawDeflate;
  state.counters["write_vs_raw"] = zipWrite / rawDeflate;
  state.counters["zip_read_MBps"] = megabytes * n / zipRead;
  state.counters["raw_inflate_MBps"] = megabytes * n / rawInflate;
  state.counters["read_vs_raw"] = zipRead / rawInflate;
}
BENCHMARK(BM_ZipWriteAndReadVersusRawZlib)->Unit(benchmark::kSecond)->Iterations(2);

// The backup run's parts over memory, with room to spare.
class MemoryBackupParts final : public BackupParts {
 public:
  explicit MemoryBackupParts(MemoryFileSystem& files) : files_(files) {}
  LocalTime Now() override { return {2026, 12, 8, 21, 15, 30, 0, true}; }
  bool IsFullAdministrator() override { return true; }
  int WindowsMajorVersion() override { return 5; }
  bool RelaunchElevated() override { return false; }
  void EndProcess() override {}
  std::wstring ReadBackupLocation() override { return {}; }
  ZipFileSystem& Files() override { return files_; }
  bool DeleteFolderTree(const std::wstring& folder) override { return files_.RemoveTree(folder); }
  std::optional<std::uint64_t> FreeBytes(const std::wstring&) override { return std::uint64_t{1} << 40; }
  std::int32_t BackUpDrivers(const std::wstring&, std::span<const DeviceRecord>, const BackupProgress&) override {
    return kResultCompleted;
  }
  bool SaveBackupList() override { return true; }

 private:
  MemoryFileSystem& files_;
};

void BM_CompressBackupVersusRawZlib(benchmark::State& state) {
  const Folder& folder = DriverFolder();
  const double megabytes = static_cast<double>(folder.bytes) / (1 << 20);
  double compress = 0, rawDeflate = 0;
  for (auto _ : state) {
    MemoryFileSystem files = folder.files;
    files.AddFolder(L"C:\\Backups");
    MemoryBackupParts parts(files);
    const RecordTable devices(1);
    const std::int32_t count = 0;
    std::wstring temp = L"C:\\work\\", backups = L"C:\\Backups\\";
    StringMap list;
    bool all = false;
    StopRequest stop(nullptr);
    BackupRun run(parts, BackupLinks{devices, count, temp, backups, list, all}, stop);
    auto t0 = ThreadSeconds();
    if (run.CompressBackup(false) != 1 || files.Probe(L"C:\\work") != PathKind::Missing) state.SkipWithError("pack");
    auto t1 = ThreadSeconds();
    benchmark::DoNotOptimize(RawDeflate(folder.contents));
    auto t2 = ThreadSeconds();
    compress += t1 - t0;
    rawDeflate += t2 - t1;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["folder_MiB"] = megabytes;
  state.counters["compress_backup_MBps"] = megabytes * n / compress;
  state.counters["raw_deflate_MBps"] = megabytes * n / rawDeflate;
  state.counters["compress_vs_raw"] = compress / rawDeflate;
}
BENCHMARK(BM_CompressBackupVersusRawZlib)->Unit(benchmark::kSecond)->Iterations(2);

// A 5,000-line INF of a display driver: strings, models, registry lines and
// twenty file-list sections named by the install section.
std::string FiveThousandLineInf() {
  std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Display\r\nCatalogFile=nv.cat\r\n";
  inf += "[DestinationDirs]\r\nDefaultDestDir=11\r\n";
  for (int s = 0; s < 20; ++s) inf += "Files" + std::to_string(s) + " = " + (s % 2 ? "12" : "11") + "\r\n";
  inf += "[Manufacturer]\r\n%NVIDIA%=NVIDIA,NTx86\r\n[NVIDIA.NTx86]\r\n";
  for (int m = 0; m < 1000; ++m) inf += "%Model" + std::to_string(m) + "% = nv.Install, PCI\\VEN_10DE&DEV_" + std::to_string(m) + "\r\n";
  inf += "[nv.Install.NTx86]\r\nInclude=ks.inf\r\nNeeds=KS.Registration\r\nAddReg=nv.AddReg\r\n";
  for (int s = 0; s < 20; ++s) inf += "CopyFiles=Files" + std::to_string(s) + "\r\n";
  for (int s = 0; s < 20; ++s) {
    inf += "[Files" + std::to_string(s) + "]\r\n";
    for (int f = 0; f < 50; ++f) inf += "file" + std::to_string(s) + "_" + std::to_string(f) + ".dll,,,0x4 ; a file\r\n";
  }
  inf += "[nv.AddReg]\r\n";
  for (int r = 0; r < 1000; ++r) inf += "HKR,,Value" + std::to_string(r) + ",%REG_DWORD%,0x" + std::to_string(r) + "\r\n";
  inf += "[Strings]\r\n";
  const auto lines = std::count(inf.begin(), inf.end(), '\n');
  for (auto m = lines; m < 5000; ++m) inf += "Model" + std::to_string(m) + "=\"NVIDIA GeForce " + std::to_string(m) + "\"\r\n";
  return inf;
}

void BM_ParseInf(benchmark::State& state) {
  fuzz::MemoryInfPlatform platform;
  const std::string inf = FiveThousandLineInf();
  platform.files.AddFile(L"C:\\WINDOWS\\inf\\oem3.inf", inf);
  platform.files.AddFile(L"C:\\WINDOWS\\inf\\ks.inf", "[Version]\r\n[KS.Registration]\r\nCopyFiles=@ks.sys\r\n");
  DirIdCache cache;
  CBackupRestore engine(platform, cache);
  std::size_t files = 0;
  for (auto _ : state) {
    engine.ParseInf(L"oem3.inf", L"nv.Install", L".NTx86");
    files = engine.m_arrFiles.size();
  }
  state.counters["lines"] = static_cast<double>(std::count(inf.begin(), inf.end(), '\n'));
  state.counters["files_found"] = static_cast<double>(files);
}
BENCHMARK(BM_ParseInf)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velkor
