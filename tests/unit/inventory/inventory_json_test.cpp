#include "inventory/inventory_json.hpp"

#include <gtest/gtest.h>

#include <string>

namespace velkor {
namespace {

DeviceRecord SampleRecord() {
  DeviceRecord r;
  r.Name = L"Realtek RTL8139 Family PCI Fast Ethernet NIC";
  r.InfPath = L"C:\\WINDOWS\\inf\\netrtl.inf";
  r.DriverVersion = L"5.396.530.2002";
  r.ClassDescription = L"Network adapters";
  r.Provider = L"Realtek";
  r.HardwareId = L"PCI\\VEN_10EC&DEV_8139&SUBSYS_813910EC&REV_10";
  r.DriverKey = L"{4D36E972-E325-11CE-BFC1-08002BE10318}\\0001";
  r.DriverDate = L"5-30-2002";
  r.Service = L"RTL8023xp";
  r.Signer = L"Microsoft Windows Publisher";
  r.MatchingIds = L"pci\\ven_10ec&dev_8139|PCI\\VEN_10EC&DEV_8139&REV_10|PCI\\CC_020000";
  r.Tag = -7;
  r.IsSpecificCase = 1;
  r.IsInstall = 2147483647;
  return r;
}

TEST(InventoryJson, RoundTripKeepsEveryFieldAndNonAsciiText) {
  RecordTable table(kDeviceTableCapacity);
  table[0] = SampleRecord();
  table[1].Name = L"Gr\u00e4fikkarte \u30c7\u30d0\u30a4\u30b9 \U0001F5A5";  // accents, CJK, astral
  table[1].ServerInfPath = L"x";
  table[1].Md5 = L"0123456789abcdef0123456789abcdef";
  table[1].ServerHardwareId = L"pci\\ven_1";
  table[1].Spare = L"kept";
  table[2].Name = L"quote \" backslash \\ tab \t newline \n";
  const std::string json = WriteInventoryJson(table, 3);

  RecordTable back(kDeviceTableCapacity);
  back[7].Name = L"left over from an earlier read";
  std::int32_t count = -1;
  std::wstring error;
  ASSERT_TRUE(ReadInventoryJson(json, back, count, error)) << std::string(error.begin(), error.end());
  EXPECT_EQ(count, 3);
  for (std::size_t i = 0; i < 3; ++i) {
    const DeviceRecord& a = table[i];
    const DeviceRecord& b = back[i];
    EXPECT_EQ(a.Name, b.Name);
    EXPECT_EQ(a.InfPath, b.InfPath);
    EXPECT_EQ(a.DriverVersion, b.DriverVersion);
    EXPECT_EQ(a.ClassDescription, b.ClassDescription);
    EXPECT_EQ(a.Spare, b.Spare);
    EXPECT_EQ(a.Provider, b.Provider);
    EXPECT_EQ(a.HardwareId, b.HardwareId);
    EXPECT_EQ(a.DriverKey, b.DriverKey);
    EXPECT_EQ(a.DriverDate, b.DriverDate);
    EXPECT_EQ(a.Service, b.Service);
    EXPECT_EQ(a.Signer, b.Signer);
    EXPECT_EQ(a.ServerInfPath, b.ServerInfPath);
    EXPECT_EQ(a.Md5, b.Md5);
    EXPECT_EQ(a.ServerHardwareId, b.ServerHardwareId);
    EXPECT_EQ(a.MatchingIds, b.MatchingIds);
    EXPECT_EQ(a.Tag, b.Tag);
    EXPECT_EQ(a.IsSpecificCase, b.IsSpecificCase);
    EXPECT_EQ(a.IsInstall, b.IsInstall);
  }
  EXPECT_TRUE(back[7].Name.empty()) << "slots past the count are emptied";
}

TEST(InventoryJson, WriterUsesTheDocumentedNamesAndOrder) {
  RecordTable table(kDeviceTableCapacity);
  table[0].Name = L"Dev";
  const std::string json = WriteInventoryJson(table, 1);
  const char* names[] = {"\"number\": 0", "\"Name\": \"Dev\"", "\"InfPath\": \"\"",
                         "\"DriverVersion\"", "\"ClassDescription\"", "\"Spare\"", "\"Provider\"",
                         "\"HardwareId\"", "\"DriverKey\"", "\"DriverDate\"", "\"Service\"",
                         "\"Signer\"", "\"ServerInfPath\"", "\"Md5\"", "\"ServerHardwareId\"",
                         "\"MatchingIds\"", "\"Tag\": 0", "\"IsSpecificCase\": 0", "\"IsInstall\": 0"};
  std::size_t previous = 0;
  for (const char* name : names) {
    const std::size_t at = json.find(name);
    EXPECT_NE(at, std::string::npos) << name;
    EXPECT_GE(at, previous) << name << " is out of order";
    previous = at;
  }
  EXPECT_EQ(WriteInventoryJson(table, 0), "[]\n");
  // A count past the table never reads past it.
  RecordTable small(2);
  EXPECT_NE(WriteInventoryJson(small, 99).find("\"number\": 1"), std::string::npos);
  EXPECT_EQ(WriteInventoryJson(small, 99).find("\"number\": 2"), std::string::npos);
}

TEST(InventoryJson, ReaderAcceptsMissingTextsAndIgnoresUnknownKeys) {
  RecordTable table(kDeviceTableCapacity);
  std::int32_t count = 0;
  std::wstring error;
  ASSERT_TRUE(ReadInventoryJson(R"([{"number":0,"Name":"A","Extra":"later field"},{"number":1}])", table,
                                count, error));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(table[0].Name, L"A");
  EXPECT_TRUE(table[1].Name.empty());
  ASSERT_TRUE(ReadInventoryJson("[]", table, count, error));
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(table[0].Name.empty());
}

TEST(InventoryJson, ReaderRejectsDamagedDocumentsAndLeavesTheTableAlone) {
  struct Case {
    const char* document;
    const wchar_t* error_part;
  };
  const Case cases[] = {
      {"", L"not valid JSON"},
      {"[{\"number\":0,", L"not valid JSON"},
      {"{\"number\":0}", L"not a JSON array"},
      {"[1]", L"not an object"},
      {"[{\"Name\":\"x\"}]", L"no \"number\""},
      {"[{\"number\":1}]", L"expected 0"},
      {"[{\"number\":-1}]", L"expected 0"},
      {"[{\"number\":0.5}]", L"expected 0"},
      {"[{\"number\":\"0\"}]", L"expected 0"},
      {"[{\"number\":0},{\"number\":0}]", L"expected 1"},
      {"[{\"number\":18446744073709551615}]", L"expected 0"},
      {"[{\"number\":0,\"Name\":5}]", L"\"Name\" is not a text"},
      {"[{\"number\":0,\"Name\":null}]", L"\"Name\" is not a text"},
      {"[{\"number\":0,\"Tag\":2147483648}]", L"\"Tag\" is not a 32-bit integer"},
      {"[{\"number\":0,\"IsInstall\":-2147483649}]", L"\"IsInstall\" is not a 32-bit integer"},
      {"[{\"number\":0,\"IsSpecificCase\":true}]", L"\"IsSpecificCase\" is not a 32-bit integer"},
      {"[{\"number\":0,\"Name\":[[[[1]]]]}]", L"deeper"},
      {"[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[", L"deeper"},
      {"[{\"number\":0,\"Name\":\"\xff\xfe\"}]", L"not valid JSON"},
  };
  for (const Case& c : cases) {
    RecordTable table(kDeviceTableCapacity);
    table[0].Name = L"kept";
    std::int32_t count = 5;
    std::wstring error;
    EXPECT_FALSE(ReadInventoryJson(c.document, table, count, error)) << c.document;
    EXPECT_NE(error.find(c.error_part), std::wstring::npos)
        << c.document << " -> " << std::string(error.begin(), error.end());
    EXPECT_EQ(count, 5);
    EXPECT_EQ(table[0].Name, L"kept");
  }
}

TEST(InventoryJson, ReaderBoundsCountAndSizes) {
  RecordTable table(3);
  std::int32_t count = 0;
  std::wstring error;
  std::string four = "[";
  for (int i = 0; i < 4; ++i) four += (i ? ",{\"number\":" : "{\"number\":") + std::to_string(i) + "}";
  four += "]";
  EXPECT_FALSE(ReadInventoryJson(four, table, count, error));
  EXPECT_NE(error.find(L"at most 3"), std::wstring::npos);

  const std::string long_text =
      "[{\"number\":0,\"Name\":\"" + std::string(kMaxInventoryTextLength + 1, 'a') + "\"}]";
  EXPECT_FALSE(ReadInventoryJson(long_text, table, count, error));
  EXPECT_NE(error.find(L"too long"), std::wstring::npos);

  const std::string huge(kMaxInventoryJsonBytes + 1, ' ');
  EXPECT_FALSE(ReadInventoryJson(huge, table, count, error));
  EXPECT_NE(error.find(L"larger than"), std::wstring::npos);
}

}  // namespace
}  // namespace velkor
