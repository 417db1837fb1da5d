#pragma once
// A machine for the driver collection and the backup run, in memory: the
// folders of a Windows XP installation on drive C (the INF reader's memory
// platform), class keys by driver key, and the engine's stop handshake. It
// counts folder listings, so that tests see how much a search walked, and can
// ask for a stop when a chosen folder is listed or a chosen device announced.

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "backup/backup_platform.hpp"
#include "inventory/stop_handshake.hpp"
#include "memory_inf_platform.hpp"

namespace velkor::test {

inline constexpr wchar_t kWindows[] = L"C:\\WINDOWS";
inline constexpr wchar_t kInfFolder[] = L"C:\\WINDOWS\\inf\\";
inline constexpr wchar_t kDrivers[] = L"C:\\WINDOWS\\system32\\drivers\\";

class FakeBackupMachine final : public BackupPlatform, public StopHandshake {
 public:
  fuzz::MemoryInfPlatform inf;
  MemoryFileSystem& files = inf.files;
  std::map<std::wstring, ClassKeyValues> classKeys;  // by driver key
  std::int32_t engineState = kEngineRunning;
  bool acknowledgeFails = false;
  std::vector<std::wstring> listed;  // every folder listed, in order
  // Called with each folder before it is listed (a test may ask for a stop).
  std::function<void(const std::wstring& folder)> onList;

  void SetOsVersionCode(std::int32_t code) { inf.osVersionCode = code; }
  void AddFile(const std::wstring& path, const std::string& text) { files.AddFile(path, text); }
  std::string Text(const std::wstring& path) const {
    const MemoryFileSystem::Node* node = files.Find(path);
    return node == nullptr || node->bytes == nullptr ? std::string("<missing>")
                                                      : std::string(node->bytes->begin(), node->bytes->end());
  }
  std::vector<std::uint8_t> Bytes(const std::wstring& path) const {
    const MemoryFileSystem::Node* node = files.Find(path);
    return node == nullptr || node->bytes == nullptr ? std::vector<std::uint8_t>() : *node->bytes;
  }
  int Listings(const std::wstring& folder) const {
    int n = 0;
    for (const std::wstring& f : listed) n += f == folder ? 1 : 0;
    return n;
  }

  // InfPlatform
  std::unique_ptr<ByteSource> OpenShared(const std::wstring& path) override { return inf.OpenShared(path); }
  bool FileExists(const std::wstring& path) override { return inf.FileExists(path); }
  std::wstring SpecialFolder(int csidl) override { return inf.SpecialFolder(csidl); }
  std::wstring DecodeAnsi(std::span<const std::uint8_t> bytes) override { return inf.DecodeAnsi(bytes); }
  std::int32_t OsVersionCode() override { return inf.OsVersionCode(); }

  // BackupPlatform
  std::optional<ClassKeyValues> ReadClassKey(const std::wstring& driverKey) override {
    const auto found = classKeys.find(driverKey);
    if (found == classKeys.end()) return std::nullopt;
    return found->second;
  }
  std::vector<FolderItem> ListFolder(const std::wstring& folder) override {
    if (onList) onList(folder);
    listed.push_back(folder);
    return files.ListFolder(folder);
  }
  bool CreateFolder(const std::wstring& path) override { return files.MakeFolder(path); }
  bool CopyFileOver(const std::wstring& source, const std::wstring& target) override {
    FileFacts facts;
    const std::unique_ptr<ByteSource> from = files.OpenFile(source, facts);
    if (!from) return false;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(facts.size));
    if (!from->ReadAt(0, bytes)) return false;
    const std::unique_ptr<FileWriter> to = files.CreateNewFile(target, facts.attributes);
    return to && to->Write(bytes) && to->Commit(facts.times);
  }
  bool AppendToFile(const std::wstring& path, std::span<const std::uint8_t> bytes) override {
    std::vector<std::uint8_t> all = Bytes(path);
    if (files.Probe(path) == PathKind::Folder) return false;
    all.insert(all.end(), bytes.begin(), bytes.end());
    const std::unique_ptr<FileWriter> to = files.CreateNewFile(path, kAttributeArchive);
    return to && to->Write(all) && to->Commit({});
  }

  // StopHandshake
  std::int32_t ReadEngineState() const override { return engineState; }
  bool AcknowledgeStop() override {
    if (acknowledgeFails) return false;
    engineState = kStopAcknowledged;
    return true;
  }
};

}  // namespace velkor::test
