#include "inventory/classification.hpp"

#include <gtest/gtest.h>

namespace velkor {
namespace {

TEST(IsGenericDevice, AppliesTheRulesInOrder) {
  ClassificationSets sets;
  sets.Refill();
  struct Case {
    const wchar_t* classKey;
    const wchar_t* hardwareId;
    bool generic;
  };
  const Case cases[] = {
      // An excluded class wins over everything, even an exempt ID.
      {L"{4d36e966-e325-11ce-bfc1-08002be10318}", L"PCI\\VEN_8086&DEV_27D8", true},
      {L"{4d36e966-e325-11ce-bfc1-08002be10318}", L"ACPI\\PNP0A03", true},
      {L"{4d36e966-e325-11ce-bfc1-08002be10318}", L"", true},
      // Membership is exact: the upper-case GUID is not the excluded class.
      {L"{4D36E966-E325-11CE-BFC1-08002BE10318}", L"PCI\\VEN_8086&DEV_27D8", false},
      {L"{4d36e968-e325-11ce-bfc1-08002be10318}", L"", false},
      {L"", L"ACPI\\PNP0A03", false},
      {L"", L"acpi\\pnp0f03", false},
      {L"", L"ACPI\\PNP0C0A", true},
      {L"", L"*PNP0F13", true},
      {L"", L"PCI\\VEN_8086&DEV_27D8&CC_0403", false},
      {L"", L"PCI\\CC_0403", true},
      {L"", L"USB\\CLASS_09&SUBCLASS_00", true},
      {L"", L"ROOT\\LEGACY_BEEP", true},
      {L"", L"STORAGE\\Volume", true},
      {L"", L"MS_PPTPMINIPORT", true},
      {L"", L"HDAUDIO\\FUNC_01&VEN_10EC&DEV_0880", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsGenericDevice(sets, c.classKey, c.hardwareId), c.generic)
        << "class " << c.classKey << " id " << c.hardwareId;
  }
}

TEST(ClassificationSets, LoadsByKindAndRefillsFromEmpty) {
  ClassificationSets sets;
  sets.Load(L"category");
  sets.Load(L"GENERICIDENTIFIERS");
  sets.Load(L"Unknown");
  EXPECT_EQ(sets.Category.size(), 27u);
  EXPECT_EQ(sets.GenericIdentifiers.size(), 10u);
  EXPECT_TRUE(sets.Includes.empty());
  // Without the generic fragments only the class and the "*" rule apply.
  ClassificationSets onlyCategory;
  onlyCategory.Load(L"Category");
  EXPECT_FALSE(IsGenericDevice(onlyCategory, L"", L"ACPI\\PNP0C0A"));
  EXPECT_TRUE(IsGenericDevice(onlyCategory, L"", L"*PNP0C0A"));

  sets.Category.insert(L"stray");
  sets.Refill();
  EXPECT_EQ(sets.Category.count(L"stray"), 0u);
  EXPECT_EQ(sets.Includes.size(), 2u);
}

TEST(IsSpecialClassName, IsExactAndCaseSensitive) {
  std::set<std::wstring> names;
  EXPECT_TRUE(IsSpecialClassName(names, L"Ports"));
  EXPECT_EQ(names.size(), 46u);
  names.clear();
  EXPECT_FALSE(IsSpecialClassName(names, L"ports"));
  names.clear();
  EXPECT_TRUE(IsSpecialClassName(names, L"SCSI/RAID"));
  names.clear();
  EXPECT_FALSE(IsSpecialClassName(names, L"Display"));
}

}  // namespace
}  // namespace velkor
