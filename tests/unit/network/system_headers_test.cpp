#include <gtest/gtest.h>

#include <map>

#include "system_headers.hpp"

namespace velkor::network {
namespace {

std::optional<ReportedWindows> Read(const std::map<std::string, std::string>& headers) {
  return ReadWindowsHeaders([&](const char* name) {
    const auto found = headers.find(name);
    return found == headers.end() ? std::string() : found->second;
  });
}

// The lines as they go out, parsed back the way an HTTP server hands them over.
std::map<std::string, std::string> Parse(const std::string& lines) {
  std::map<std::string, std::string> headers;
  for (std::size_t at = 0; at < lines.size();) {
    const std::size_t end = lines.find("\r\n", at);
    const std::string line = lines.substr(at, end - at);
    const std::size_t colon = line.find(": ");
    headers[line.substr(0, colon)] = line.substr(colon + 2);
    at = end + 2;
  }
  return headers;
}

TEST(SystemHeaders, WrittenExactlyAndReadBack) {
  ReportedWindows w;
  w.major = 10;
  w.minor = 0;
  w.build = 19045;
  w.architecture = "amd64";
  w.productType = 1;
  w.suiteMask = 0x110;
  const std::string lines = FormatWindowsHeaders(w);
  EXPECT_EQ(lines,
            "Velkor-Windows-Version: 10.0.19045\r\n"
            "Velkor-Windows-Architecture: amd64\r\n"
            "Velkor-Windows-Product-Type: 1\r\n"
            "Velkor-Windows-Suite-Mask: 0x00000110\r\n");
  const std::optional<ReportedWindows> back = Read(Parse(lines));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->major, 10u);
  EXPECT_EQ(back->minor, 0u);
  EXPECT_EQ(back->build, 19045u);
  EXPECT_EQ(back->architecture, "amd64");
  EXPECT_EQ(back->productType, 1u);
  EXPECT_EQ(back->suiteMask, 0x110u);

  w.architecture = "";  // a machine the component does not know: nothing is said
  EXPECT_EQ(FormatWindowsHeaders(w), "");
}

TEST(SystemHeaders, ReadOnlyWhenWholeAndWellFormed) {
  const std::map<std::string, std::string> good = {{kWindowsVersionHeader, "6.1.7601"},
                                                   {kWindowsArchitectureHeader, "x86"},
                                                   {kWindowsProductHeader, "3"},
                                                   {kWindowsSuiteHeader, "0x8000"}};
  ASSERT_TRUE(Read(good));
  EXPECT_EQ(Read(good)->suiteMask, 0x8000u);
  struct Case {
    const char* header;
    const char* value;
    bool read;
  };
  const Case cases[] = {
      {kWindowsSuiteHeader, "", true},            // the suite may be left out
      {kWindowsVersionHeader, " 6.1.7601 ", true},  // blanks around a value
      {kWindowsVersionHeader, "", false},
      {kWindowsVersionHeader, "6.1", false},
      {kWindowsVersionHeader, "6.1.7601.1", false},
      {kWindowsVersionHeader, "6.1.x", false},
      {kWindowsVersionHeader, "6.1.99999999999", false},
      {kWindowsVersionHeader, "-6.1.7601", false},
      {kWindowsArchitectureHeader, "", false},
      {kWindowsArchitectureHeader, "mips", false},
      {kWindowsArchitectureHeader, "AMD64", false},
      {kWindowsArchitectureHeader, "arm64", true},
      {kWindowsProductHeader, "", false},
      {kWindowsProductHeader, "0", false},
      {kWindowsProductHeader, "4", false},
      {kWindowsProductHeader, "2", true},
      {kWindowsSuiteHeader, "8000", false},
      {kWindowsSuiteHeader, "0x", false},
      {kWindowsSuiteHeader, "0x123456789", false},
      {kWindowsSuiteHeader, "0xFFFFFFFF", true},
  };
  for (const Case& c : cases) {
    std::map<std::string, std::string> headers = good;
    headers[c.header] = c.value;
    EXPECT_EQ(Read(headers).has_value(), c.read) << c.header << ": '" << c.value << "'";
  }
  std::map<std::string, std::string> long_value = good;
  long_value[kWindowsVersionHeader] = "6.1." + std::string(100, '0') + "1";
  EXPECT_FALSE(Read(long_value));
}

TEST(SystemHeaders, ArchitectureNames) {
  EXPECT_EQ(ArchitectureOfMachine(0x8664), "amd64");
  EXPECT_EQ(ArchitectureOfMachine(0xAA64), "arm64");
  EXPECT_EQ(ArchitectureOfMachine(0x014C), "x86");
  EXPECT_EQ(ArchitectureOfMachine(0x0200), "ia64");
  EXPECT_EQ(ArchitectureOfMachine(0x01C4), "arm");
  EXPECT_EQ(ArchitectureOfMachine(0), "");
  EXPECT_EQ(ArchitectureOfProcessor(9), "amd64");
  EXPECT_EQ(ArchitectureOfProcessor(12), "arm64");
  EXPECT_EQ(ArchitectureOfProcessor(0), "x86");
  EXPECT_EQ(ArchitectureOfProcessor(6), "ia64");
  EXPECT_EQ(ArchitectureOfProcessor(0xFFFF), "");
}

}  // namespace
}  // namespace velkor::network
