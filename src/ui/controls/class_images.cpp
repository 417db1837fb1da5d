#include "ui/controls/class_images.hpp"

#include <objbase.h>

#include <string>

#include "base/text.hpp"

namespace velkor {

CClassImageList::~CClassImageList() {
  if (m_bLoaded) SetupDiDestroyClassImageList(&m_Data);
}

bool CClassImageList::Load(int fallbackStrip) {
  if (m_bLoaded || m_Fallback) return true;
  m_Data = {};
  m_Data.cbSize = sizeof(m_Data);
  m_bLoaded = SetupDiGetClassImageList(&m_Data) != FALSE && m_Data.ImageList != nullptr;
  if (m_bLoaded) return true;
  m_Data = {};
  if (fallbackStrip != 0) m_Fallback = LoadImageStrip(fallbackStrip, 16, 16, RGB(255, 255, 255));
  return static_cast<bool>(m_Fallback);
}

int CClassImageList::IndexOf(std::wstring_view guidText) const {
  // A GUID in braces is 38 characters; anything else is not one.
  if (guidText.size() != 38) return -1;
  if (!m_bLoaded) return m_Fallback ? FallbackClassImage(guidText) : -1;
  std::wstring text(guidText);
  GUID guid{};
  if (FAILED(CLSIDFromString(text.c_str(), &guid))) return -1;
  int index = -1;
  if (!SetupDiGetClassImageIndex(const_cast<SP_CLASSIMAGELIST_DATA*>(&m_Data), &guid, &index)) return -1;
  return index;
}

int FallbackClassImage(std::wstring_view guidText) {
  struct Entry {
    const wchar_t* guid;
    int image;
  };
  static constexpr Entry kEntries[] = {
      {L"{4d36e968-e325-11ce-bfc1-08002be10318}", 1},  // display adapters
      {L"{4d36e96e-e325-11ce-bfc1-08002be10318}", 1},  // monitors
      {L"{4d36e972-e325-11ce-bfc1-08002be10318}", 2},  // network adapters
      {L"{4d36e96c-e325-11ce-bfc1-08002be10318}", 3},  // sound, video and game controllers
      {L"{36fc9e60-c465-11cf-8056-444553540000}", 4},  // USB controllers
      {L"{4d36e967-e325-11ce-bfc1-08002be10318}", 5},  // disk drives
      {L"{4d36e965-e325-11ce-bfc1-08002be10318}", 5},  // DVD/CD-ROM drives
      {L"{4d36e96a-e325-11ce-bfc1-08002be10318}", 5},  // IDE ATA/ATAPI controllers
      {L"{4d36e97b-e325-11ce-bfc1-08002be10318}", 5},  // SCSI and RAID controllers
      {L"{4d36e96b-e325-11ce-bfc1-08002be10318}", 6},  // keyboards
      {L"{4d36e96f-e325-11ce-bfc1-08002be10318}", 6},  // mice and other pointing devices
      {L"{745a17a0-74d3-11d0-b6fe-00a0c90f57da}", 6},  // human interface devices
      {L"{4d36e97d-e325-11ce-bfc1-08002be10318}", 7},  // system devices
      {L"{4d36e966-e325-11ce-bfc1-08002be10318}", 7},  // computer
      {L"{50127dc3-0f36-415e-a6cc-4cb3be910b65}", 7},  // processors
  };
  const std::wstring lower = AsciiToLower(guidText);
  for (const Entry& entry : kEntries) {
    if (lower == entry.guid) return entry.image;
  }
  return 0;
}

std::wstring_view ClassGuidOfDriverKey(std::wstring_view driverKey) {
  const std::size_t slash = driverKey.find(L'\\');
  return slash == std::wstring_view::npos ? driverKey : driverKey.substr(0, slash);
}

}  // namespace velkor
