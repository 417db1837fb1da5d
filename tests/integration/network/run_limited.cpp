// Runs a command line with this process's limited token: the token that UAC
// links to an elevated one, as an ordinary program of the same user has it.
//   run_limited PROGRAM [ARGS...]
// Exits with the program's exit code; 120 when there is no linked token (the
// process is not elevated) or the program cannot be started.
// Linked tokens are Vista's; this test tool runs only where they exist.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// The command line after our own program name, as it was written.
std::wstring RestOfCommandLine() {
  const wchar_t* line = GetCommandLineW();
  if (*line == L'"') {
    ++line;
    while (*line != L'\0' && *line != L'"') ++line;
    if (*line == L'"') ++line;
  } else {
    while (*line != L'\0' && *line != L' ' && *line != L'\t') ++line;
  }
  while (*line == L' ' || *line == L'\t') ++line;
  return line;
}

struct Handle {
  HANDLE h = nullptr;
  ~Handle() {
    if (h != nullptr) CloseHandle(h);
  }
};

}  // namespace

int wmain() {
  std::wstring command = RestOfCommandLine();
  if (command.empty()) {
    std::fputs("usage: run_limited PROGRAM [ARGS...]\n", stderr);
    return 120;
  }
  Handle token;
  Handle primary;
  TOKEN_LINKED_TOKEN linked{};
  DWORD size = 0;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token.h) ||
      !GetTokenInformation(token.h, TokenLinkedToken, &linked, sizeof(linked), &size)) {
    std::fputs("run_limited: no linked token\n", stderr);
    return 120;
  }
  Handle limited{linked.LinkedToken};
  if (!DuplicateTokenEx(limited.h, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &primary.h)) {
    std::fputs("run_limited: cannot use the linked token\n", stderr);
    return 120;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessAsUserW(primary.h, nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &process)) {
    std::fprintf(stderr, "run_limited: cannot start the program (%lu)\n", GetLastError());
    return 120;
  }
  Handle thread{process.hThread};
  Handle child{process.hProcess};
  WaitForSingleObject(child.h, INFINITE);
  DWORD code = 120;
  GetExitCodeProcess(child.h, &code);
  return static_cast<int>(code);
}
