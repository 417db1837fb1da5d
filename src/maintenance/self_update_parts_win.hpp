#pragma once
// The self-update's parts over the system: the administrator test and the
// program's version, the data folder, the configured update service's
// address, update.dll's functions, files, the version-file keys compiled in
// (cmake/VelkorSigningKeys.cmake) and the start of the verified setup.

#include <string>

#include "maintenance/self_update.hpp"

namespace velkor {

extern const char kVersionFileKeys[];

class WinSelfUpdateParts final : public SelfUpdateParts {
 public:
  // hiddenOption: update.dll's "hidden" value before every transfer, "0" (its
  // progress window; the window program) or "1" (the console).
  WinSelfUpdateParts(std::wstring dataFolder, const char* hiddenOption)
      : dataFolder_(std::move(dataFolder)), hidden_(hiddenOption) {}

  bool IsAdministrator() override;
  std::wstring OwnVersion() override;
  std::wstring DataFolder() override { return dataFolder_; }
  std::wstring VersionFileUrl() override;
  bool IsConnected() override;
  bool Transfer(const std::wstring& url, const std::wstring& path) override;
  bool FileExists(const std::wstring& path) override;
  void DeleteLocalFile(const std::wstring& path) override;
  std::optional<std::string> ReadFile(const std::wstring& path, std::size_t limit) override;
  bool VerifyVersionFile(std::string_view signedLines, const AnswerSignature& signature) override;
  SetupStart RunVerifiedSetup(const std::wstring& path, const Sha256Digest& expected) override;

 private:
  std::wstring dataFolder_;
  const char* hidden_;
};

}  // namespace velkor
