#pragma once
// The system's device-class image list: one small icon per setup class, as
// the Device Manager shows them. Pages draw a device's icon by its class GUID.

#include <windows.h>
#include <setupapi.h>

#include <string_view>

namespace velkor {

class CClassImageList {
 public:
  CClassImageList() = default;
  ~CClassImageList();
  CClassImageList(const CClassImageList&) = delete;
  CClassImageList& operator=(const CClassImageList&) = delete;

  // Asks the system for the list; false when it has none (icons are then
  // simply left out).
  bool Load();
  HIMAGELIST Images() const { return m_Data.ImageList; }
  // Image of the class named by a GUID text ("{4D36E968-...}", letter case
  // aside); -1 when the text is not a GUID or the list is missing. A GUID the
  // system does not know gets the list's image for unknown classes.
  int IndexOf(std::wstring_view guidText) const;

 private:
  SP_CLASSIMAGELIST_DATA m_Data{};
  bool m_bLoaded = false;
};

// The class GUID of a device: its driver key up to the first "\".
std::wstring_view ClassGuidOfDriverKey(std::wstring_view driverKey);

}  // namespace velkor
