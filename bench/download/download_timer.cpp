// Times one transfer with the HTTP downloader and the MD5 of the file it made:
//   download_timer URL FILE BUFFER_BYTES
// prints "transfer SECONDS", "md5 SECONDS" and the digest. Run under Wine by
// download_bench.sh.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "download/file_md5.hpp"
#include "download/http_downloader.hpp"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: download_timer URL FILE BUFFER_BYTES\n");
    return 2;
  }
  velkor::CHttpDownloader downloader(L"Velkor");
  downloader.m_url = argv[1];
  downloader.m_localFile = argv[2];
  downloader.m_bufferSize = static_cast<std::uint32_t>(std::wcstoul(argv[3], nullptr, 10));
  LARGE_INTEGER frequency{}, start{}, end{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  const bool ok = downloader.Download();
  QueryPerformanceCounter(&end);
  std::printf("transfer %.3f %s\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
              ok ? "ok" : "failed");
  QueryPerformanceCounter(&start);
  const std::wstring md5 = velkor::FileMd5(argv[2]);
  QueryPerformanceCounter(&end);
  std::printf("md5 %.3f %ls\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart, md5.c_str());
  return ok ? 0 : 1;
}
