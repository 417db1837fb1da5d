// Calls one entry point of a Network.dll once, the way the program does, with
// the component's own choice of service or, after --server, a fallback host:
//   network_call FOLDER [--server HOST] driver HARDWARE_ID OS_CODE
//   network_call FOLDER [--server HOST] scan REQUEST_FILE
// FOLDER holds the Network.dll to load. Prints the answer (UTF-8) and exits 0
// when the call succeeded, 3 when it failed, 4 when the library is missing,
// 2 for a usage error.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/utf.hpp"
#include "core/update_service.hpp"

namespace {

int Usage() {
  std::fputs("usage: network_call FOLDER [--server HOST] driver ID OS | FOLDER [--server HOST] scan FILE\n", stderr);
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace velkor;
  std::vector<std::wstring> args(argv + 1, argv + argc);
  wchar_t server[kServerBufferChars] = {};
  if (args.size() > 2 && args[1] == L"--server") {
    if (args[2].size() >= kServerBufferChars) return Usage();
    args[2].copy(server, args[2].size());
    args.erase(args.begin() + 1, args.begin() + 3);
  }
  if (args.size() < 3) return Usage();
  std::wstring folder = args[0];
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  CUpdateService service;
  if (!service.Load(folder)) return 4;
  std::wstring answer;
  bool ok = false;
  if (args[1] == L"driver" && args.size() == 4) {
    ok = service.DriverLookup(server, args[2], args[3], answer);
  } else if (args[1] == L"scan" && args.size() == 3) {
    std::ifstream in(args[2].c_str(), std::ios::binary);
    if (!in) return Usage();
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ok = service.ScanLookup(server, FromUtf8(bytes), answer);
  } else {
    return Usage();
  }
  if (!ok) return 3;
  const std::string text = ToUtf8(answer);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
