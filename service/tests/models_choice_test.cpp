#include <gtest/gtest.h>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "models_choice.hpp"
#include "os_codes.hpp"
#include "serving_rule.hpp"
#include "windows_releases.hpp"

namespace velkor::service {
namespace {

std::vector<OsDecoration> Decorations(const std::wstring& line) {
  std::vector<OsDecoration> out;
  for (const std::wstring& piece : SplitText(line, L',')) {
    OsDecoration d;
    EXPECT_TRUE(ParseOsDecoration(piece, d)) << ToUtf8(piece);
    out.push_back(d);
  }
  return out;
}

// The section Windows installs from on each system, for the decorations of one
// [Manufacturer] entry (all with their sections), as Microsoft documents the
// choice: the architecture must match or be left open; the version, and from
// Windows 10 1607 on the build, must not be above the system's; a named product
// type and suite mask must match; the most specific match wins; 64-bit systems
// never fall back to the undecorated section, and systems before XP read
// nothing else.
TEST(ModelsChoice, DocumentedRules) {
  const auto x86 = Arch::kX86, x64 = Arch::kAmd64, ia64 = Arch::kIa64, arm64 = Arch::kArm64;
  struct Case {
    const char* what;
    WindowsSystem system;
    const wchar_t* decorations;
    bool undecorated;
    const wchar_t* expected;  // the decoration as written, "-" undecorated, "" none
  };
  const Case cases[] = {
      {"XP takes its architecture", MakeWindowsSystem(x86, 5, 1, 2600), L"NTx86, NTamd64", true, L"NTx86"},
      {"x86 falls back to the undecorated section", MakeWindowsSystem(x86, 5, 1, 2600), L"NTamd64", true, L"-"},
      {"nothing for x86 without it", MakeWindowsSystem(x86, 5, 1, 2600), L"NTamd64", false, L""},
      {"64-bit never takes the undecorated section", MakeWindowsSystem(x64, 6, 1, 7601), L"NTx86", true, L""},
      {"64-bit takes its own", MakeWindowsSystem(x64, 6, 1, 7601), L"NTx86, NTamd64", true, L"NTamd64"},
      {"Itanium takes its own", MakeWindowsSystem(ia64, 5, 2, 3790, 3), L"NTamd64, NTia64", false, L"NTia64"},
      {"2000 reads only the undecorated section", MakeWindowsSystem(x86, 5, 0, 2195), L"NTx86, NT", true, L"-"},
      {"2000 without it gets nothing", MakeWindowsSystem(x86, 5, 0, 2195), L"NTx86", false, L""},
      {"the highest version not above the system's", MakeWindowsSystem(x86, 6, 1, 7601),
       L"NTx86, NTx86.6.0, NTx86.6.1, NTx86.6.2", false, L"NTx86.6.1"},
      {"Vista skips the 6.1 section", MakeWindowsSystem(x86, 6, 0, 6002), L"NTx86.6.1, NTx86.6.0, NTx86", false,
       L"NTx86.6.0"},
      {"a higher version alone does not serve", MakeWindowsSystem(x86, 6, 0, 6002), L"NTx86.6.1", true, L"-"},
      {"a named product type must match", MakeWindowsSystem(x64, 6, 0, 6002, 3), L"NTamd64.6.0.1, NTamd64.6.0.3",
       false, L"NTamd64.6.0.3"},
      {"a workstation takes the workstation section", MakeWindowsSystem(x64, 6, 0, 6002, 1),
       L"NTamd64.6.0.3, NTamd64.6.0.1", false, L"NTamd64.6.0.1"},
      {"a domain controller is no server", MakeWindowsSystem(x64, 6, 0, 6002, 2), L"NTamd64.6.0.3", false, L""},
      {"a product type ranks above an architecture", MakeWindowsSystem(x64, 6, 0, 6002, 3), L"NTamd64.6.0, NT.6.0.3",
       false, L"NT.6.0.3"},
      {"a named suite must be present", MakeWindowsSystem(x64, 6, 1, 7601, 3, 0x8000),
       L"NTamd64.6.1, NTamd64.6.1..0x8000", false, L"NTamd64.6.1..0x8000"},
      {"without the suite the plain section", MakeWindowsSystem(x64, 6, 1, 7601, 3, 0x0110),
       L"NTamd64.6.1..0x8000, NTamd64.6.1", false, L"NTamd64.6.1"},
      {"suite masks in decimal too", MakeWindowsSystem(x64, 6, 1, 7601, 3, 0x8010), L"NTamd64.6.1..32768", false,
       L"NTamd64.6.1..32768"},
      {"a build: from that build on", MakeWindowsSystem(x64, 10, 0, 16299), L"NTamd64.10.0...16299", false,
       L"NTamd64.10.0...16299"},
      {"a build: not before it", MakeWindowsSystem(x64, 10, 0, 16298), L"NTamd64.10.0...16299", false, L""},
      {"a build: and later builds", MakeWindowsSystem(x64, 10, 0, 26100), L"NTamd64.10.0...16299", false,
       L"NTamd64.10.0...16299"},
      {"builds before the named one take the older section", MakeWindowsSystem(x64, 10, 0, 22631),
       L"NTamd64, NTamd64.10.0...25319", false, L"NTamd64"},
      {"builds from the named one take it", MakeWindowsSystem(x64, 10, 0, 26100), L"NTamd64, NTamd64.10.0...25319",
       false, L"NTamd64.10.0...25319"},
      {"the highest build not above the system's", MakeWindowsSystem(x64, 10, 0, 19045),
       L"NTamd64.10.0...17763, NTamd64.10.0...22000, NTamd64.10.0...19041", false, L"NTamd64.10.0...19041"},
      {"Windows 7 RTM is not SP1", MakeWindowsSystem(x86, 6, 1, 7600), L"NTx86.6.1...7601, NTx86.6.0", false,
       L"NTx86.6.0"},
      {"a lower version serves whatever its build", MakeWindowsSystem(x64, 10, 0, 10240), L"NTamd64.6.3...9999", false,
       L"NTamd64.6.3...9999"},
      {"ARM64 takes its own", MakeWindowsSystem(arm64, 10, 0, 22631), L"NTamd64, NTarm64", false, L"NTarm64"},
      {"ARM64 takes no x64 section", MakeWindowsSystem(arm64, 10, 0, 22631), L"NTamd64", true, L""},
      {"a plain NT section serves every architecture", MakeWindowsSystem(arm64, 10, 0, 22631), L"NT", false, L"NT"},
      {"a named architecture ranks above plain NT", MakeWindowsSystem(x64, 6, 1, 7601), L"NT, NTamd64", false,
       L"NTamd64"},
      {"the first listed among equals", MakeWindowsSystem(x64, 6, 1, 7601), L"NT.6.0, NTamd64.6.0, ntamd64.6.0", false,
       L"NTamd64.6.0"},
      {"letter case is not significant", MakeWindowsSystem(x64, 6, 1, 7601), L"ntAMD64.6.1", false, L"ntAMD64.6.1"},
      // The client's code table tells no build: builds are neither compared nor
      // ranked, as they never were for those systems.
      {"a code's system ranks without builds", MakeWindowsSystem(x86, 6, 1, std::nullopt),
       L"NTx86.6.1...7601, NTx86.6.1...7600", false, L"NTx86.6.1...7601"},
      {"a code's system is not refused by a build", MakeWindowsSystem(x64, 6, 1, std::nullopt),
       L"NTamd64.6.1...99999", false, L"NTamd64.6.1...99999"},
  };
  for (const Case& c : cases) {
    const std::vector<OsDecoration> decorations = Decorations(c.decorations);
    const int chosen = ChooseModelsSection(decorations, c.undecorated, c.system);
    std::wstring name = chosen == kUndecoratedSection ? L"-" : chosen == kNoSection ? L"" : decorations[chosen].text;
    EXPECT_EQ(ToUtf8(name), ToUtf8(c.expected)) << c.what;
  }
}

TEST(ModelsChoice, DecorationSyntax) {
  const wchar_t* refused[] = {L"", L"Win9x", L"NTmips", L"NT.x", L"NTamd64.123456789", L"NTamd64.6.0.0xZZ"};
  for (const wchar_t* text : refused) {
    OsDecoration d;
    EXPECT_FALSE(ParseOsDecoration(text, d)) << ToUtf8(text);
  }
  const std::pair<const wchar_t*, const wchar_t*> canonical[] = {
      {L"NT", L"nt"},
      {L" NTAmd64 ", L"ntamd64"},
      {L"NTamd64.10.0...16299", L"ntamd64.10.0...16299"},
      {L"NTx86.6.1.0x1.0x8000", L"ntx86.6.1.1.32768"},
      {L"NT.6", L"nt.6"},
      {L"NTarm64.10.0.1.0.22000.7", L"ntarm64.10.0.1..22000"},
  };
  for (const auto& [text, expected] : canonical) {
    OsDecoration d;
    ASSERT_TRUE(ParseOsDecoration(text, d)) << ToUtf8(text);
    EXPECT_EQ(CanonicalDecoration(d), expected) << ToUtf8(text);
    OsDecoration again;
    ASSERT_TRUE(ParseOsDecoration(CanonicalDecoration(d), again));
    EXPECT_EQ(CanonicalDecoration(again), expected);
  }
}

TEST(ServingRules, TextRoundTripAndRefusals) {
  for (const char* text : {"", "-,ntx86,ntamd64:0+1", "ntamd64.10.0...16299:0", "-:0;ntarm64,nt:1"}) {
    const std::optional<ServingRule> rule = ParseRule(text);
    ASSERT_TRUE(rule) << text;
    EXPECT_EQ(RuleText(*rule), text);
  }
  for (const char* bad : {":", "ntx86", "ntx86:1", "ntx86:0+0", "-,ntx86:1+0", "ntmips:0", "-:x", "ntx86:0;"}) {
    EXPECT_FALSE(ParseRule(bad)) << bad;
  }
}

TEST(ServingRules, AnIdServesWhereItsSectionIsChosen) {
  // Listed in NTamd64 only; the entry also has a Windows 10 section without it.
  const ServingRule rule = *ParseRule("ntamd64,ntamd64.10.0...25319:0");
  EXPECT_TRUE(RuleServes(rule, MakeWindowsSystem(Arch::kAmd64, 10, 0, 22631)));
  EXPECT_FALSE(RuleServes(rule, MakeWindowsSystem(Arch::kAmd64, 10, 0, 25319)));
  EXPECT_FALSE(RuleServes(rule, MakeWindowsSystem(Arch::kX86, 10, 0, 22631)));
  // Any entry that lists it is enough.
  const ServingRule two = *ParseRule("ntamd64,ntamd64.10.0...25319:0;ntamd64.10.0...25319:0");
  EXPECT_TRUE(RuleServes(two, MakeWindowsSystem(Arch::kAmd64, 10, 0, 25319)));

  RuleJudge judge(MakeWindowsSystem(Arch::kAmd64, 10, 0, 25319));
  EXPECT_FALSE(judge.Serves("ntamd64,ntamd64.10.0...25319:0", 0));
  EXPECT_TRUE(judge.Serves("ntamd64,ntamd64.10.0...25319:1", 0));
  EXPECT_FALSE(judge.Serves("not a rule", 0xFFFF));
  // Without a rule the codes decide, by the code the client's table gives the
  // system: Windows 10 is -1.
  EXPECT_TRUE(judge.Serves("", OsCodeBit(-1)));
  EXPECT_FALSE(judge.Serves("", OsCodeBit(9)));
  RuleJudge vista(MakeWindowsSystem(Arch::kAmd64, 6, 0, 6002));
  EXPECT_TRUE(vista.Serves("", OsCodeBit(9)));
}

TEST(WindowsReleaseTable, WhatAPackageIsSaidToServe) {
  struct Case {
    const char* rule;
    std::uint32_t mask;
    const char* expected;
  };
  const Case cases[] = {
      {"ntamd64.10.0...16299:0", 0,
       "Windows 10 x64 1709-22H2, Windows 11 x64, Server 2019 x64, Server 2022 x64, Server 2025 x64"},
      {"ntamd64.10.0.1..22000:0", 0, "Windows 11 x64"},
      {"ntamd64.10.0...30000:0", 0, "Windows 11 x64 later builds"},
      {"ntamd64,ntarm64:1", 0, "Windows 10 ARM64, Windows 11 ARM64"},
      {"ntarm:0", 0, "Windows 8 ARM, Windows 8.1 ARM"},
      // Any edition with that suite counts.
      {"ntamd64.6.1.3.0x8000:0", 0,
       "Server 2008 R2 x64, Server 2012 x64, Server 2012 R2 x64, Server 2016 x64, Server 2019 x64, "
       "Server 2022 x64, Server 2025 x64"},
      {"ntamd64.11.0:0", 0, "no Windows release"},
      {"", OsCodeBit(4) | OsCodeBit(9), "Windows XP x86, Windows Vista x64"},
  };
  for (const Case& c : cases) {
    const ServingRule rule = *ParseRule(c.rule);
    EXPECT_EQ(DescribeServedReleases(ServedReleases({ServedBy{&rule, c.mask}})), c.expected) << c.rule;
  }
}

}  // namespace
}  // namespace velkor::service
