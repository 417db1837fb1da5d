// The driver store on a machine Wine presents as Windows Vista (vista-laptop,
// built by driver_store.sh, which also lays out a driver store package of its
// network adapter and the setup log that names it). The real engine reads the
// real registry, walks the real folders and copies real files; only the OS
// version code is pinned to 6: 64-bit Wine reports Vista on an x64 processor
// (code 9), and code 6 is 32-bit Vista's.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "backup/backup_index.hpp"
#include "backup/backup_platform_win.hpp"
#include "backup/backup_restore.hpp"
#include "inventory/driver_scanner_app.hpp"
#include "inventory/machine_scan_win.hpp"
#include "inventory/os_version_code.hpp"

namespace velkor {
namespace {

constexpr wchar_t kPackage[] = L"realtek_nic.inf_x86_3b2c1a0f";

class PinnedVista final : public BackupPlatform {
 public:
  std::unique_ptr<ByteSource> OpenShared(const std::wstring& path) override { return real_.OpenShared(path); }
  bool FileExists(const std::wstring& path) override { return real_.FileExists(path); }
  std::wstring SpecialFolder(int csidl) override { return real_.SpecialFolder(csidl); }
  std::wstring DecodeAnsi(std::span<const std::uint8_t> bytes) override { return real_.DecodeAnsi(bytes); }
  std::int32_t OsVersionCode() override { return 6; }
  std::optional<ClassKeyValues> ReadClassKey(const std::wstring& key) override { return real_.ReadClassKey(key); }
  std::vector<FolderItem> ListFolder(const std::wstring& folder) override { return real_.ListFolder(folder); }
  bool CreateFolder(const std::wstring& path) override { return real_.CreateFolder(path); }
  bool CopyFileOver(const std::wstring& from, const std::wstring& to) override { return real_.CopyFileOver(from, to); }
  bool AppendToFile(const std::wstring& path, std::span<const std::uint8_t> bytes) override {
    return real_.AppendToFile(path, bytes);
  }

 private:
  WinBackupPlatform real_;
};

std::string Bytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("<missing>");
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(find, &found));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring NewFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

class DriverStoreOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetOSVersionCode().major, 6u) << "Wine does not report Vista";
    RecordTable table(kScanTableCapacity);
    std::size_t count = 0;
    ASSERT_EQ(ScanMachineDevices([&](const DeviceRecord* record, int) {
                if (record != nullptr && count < table.Capacity()) table[count++] = *record;
              }),
              kResultCompleted);
    for (std::size_t i = 0; i < count; ++i) {
      if (table[i].HardwareId.rfind(L"PCI\\VEN_10EC&DEV_8168", 0) == 0) nic = table[i];
    }
    ASSERT_FALSE(nic.Name.empty()) << "no network adapter in the inventory";
    system = platform.SpecialFolder(kCsidlSystem);
    store = system + L"\\DriverStore\\FileRepository\\" + kPackage + L"\\";
  }

  // Backs the device up into a new folder; its folder's files.
  std::vector<std::wstring> BackUp(const DeviceRecord& device, const wchar_t* name, CBackupRestore& engine) {
    folder = NewFolder(name);
    const std::vector<DeviceRecord> devices{device};
    EXPECT_EQ(engine.BackupDrivers(folder, devices, {}), kResultCompleted);
    return FilesIn(folder + BackupFolderName(device.Name) + L"\\");
  }

  PinnedVista platform;
  DeviceRecord nic;
  std::wstring system, store, folder;
};

// Every file of the package's store folder, those of its subfolders too, and
// only those: the store holds a file that the INF names nowhere.
TEST_F(DriverStoreOnWine, PackageFoundByItsInfName) {
  DeviceRecord byName = nic;  // as the inventory lists it by its compatible driver
  byName.InfPath = platform.SpecialFolder(kCsidlWindows) + L"\\inf\\realtek_nic.inf";
  CBackupRestore engine(platform, TheDriverScannerApp());
  const std::vector<std::wstring> files = BackUp(byName, L"velkor-store-by-name", engine);
  EXPECT_EQ(files, (std::vector<std::wstring>{L"realtek_nic.inf", L"rtl8168fx.sys", L"rtlcoinst.dll"}));
  const std::wstring saved = folder + BackupFolderName(nic.Name) + L"\\";
  EXPECT_EQ(Bytes(saved + L"rtlcoinst.dll"), Bytes(store + L"sub\\rtlcoinst.dll"));
  EXPECT_EQ(Bytes(saved + L"rtl8168fx.sys"), Bytes(store + L"rtl8168fx.sys"));
  EXPECT_FALSE(engine.m_arrDriverStore.empty());
  EXPECT_TRUE(engine.m_arrSetupApiLines.empty());  // the log was not needed
}

// As 32-bit Vista's inventory lists the device: by the published oem7.inf,
// which the store does not know by that name; the setup log's last line about
// it tells its folder.
TEST_F(DriverStoreOnWine, PackageFoundThroughTheSetupLog) {
  DeviceRecord published = nic;
  published.InfPath = platform.SpecialFolder(kCsidlWindows) + L"\\inf\\oem7.inf";
  CBackupRestore engine(platform, TheDriverScannerApp());
  const std::vector<std::wstring> files = BackUp(published, L"velkor-store-by-log", engine);
  EXPECT_EQ(files, (std::vector<std::wstring>{L"realtek_nic.inf", L"rtl8168fx.sys", L"rtlcoinst.dll"}));
  EXPECT_EQ(engine.m_arrSetupApiLines.size(), 2u);
}

}  // namespace
}  // namespace velkor
