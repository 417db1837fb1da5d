#pragma once
// Fixed knowledge about device kinds: which devices are bus, system or
// class-generic devices (never listed, never offered an update), the device types
// the scan page shows, and the class names the installer treats specially.

#include <array>
#include <set>
#include <string>
#include <string_view>

namespace velkor {

// The three sets a scan context owns. Membership is exact and case-sensitive.
struct ClassificationSets {
  std::set<std::wstring> Category;            // setup class GUIDs, lower case, in braces
  std::set<std::wstring> GenericIdentifiers;  // fragments of lower-case hardware IDs
  std::set<std::wstring> Includes;            // IDs exempt from the generic test

  // Adds the built-in entries of one set, named case-insensitively ("Category",
  // "GenericIdentifiers", "Includes"); any other name adds nothing. Nothing is
  // emptied first.
  void Load(std::wstring_view kind);
  // Empties all three sets and loads them in the order above.
  void Refill();
};

// True when a device must not be listed (classKey = the driver key in lower case
// cut before its last backslash) or, with an empty classKey, when a matched
// candidate ID must not count as an update.
bool IsGenericDevice(const ClassificationSets& sets, std::wstring_view classKey,
                     std::wstring_view hardwareId);

// Fills the special class names into the caller's set and tests exact membership
// of text; the caller empties the set after the lookup.
bool IsSpecialClassName(std::set<std::wstring>& names, std::wstring_view text);

// The fourteen device types of the scan page's panel.
struct DeviceType {
  int column;                 // 0 left, 1 right
  int row;                    // 1..7
  const wchar_t* labelKey;    // key in the interface text table
  const wchar_t* defaultLabel;
  const wchar_t* classGuid;   // class whose icon is drawn beside the label
};
extern const std::array<DeviceType, 14> kDeviceTypes;

}  // namespace velkor
