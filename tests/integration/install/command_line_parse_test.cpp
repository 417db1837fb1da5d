// The update tool's command line read back the way the tool reads it
// (CommandLineToArgvW), hostile values included.

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "install/command_lines.hpp"
#include "install/update_tool_protocol.hpp"

namespace velkor {
namespace {

std::vector<std::wstring> Split(const std::wstring& line) {
  int count = 0;
  LPWSTR* words = ::CommandLineToArgvW(line.c_str(), &count);
  std::vector<std::wstring> out;
  if (words == nullptr) return out;
  for (int i = 0; i < count; ++i) out.emplace_back(words[i]);
  ::LocalFree(words);
  return out;
}

TEST(UpdateToolCommandLineReadBack, EveryValueComesBackExactly) {
  const std::wstring inf = L"C:\\Users\\Jo Doe\\AppData\\Download\\pciven_10ec&dev_8168\\WinXP\\nic.inf";
  const std::wstring values[] = {
      L"PCI\\VEN_10EC&DEV_8168&SUBSYS_81681849&REV_01",
      L"ROOT\\",                          // a final backslash before the closing quote
      L"A\\\\",
      L"\\\\server\\share\\",
      L"with space",
      L"a\\\\b\\c",
      L"&|<>^%PATH%!x!",
      L"-update \"\" ",                   // holds quotes: refused below
      L"\u00e9\u65e5\\x",
      L" lead and trail ",
  };
  for (const std::wstring& value : values) {
    for (const auto& [infValue, idValue] : {std::pair{inf, value}, std::pair{L"C:\\dl\\" + value + L".inf", value}}) {
      const std::optional<std::wstring> parameters = UpdateToolParameters(infValue, idValue);
      if (value.find(L'"') != std::wstring::npos) {
        EXPECT_FALSE(parameters) << value.c_str();
        continue;
      }
      ASSERT_TRUE(parameters) << value.c_str();
      const std::vector<std::wstring> words = Split(L"\"C:\\Velkor\\xp\\tool.exe\" " + *parameters);
      ASSERT_EQ(words.size(), 4u) << parameters->c_str();
      EXPECT_EQ(words[1], L"update");
      EXPECT_EQ(words[2], infValue) << parameters->c_str();
      EXPECT_EQ(words[3], idValue) << parameters->c_str();
    }
  }
}

TEST(UpdateToolCommandLineReadBack, ValuesWithQuotesAreNeverPassed) {
  // Each of these, passed inside quotes, would give the tool another INF or
  // more words.
  const wchar_t* hostile[] = {L"x\" \"C:\\evil.inf", L"x\\\" extra", L"\"", L"\"\"", L"a\"b"};
  for (const wchar_t* value : hostile) {
    EXPECT_FALSE(UpdateToolParameters(L"C:\\dl\\nic.inf", value)) << value;
    EXPECT_FALSE(UpdateToolParameters(value, L"PCI\\VEN_1")) << value;
  }
}

TEST(UpdateToolCommandLineReadBack, TheToolAcceptsWhatTheProgramBuilds) {
  const std::optional<std::wstring> parameters = UpdateToolParameters(L"C:\\dl\\abc\\nic.inf", L"PCI\\VEN_10EC&DEV_8168");
  ASSERT_TRUE(parameters);
  const std::optional<UpdateToolRequest> request = ParseUpdateToolArguments(Split(L"tool.exe " + *parameters));
  ASSERT_TRUE(request);
  EXPECT_EQ(request->infPath, L"C:\\dl\\abc\\nic.inf");
  EXPECT_EQ(request->hardwareId, L"PCI\\VEN_10EC&DEV_8168");
}

}  // namespace
}  // namespace velkor
