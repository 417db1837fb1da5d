#include "instance_id.hpp"

#include <algorithm>
#include <cwchar>

#include "base/text.hpp"

namespace velkor::testmachine {
namespace {

// FNV-1a over the lower-cased ID as 16-bit units and the occurrence, so the
// result is the same whatever the width of wchar_t.
std::uint32_t HashId(std::wstring_view id, std::uint32_t occurrence) {
  std::uint32_t h = 2166136261u;
  auto add = [&h](std::uint32_t byte) {
    h ^= byte & 0xFFu;
    h *= 16777619u;
  };
  for (wchar_t c : AsciiToLower(id)) {
    const auto unit = static_cast<std::uint32_t>(c);
    add(unit);
    add(unit >> 8);
  }
  for (int shift = 0; shift < 32; shift += 8) add(occurrence >> shift);
  return h;
}

bool IsInstanceIdChar(wchar_t c) { return c > 0x20 && c < 0x7F && c != L','; }

// Upper case, and every character that an instance ID cannot hold becomes "_".
std::wstring IdPart(std::wstring_view text) {
  std::wstring part = AsciiToUpper(text);
  for (wchar_t& c : part) {
    if (!IsInstanceIdChar(c) || c == L'\\') c = L'_';
  }
  return part;
}

std::wstring Hex8(std::uint32_t value) {
  wchar_t buffer[16];
  std::swprintf(buffer, 16, L"%08X", static_cast<unsigned>(value));
  return buffer;
}

std::wstring Number(std::uint32_t value, int width, bool hex) {
  wchar_t buffer[16];
  std::swprintf(buffer, 16, hex ? L"%0*X" : L"%0*u", width, static_cast<unsigned>(value));
  return buffer;
}

}  // namespace

std::wstring DeriveInstanceId(std::wstring_view first_hardware_id, std::uint32_t occurrence) {
  std::wstring enumerator;
  std::wstring device;
  if (!first_hardware_id.empty() && first_hardware_id.front() == L'*') {
    // "*PNP0303": a device that ACPI reports with a compatible-style ID.
    enumerator = L"ACPI";
    device = IdPart(first_hardware_id.substr(1));
  } else if (const size_t slash = first_hardware_id.find(L'\\'); slash != std::wstring_view::npos) {
    enumerator = IdPart(first_hardware_id.substr(0, slash));
    device = IdPart(first_hardware_id.substr(slash + 1));
  } else {
    enumerator = L"ROOT";
    device = IdPart(first_hardware_id);
  }
  if (enumerator.empty()) enumerator = L"ROOT";

  // Monitors report MONITOR\ hardware IDs but are enumerated by the display
  // adapter; USB and HID instance keys leave the revision out.
  if (enumerator == L"MONITOR") enumerator = L"DISPLAY";
  if (enumerator == L"USB" || enumerator == L"HID") {
    if (device.rfind(L"ROOT_HUB", 0) == 0) {
      device = device.substr(0, device.find(L'&'));
    } else if (const size_t rev = device.find(L"&REV_"); rev != std::wstring::npos) {
      device.resize(rev);
    }
  }
  if (device.empty()) device = L"DEVICE";

  const std::uint32_t h = HashId(first_hardware_id, occurrence);
  std::wstring instance;
  if (enumerator == L"PCI") {
    instance = L"3&" + Hex8(h) + L"&0&" + Number((h >> 24) & 0xFFu, 2, true);
  } else if (enumerator == L"ROOT") {
    instance = Number(occurrence % 10000u, 4, false);
  } else if (enumerator == L"ACPI") {
    instance = L"4&" + Hex8(h) + L"&" + Number(occurrence, 1, false);
  } else {
    instance = L"5&" + Hex8(h) + L"&0&" + Number(occurrence + 1, 1, false);
  }

  // Very long hardware IDs: shorten the parts so the whole stays an ID the
  // system accepts (enumerators are short names; the device part gives way).
  if (enumerator.size() > 32) enumerator.resize(32);
  const size_t fixed = enumerator.size() + instance.size() + 2;
  if (fixed + device.size() > kMaxInstanceIdLength) device.resize(kMaxInstanceIdLength - fixed);
  return enumerator + L"\\" + device + L"\\" + instance;
}

bool IsValidInstanceId(std::wstring_view id) {
  if (id.empty() || id.size() > kMaxInstanceIdLength) return false;
  int separators = 0;
  wchar_t previous = L'\\';
  for (wchar_t c : id) {
    if (c == L'\\') {
      if (previous == L'\\') return false;  // empty part
      ++separators;
    } else if (!IsInstanceIdChar(c)) {
      return false;
    }
    previous = c;
  }
  return separators == 2 && previous != L'\\';
}

std::wstring_view InstanceEnumerator(std::wstring_view id) {
  const size_t slash = id.find(L'\\');
  return slash == std::wstring_view::npos ? std::wstring_view{} : id.substr(0, slash);
}

}  // namespace velkor::testmachine
