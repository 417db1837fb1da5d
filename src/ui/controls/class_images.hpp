#pragma once
// The system's device-class image list: one small icon per setup class, as
// the Device Manager shows them. Pages draw a device's icon by its class GUID.

#include <windows.h>
#include <setupapi.h>

#include <string_view>

#include "ui/controls/image_list.hpp"

namespace velkor {

class CClassImageList {
 public:
  CClassImageList() = default;
  ~CClassImageList();
  CClassImageList(const CClassImageList&) = delete;
  CClassImageList& operator=(const CClassImageList&) = delete;

  // Asks the system for the list. A system without one (Wine has none) gets
  // the program's own small set of class pictures from `fallbackStrip`, a
  // bitmap of 16 by 16 images on white. False when neither is there (icons
  // are then left out).
  bool Load(int fallbackStrip = 0);
  HIMAGELIST Images() const { return m_bLoaded ? m_Data.ImageList : m_Fallback.get(); }
  // Image of the class named by a GUID text ("{4D36E968-...}", letter case
  // aside); -1 when the text is not a GUID or the list is missing. A GUID the
  // system does not know gets the list's image for unknown classes.
  int IndexOf(std::wstring_view guidText) const;

 private:
  SP_CLASSIMAGELIST_DATA m_Data{};
  bool m_bLoaded = false;  // the system's list
  UniqueImageList m_Fallback;
};

// The setup class of the computer itself (its picture stands for the machine).
inline constexpr wchar_t kComputerClassGuid[] = L"{4D36E966-E325-11CE-BFC1-08002BE10318}";

// The class GUID of a device: its driver key up to the first "\".
std::wstring_view ClassGuidOfDriverKey(std::wstring_view driverKey);

// The picture of the program's own set for a class GUID text (letter case
// aside): 0 device, 1 display, 2 network, 3 sound, 4 USB, 5 storage, 6 input,
// 7 system.
int FallbackClassImage(std::wstring_view guidText);

}  // namespace velkor
