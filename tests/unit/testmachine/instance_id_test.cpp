#include "instance_id.hpp"

#include <gtest/gtest.h>

#include <string>

namespace velkor::testmachine {
namespace {

// Known results: a change here changes the instance IDs of every machine
// built so far, and a prefix built before would get its devices twice.
TEST(DeriveInstanceId, GivesTheSameIdsOnEveryPlatform) {
  EXPECT_EQ(DeriveInstanceId(L"PCI\\VEN_10DE&DEV_01D3&SUBSYS_00000000&REV_A2", 0),
            L"PCI\\VEN_10DE&DEV_01D3&SUBSYS_00000000&REV_A2\\3&2DB57E9E&0&2D");
  EXPECT_EQ(DeriveInstanceId(L"ROOT\\LEGACY_BEEP", 0), L"ROOT\\LEGACY_BEEP\\0000");
}

TEST(DeriveInstanceId, ShapesEachBusLikeTheSystemDoes) {
  struct Case {
    const wchar_t* hardware_id;
    const wchar_t* prefix;  // enumerator and device part
    const wchar_t* instance_start;
  };
  const Case cases[] = {
      {L"PCI\\VEN_8086&DEV_27D8&SUBSYS_01AD1028&REV_01", L"PCI\\VEN_8086&DEV_27D8&SUBSYS_01AD1028&REV_01\\", L"3&"},
      {L"USB\\VID_046D&PID_C016&REV_0340", L"USB\\VID_046D&PID_C016\\", L"5&"},
      {L"HID\\VID_046D&PID_C016&REV_0340", L"HID\\VID_046D&PID_C016\\", L"5&"},
      {L"USB\\ROOT_HUB20&VID8086&PID27CC&REV0001", L"USB\\ROOT_HUB20\\", L"5&"},
      {L"*PNP0303", L"ACPI\\PNP0303\\", L"4&"},
      {L"ACPI\\GenuineIntel_-_x86_Family_6_Model_15", L"ACPI\\GENUINEINTEL_-_X86_FAMILY_6_MODEL_15\\", L"4&"},
      {L"MONITOR\\DELA01B", L"DISPLAY\\DELA01B\\", L"5&"},
      {L"acpiapic_mp", L"ROOT\\ACPIAPIC_MP\\", L"0000"},
      {L"PCI\\a b,c", L"PCI\\A_B_C\\", L"3&"},
      {L"IDE\\Disk\\Odd", L"IDE\\DISK_ODD\\", L"5&"},
  };
  for (const Case& c : cases) {
    const std::wstring id = DeriveInstanceId(c.hardware_id, 0);
    SCOPED_TRACE(std::string(id.begin(), id.end()));
    EXPECT_EQ(id.rfind(c.prefix, 0), 0u);
    EXPECT_EQ(id.substr(std::wstring(c.prefix).size()).rfind(c.instance_start, 0), 0u);
    EXPECT_TRUE(IsValidInstanceId(id));
  }
}

TEST(DeriveInstanceId, TellsEqualDevicesApartByTheirPlace) {
  const std::wstring first = DeriveInstanceId(L"ACPI\\GenuineIntel_-_x86_Family_6_Model_15", 0);
  const std::wstring second = DeriveInstanceId(L"ACPI\\GenuineIntel_-_x86_Family_6_Model_15", 1);
  EXPECT_NE(first, second);
  EXPECT_NE(DeriveInstanceId(L"ROOT\\X", 0), DeriveInstanceId(L"ROOT\\X", 1));
  // Letter case of the hardware ID does not matter, as for the system.
  EXPECT_EQ(first, DeriveInstanceId(L"acpi\\genuineintel_-_x86_family_6_model_15", 0));
}

TEST(DeriveInstanceId, KeepsVeryLongIdsWithinTheSystemLimit) {
  const std::wstring long_device(400, L'X');
  for (const std::wstring& hardware_id : {L"PCI\\" + long_device, long_device + L"\\Y", long_device, std::wstring(L"\\"),
                                          std::wstring(L"*"), std::wstring(L"USB\\&REV_1")}) {
    const std::wstring id = DeriveInstanceId(hardware_id, 7);
    EXPECT_LE(id.size(), kMaxInstanceIdLength);
    EXPECT_TRUE(IsValidInstanceId(id)) << std::string(id.begin(), id.end());
  }
}

TEST(IsValidInstanceId, AcceptsThreePartsOfPrintableAscii) {
  EXPECT_TRUE(IsValidInstanceId(L"PCI\\VEN_10DE&DEV_0191&SUBSYS_00000000&REV_A2\\3&2411e6fe&0&08"));
  EXPECT_TRUE(IsValidInstanceId(L"ROOT\\LEGACY_BEEP\\0000"));
  for (const wchar_t* bad : {L"", L"ROOT\\X", L"ROOT\\X\\0\\1", L"\\X\\0", L"ROOT\\\\0", L"ROOT\\X\\",
                             L"ROOT\\A B\\0", L"ROOT\\A,B\\0", L"ROOT\\\x00e9\\0"}) {
    EXPECT_FALSE(IsValidInstanceId(bad)) << std::wstring(bad).size();
  }
  EXPECT_FALSE(IsValidInstanceId(L"ROOT\\" + std::wstring(200, L'X') + L"\\0"));
}

TEST(InstanceEnumerator, IsThePartBeforeTheFirstBackslash) {
  EXPECT_EQ(InstanceEnumerator(L"PCI\\VEN_1\\3&0"), L"PCI");
  EXPECT_EQ(InstanceEnumerator(L"nothing"), L"");
}

}  // namespace
}  // namespace velkor::testmachine
