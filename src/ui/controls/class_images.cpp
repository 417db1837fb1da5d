#include "ui/controls/class_images.hpp"

#include <objbase.h>

#include <string>

namespace velkor {

CClassImageList::~CClassImageList() {
  if (m_bLoaded) SetupDiDestroyClassImageList(&m_Data);
}

bool CClassImageList::Load() {
  if (m_bLoaded) return true;
  m_Data = {};
  m_Data.cbSize = sizeof(m_Data);
  m_bLoaded = SetupDiGetClassImageList(&m_Data) != FALSE;
  if (!m_bLoaded) m_Data = {};
  return m_bLoaded;
}

int CClassImageList::IndexOf(std::wstring_view guidText) const {
  if (!m_bLoaded) return -1;
  // A GUID in braces is 38 characters; anything else is not one.
  if (guidText.size() != 38) return -1;
  std::wstring text(guidText);
  GUID guid{};
  if (FAILED(CLSIDFromString(text.c_str(), &guid))) return -1;
  int index = -1;
  if (!SetupDiGetClassImageIndex(const_cast<SP_CLASSIMAGELIST_DATA*>(&m_Data), &guid, &index)) return -1;
  return index;
}

std::wstring_view ClassGuidOfDriverKey(std::wstring_view driverKey) {
  const std::size_t slash = driverKey.find(L'\\');
  return slash == std::wstring_view::npos ? driverKey : driverKey.substr(0, slash);
}

}  // namespace velkor
