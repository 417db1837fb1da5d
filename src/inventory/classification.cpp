#include "inventory/classification.hpp"

#include "base/text.hpp"

namespace velkor {
namespace {

// Classes whose devices are system plumbing or have no driver of their own to
// update: processors, volumes, legacy drivers, printers, system devices and the like.
constexpr const wchar_t* kCategory[] = {
    L"{50127dc3-0f36-415e-a6cc-4cb3be910b65}", L"{25dbce51-6c8f-4a72-8a6d-b54c2b4fc835}",
    L"{4658ee7e-f050-11d1-b6bd-00c04fa372a7}", L"{48721b56-6795-11d2-b1a8-0080c72e74a2}",
    L"{49ce6ac8-6f86-11d2-b1e5-0080c72e74a2}", L"{4d36e966-e325-11ce-bfc1-08002be10318}",
    L"{4d36e969-e325-11ce-bfc1-08002be10318}", L"{4d36e978-e325-11ce-bfc1-08002be10318}",
    L"{4d36e980-e325-11ce-bfc1-08002be10318}", L"{50906cb8-ba12-11d1-bf5d-0000f805f530}",
    L"{533c5b84-ec70-11d2-9505-00c04f79deaf}", L"{71a27cdd-812a-11d0-bec7-08002be2092f}",
    L"{72631e54-78a4-11d0-bcf7-00aa00b7b32a}", L"{4d36e971-e325-11ce-bfc1-08002be10318}",
    L"{50dd5230-ba8a-11d1-bf5d-0000f805f530}", L"{66f250d6-7801-4a64-b139-eea80a450b24}",
    L"{6bdd1fc5-810f-11d0-bec7-08002be2092f}", L"{7ebefbc0-3200-11d2-b4c2-00a0c9697d07}",
    L"{c06ff265-ae09-48f0-812c-16753d7cba83}", L"{ce5939ae-ebde-11d0-b181-0000f8753ec4}",
    L"{d45b1c18-c8fa-11d1-9f77-0000f805f530}", L"{d48179be-ec20-11d1-b6b8-00c04fa372a7}",
    L"{4d36e975-e325-11ce-bfc1-08002be10318}", L"{4d36e974-e325-11ce-bfc1-08002be10318}",
    L"{4d36e973-e325-11ce-bfc1-08002be10318}", L"{6bdd1fc6-810f-11d0-bec7-08002be2092f}",
    L"{6d807884-7d21-11cf-801c-08002be10318}",
};

// Bus, root-enumerated and class-generic IDs.
constexpr const wchar_t* kGenericIdentifiers[] = {
    L"acpi\\", L"acpi_hal\\", L"root\\", L"storage\\", L"ide\\",
    L"umb\\",  L"pciide\\",   L"ms_",    L"pci\\cc_",  L"usb\\class_",
};

// The PCI bus and the PS/2 mouse port are worth listing although they are ACPI devices.
constexpr const wchar_t* kIncludes[] = {L"acpi\\pnp0a03", L"acpi\\pnp0f03"};

constexpr const wchar_t* kSpecialClassNames[] = {
    L"Host Controller", L"IEEE 1394 Host Bus Controller", L"1394", L"PCMCIA",
    L"Floppy Disk Controllers", L"IEEE 1394", L"PCMCIA Ports", L"PCMCIA Controller Chipsets",
    L"Hard Disk Controller", L"Hard Disk Controllers", L"DiskDrive", L"HDC", L"Disk Drivers",
    L"SCSI and RAID Controller", L"SCSI and RAID Controllers", L"CDROM", L"FDC", L"FloppyDisk",
    L"MediumChanger", L"SCSIAdapter", L"TapeDrive", L"Volume", L"CD-ROM", L"Floppy Disk Drives",
    L"SCSI/RAID", L"Storage Volumes", L"SD Host", L"SmartCard Reader", L"TouchPad",
    L"Transfer Cable", L"Wireless Series", L"Battery", L"MTD", L"Multifunction",
    L"MultiportSerial", L"Ports", L"SmartCardReader", L"Biometric", L"KDSiDeviceClass",
    L"LegacyDriver", L"nodriver", L"Saitek Magic Bus", L"Memory Technology Drivers",
    L"Smart Card Readers", L"Adapter", L"MCADevices",
};

template <size_t N>
void AddAll(std::set<std::wstring>& set, const wchar_t* const (&entries)[N]) {
  for (const wchar_t* entry : entries) set.emplace(entry);
}

}  // namespace

void ClassificationSets::Load(std::wstring_view kind) {
  if (AsciiEqualsNoCase(kind, L"Category")) {
    AddAll(Category, kCategory);
  } else if (AsciiEqualsNoCase(kind, L"GenericIdentifiers")) {
    AddAll(GenericIdentifiers, kGenericIdentifiers);
  } else if (AsciiEqualsNoCase(kind, L"Includes")) {
    AddAll(Includes, kIncludes);
  }
}

void ClassificationSets::Refill() {
  Category.clear();
  GenericIdentifiers.clear();
  Includes.clear();
  Load(L"Category");
  Load(L"GenericIdentifiers");
  Load(L"Includes");
}

bool IsGenericDevice(const ClassificationSets& sets, std::wstring_view classKey,
                     std::wstring_view hardwareId) {
  // The order matters: an excluded class wins over an exempt ID, and an exempt
  // ID wins over the generic fragments it contains.
  if (sets.Category.count(std::wstring(classKey)) != 0) return true;
  if (hardwareId.empty()) return false;
  const std::wstring id = AsciiToLower(hardwareId);
  if (sets.Includes.count(id) != 0) return false;
  if (id.front() == L'*') return true;
  for (const std::wstring& fragment : sets.GenericIdentifiers) {
    if (id.find(fragment) != std::wstring::npos) return true;
  }
  return false;
}

bool IsSpecialClassName(std::set<std::wstring>& names, std::wstring_view text) {
  AddAll(names, kSpecialClassNames);
  return names.count(std::wstring(text)) != 0;
}

const std::array<DeviceType, 14> kDeviceTypes = {{
    {0, 1, L"IDS_DISK_DRIVES", L"Disk Drives", L"{4D36E967-E325-11CE-BFC1-08002BE10318}"},
    {0, 2, L"IDS_DVD_CDROM", L"DVD/CD-ROM Drives", L"{4D36E965-E325-11CE-BFC1-08002BE10318}"},
    {0, 3, L"IDS_KEYBOARD", L"Keyboard", L"{4D36E96B-E325-11CE-BFC1-08002BE10318}"},
    {0, 4, L"IDS_MONITORS", L"Monitors", L"{4D36E96E-E325-11CE-BFC1-08002BE10318}"},
    {0, 5, L"IDS_OTHER_DEVICES", L"Other devices", L"{4D36E97E-E325-11CE-BFC1-08002BE10318}"},
    {0, 6, L"IDS_SCSI_RAID", L"SCSI/RAID", L"{4D36E97B-E325-11CE-BFC1-08002BE10318}"},
    {0, 7, L"IDS_SYSTEM_DEVICES", L"System Devices", L"{4D36E97D-E325-11CE-BFC1-08002BE10318}"},
    {1, 1, L"IDS_DISPLAY_ADAPTER", L"Display adapters", L"{4D36E968-E325-11CE-BFC1-08002BE10318}"},
    {1, 2, L"IDS_IDE_ATA_ATAPI", L"IDE ATA/ATAPI controllers", L"{4D36E96A-E325-11CE-BFC1-08002BE10318}"},
    {1, 3, L"IDS_MOUSE", L"Mice and other pointing devices", L"{4D36E96F-E325-11CE-BFC1-08002BE10318}"},
    {1, 4, L"IDS_NTWRK_ADAPTERS", L"Network adapters", L"{4D36E972-E325-11CE-BFC1-08002bE10318}"},
    {1, 5, L"IDS_PROCESSORS", L"Processors", L"{50127DC3-0F36-415E-A6CC-4CB3BE910B65}"},
    {1, 6, L"IDS_SOUND_GAME", L"Sound, Video and game controllers", L"{4D36E96C-E325-11CE-BFC1-08002BE10318}"},
    {1, 7, L"IDS_USB", L"Universal serial bus controllers", L"{36FC9E60-C465-11CF-8056-444553540000}"},
}};

}  // namespace velkor
