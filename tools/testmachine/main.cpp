// testmachine: makes the current Wine prefix (or Windows installation) into a
// described test machine, or lists its present devices. See docs/testing.md,
// "Test machines".

#include <windows.h>

#include <string>

#include "app/velkorctl/console.hpp"
#include "device_listing.hpp"
#include "machine_builder.hpp"
#include "machine_description.hpp"
#include "platform/unique_handle.hpp"

namespace {

using velkor::ctl::Console;
namespace tm = velkor::testmachine;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr wchar_t kUsage[] =
    L"usage: testmachine DESCRIPTION.json   make this prefix into the described machine\n"
    L"       testmachine --check DESCRIPTION.json   only validate the description\n"
    L"       testmachine --list   list the present devices\n";

int Usage(const Console& console, const std::wstring& message) {
  console.Err(L"testmachine: " + message + L"\n");
  console.Err(kUsage);
  return kExitUsage;
}

// Reads the whole file; false (with a reason) when it cannot be read or is
// larger than any description may be.
bool ReadDescriptionFile(const std::wstring& path, std::string& bytes, std::wstring& error) {
  velkor::UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    error = L"cannot open " + path;
    return false;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > tm::kMaxDescriptionBytes) {
    error = path + L" is not a readable description (larger than 16 MiB?)";
    return false;
  }
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &read, nullptr) ||
        read == 0) {
      error = L"cannot read " + path;
      return false;
    }
    done += read;
  }
  return true;
}

std::wstring FolderOf(const std::wstring& path) {
  wchar_t full[MAX_PATH * 4];
  const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH * 4, full, nullptr);
  std::wstring text = (length == 0 || length >= MAX_PATH * 4) ? path : std::wstring(full, length);
  const size_t slash = text.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : text.substr(0, slash);
}

int List(const Console& console) {
  std::wstring text;
  if (!tm::ListPresentDevices(text)) {
    console.Err(L"testmachine: cannot read the device list\n");
    return kExitFailed;
  }
  console.Out(text);
  return kExitOk;
}

int Build(const Console& console, const std::wstring& path, bool check_only) {
  std::string bytes;
  std::wstring error;
  if (!ReadDescriptionFile(path, bytes, error)) {
    console.Err(L"testmachine: " + error + L"\n");
    return kExitUsage;
  }
  const tm::DescriptionResult parsed = tm::ParseMachineDescription(bytes);
  if (!parsed.machine) {
    console.Err(L"testmachine: " + path + L": " + parsed.error + L"\n");
    return kExitUsage;
  }
  if (check_only) {
    for (const tm::DeviceDescription& device : parsed.machine->devices) {
      console.Out(device.json_path + L" " + device.instance_id + L"\n");
    }
    return kExitOk;
  }
  const tm::BuildReport report = tm::BuildMachine(
      *parsed.machine, FolderOf(path), [&console](const std::wstring& line) { console.Out(line + L"\n"); },
      [&console](const std::wstring& line) { console.Err(L"testmachine: " + line + L"\n"); });
  console.Out(std::to_wstring(report.devices) + L" devices, " + std::to_wstring(report.failed) + L" failed\n");
  return report.failed == 0 ? kExitOk : kExitFailed;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const Console console;
  if (argc == 2 && (std::wstring(argv[1]) == L"--help" || std::wstring(argv[1]) == L"-h" ||
                    std::wstring(argv[1]) == L"/?")) {
    console.Out(kUsage);
    return kExitOk;
  }
  if (argc == 2 && std::wstring(argv[1]) == L"--list") return List(console);
  if (argc == 3 && std::wstring(argv[1]) == L"--check") return Build(console, argv[2], true);
  if (argc == 2 && argv[1][0] != L'-') return Build(console, argv[1], false);
  if (argc < 2) return Usage(console, L"no machine description given");
  return Usage(console, std::wstring(L"unexpected arguments starting with ") + argv[1]);
}
