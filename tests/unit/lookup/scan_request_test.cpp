#include <gtest/gtest.h>

#include "lookup/update_lookup.hpp"

namespace velkor {
namespace {

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (const wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

std::wstring Build(const RecordTable& devices, std::int32_t count, std::int32_t os = 5) {
  CXml xml;
  CMarkup doc;
  xml.BuildScanRequest(devices, count, os, doc);
  return doc.DocumentText();
}

TEST(BuildScanRequest, WritesTheExampleDevice) {
  RecordTable devices(kDeviceTableCapacity);
  DeviceRecord& d = devices[0];
  d.Name = L"High Definition Audio Controller";
  d.HardwareId = L"PCI\\VEN_8086&DEV_27D8&SUBSYS_01F91028&REV_01";
  d.DriverDate = L"6-21-2006";
  d.MatchingIds =
      L"pci\\ven_8086&dev_27d8|PCI\\VEN_8086&DEV_27D8&REV_01|PCI\\VEN_8086&DEV_27D8|PCI\\VEN_8086&CC_040300|"
      L"PCI\\VEN_8086&CC_0403|PCI\\VEN_8086|PCI\\CC_040300|PCI\\CC_0403";
  EXPECT_EQ(Build(devices, 1),
            L"<newdataset>\r\n"
            L"<device>\r\n"
            L"<driverid>0</driverid>\r\n"
            L"<osid>5</osid>\r\n"
            L"<date>2006-06-21</date>\r\n"
            L"<matchingid>PCI\\VEN_8086&amp;DEV_27D8&amp;SUBSYS_01F91028&amp;REV_01"
            L"|pci\\ven_8086&amp;dev_27d8&amp;subsys_01f91028"
            L"|pci\\ven_8086&amp;dev_27d8|PCI\\VEN_8086&amp;DEV_27D8&amp;REV_01|PCI\\VEN_8086&amp;DEV_27D8"
            L"|PCI\\VEN_8086&amp;CC_040300|PCI\\VEN_8086&amp;CC_0403|PCI\\VEN_8086|PCI\\CC_040300|PCI\\CC_0403"
            L"</matchingid>\r\n"
            L"</device>\r\n"
            L"</newdataset>\r\n");
}

TEST(BuildScanRequest, SkipsDevicesButNeverRenumbers) {
  RecordTable devices(kDeviceTableCapacity);
  struct Row {
    const wchar_t* name;
    const wchar_t* hardwareId;
    const wchar_t* matchingIds;
    const wchar_t* date;
  };
  const Row rows[] = {
      {L"", L"PCI\\VEN_1", L"pci\\ven_1", L"1-1-2001"},      // 0: no name, skipped
      {L"Hub", L"USB\\ROOT_HUB", L"usb\\root_hub", L""},     // 1: no date
      {L"Bare", L"", L"", L"1-1-2001"},                       // 2: no ID, skipped
      {L"Keyboard", L"HID\\VID_1&PID_2&REV_0100", L"", L"10-3-2004"},  // 3: ends with "|"
      {L"Compat", L"", L"hid\\x|HID\\Y", L""},                // 4: no hardware ID
      {L"Rev", L"REV_01&X", L"m", L""},                        // 5: starts with rev_
      {L"Amp", L"&REV_01", L"m", L""},                         // 6: "&rev_" at the start
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    devices[i].Name = rows[i].name;
    devices[i].HardwareId = rows[i].hardwareId;
    devices[i].MatchingIds = rows[i].matchingIds;
    devices[i].DriverDate = rows[i].date;
  }
  EXPECT_EQ(Build(devices, static_cast<std::int32_t>(std::size(rows)), -1),
            L"<newdataset>\r\n"
            L"<device>\r\n<driverid>1</driverid>\r\n<osid>-1</osid>\r\n<date/>\r\n"
            L"<matchingid>USB\\ROOT_HUB|usb\\root_hub</matchingid>\r\n</device>\r\n"
            L"<device>\r\n<driverid>3</driverid>\r\n<osid>-1</osid>\r\n<date>2004-10-03</date>\r\n"
            L"<matchingid>HID\\VID_1&amp;PID_2&amp;REV_0100|hid\\vid_1&amp;pid_2|</matchingid>\r\n</device>\r\n"
            L"<device>\r\n<driverid>4</driverid>\r\n<osid>-1</osid>\r\n<date/>\r\n"
            L"<matchingid>|hid\\x|HID\\Y</matchingid>\r\n</device>\r\n"
            L"<device>\r\n<driverid>5</driverid>\r\n<osid>-1</osid>\r\n<date/>\r\n"
            L"<matchingid>REV_01&amp;X|rev_01&amp;x|m</matchingid>\r\n</device>\r\n"
            L"<device>\r\n<driverid>6</driverid>\r\n<osid>-1</osid>\r\n<date/>\r\n"
            L"<matchingid>&amp;REV_01|m</matchingid>\r\n</device>\r\n"
            L"</newdataset>\r\n");
}

TEST(BuildScanRequest, EmptyTableGivesOnlyTheRoot) {
  RecordTable devices(kDeviceTableCapacity);
  EXPECT_EQ(Build(devices, 0), L"<newdataset/>\r\n");
  // A count past the table or below zero never reads outside it.
  EXPECT_EQ(Build(devices, 1 << 30), L"<newdataset/>\r\n");
  EXPECT_EQ(Build(devices, -5), L"<newdataset/>\r\n");
}

TEST(BuildScanRequest, ReplacesWhatTheDocumentHeld) {
  RecordTable devices(kDeviceTableCapacity);
  CXml xml;
  CMarkup doc;
  ASSERT_TRUE(doc.LoadDocument(L"<old><x/></old>"));
  xml.BuildScanRequest(devices, 0, 5, doc);
  EXPECT_EQ(doc.DocumentText(), L"<newdataset/>\r\n");
}

TEST(ConvertDriverDate, ReordersMonthDayYear) {
  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  };
  const Case cases[] = {
      {L"6-21-2006", L"2006-06-21"},
      {L"12-1-2005", L"2005-12-01"},
      {L"12-31-1999", L"1999-12-31"},
      {L"2006", L"2006--"},
      {L"21.06.2006", L"21.06.2006--"},
      {L"6-2006", L"2006--"},
      {L"", L"--"},
      {L"1-2-3-2006", L"2006-1-2-03"},
      {L"-6-", L"--06"},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertDriverDate(c.in), c.out) << Narrow(c.in);
}

}  // namespace
}  // namespace velkor
