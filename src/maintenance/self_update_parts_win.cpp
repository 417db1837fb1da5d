#include "maintenance/self_update_parts_win.hpp"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "base/path.hpp"
#include "core/file_bytes.hpp"
#include "inventory/system_information.hpp"
#include "platform/signature_check_win.hpp"
#include "platform/unique_handle.hpp"
#include "service_address.hpp"
#include "service_config_win.hpp"
#include "update_api.h"

namespace velkor {
namespace {

// update.dll takes narrow texts in the thread's ANSI code page. A character
// the code page lacks becomes the system's default character, so such a path
// names no file and the transfer fails rather than writes elsewhere.
std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  if (size <= 0) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_THREAD_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(), size, nullptr,
                      nullptr);
  return out;
}

const SignatureKeySet& VersionFileKeys() {
  // A key the system cannot use leaves no trusted key, and every file is refused.
  static const SignatureKeySet keys = [] {
    SignatureKeySet set;
    set.AddPem(kVersionFileKeys);
    return set;
  }();
  return keys;
}

}  // namespace

bool WinSelfUpdateParts::IsAdministrator() { return velkor::IsAdministrator(); }

std::wstring WinSelfUpdateParts::OwnVersion() { return GetAppVersion(); }

std::wstring WinSelfUpdateParts::VersionFileUrl() {
  // The service Network.dll talks to, so that a deployment changes one value.
  const network::ServiceAddress address = network::ConfiguredServiceAddress(network::ThisProcessElevation());
  return network::ServiceUrl(address, L"v1/app/version");
}

bool WinSelfUpdateParts::IsConnected() { return STIsConnected() != 0; }

bool WinSelfUpdateParts::Transfer(const std::wstring& url, const std::wstring& path) {
  STClearFiles();
  STAddFile(Narrow(url).c_str(), Narrow(path).c_str());
  STSetOption("hidden", hidden_);
  return STDownloadFiles(nullptr) != 0;
}

bool WinSelfUpdateParts::FileExists(const std::wstring& path) { return velkor::FileExists(path); }

void WinSelfUpdateParts::DeleteLocalFile(const std::wstring& path) { RemoveFile(path); }

std::optional<std::string> WinSelfUpdateParts::ReadFile(const std::wstring& path, std::size_t limit) {
  std::vector<std::uint8_t> bytes;
  if (ReadFileBytes(path, limit, bytes) != ReadResult::Ok) return std::nullopt;
  return std::string(bytes.begin(), bytes.end());
}

bool WinSelfUpdateParts::VerifyVersionFile(std::string_view signedLines, const AnswerSignature& signature) {
  const std::string_view parts[] = {signedLines};
  return VersionFileKeys().Verify(SignaturePurpose::kVersionFile, parts, signature);
}

SetupStart WinSelfUpdateParts::RunVerifiedSetup(const std::wstring& path, const Sha256Digest& expected) {
  // Others may read (and so start) the file while the handle is open, but
  // nobody may write, rename or delete it: the file that was checked is the
  // file the shell starts. The handle is held until the process ends.
  UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return SetupStart::kFailed;
  const std::optional<Sha256Digest> digest = SystemSha256OfFile(file.get());
  if (!digest) return SetupStart::kFailed;
  if (*digest != expected) return SetupStart::kHashMismatch;
  const std::wstring quoted = QuotedPath(path);
  const HINSTANCE started =
      ShellExecuteW(GetDesktopWindow(), L"open", quoted.c_str(), kSilentSetupArgument, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(started) <= 32) return SetupStart::kFailed;
  PostQuitMessage(0);
  ExitProcess(0);
}

}  // namespace velkor
