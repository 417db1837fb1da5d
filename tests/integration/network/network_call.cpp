// Calls one entry point of a Network.dll once, with the component's own choice
// of service (no fallback), the way the program does:
//   network_call FOLDER driver HARDWARE_ID OS_CODE
//   network_call FOLDER scan REQUEST_FILE
// FOLDER holds the Network.dll to load. Prints the answer (UTF-8) and exits 0
// when the call succeeded, 3 when it failed, 4 when the library is missing,
// 2 for a usage error.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "base/utf.hpp"
#include "core/update_service.hpp"

int wmain(int argc, wchar_t** argv) {
  using namespace velkor;
  if (argc < 4) {
    std::fputs("usage: network_call FOLDER driver ID OS | FOLDER scan FILE\n", stderr);
    return 2;
  }
  std::wstring folder = argv[1];
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  CUpdateService service;
  if (!service.Load(folder)) return 4;
  const std::wstring verb = argv[2];
  wchar_t server[kServerBufferChars] = {};
  std::wstring answer;
  bool ok = false;
  if (verb == L"driver" && argc == 5) {
    ok = service.DriverLookup(server, argv[3], argv[4], answer);
  } else if (verb == L"scan" && argc == 4) {
    std::ifstream in(argv[3], std::ios::binary);
    if (!in) return 2;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ok = service.ScanLookup(server, FromUtf8(bytes), answer);
  } else {
    std::fputs("usage: network_call FOLDER driver ID OS | FOLDER scan FILE\n", stderr);
    return 2;
  }
  if (!ok) return 3;
  const std::string text = ToUtf8(answer);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
