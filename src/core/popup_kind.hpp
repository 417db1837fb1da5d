#pragma once
// The pop-ups that the overlay shows, by kind. The numbers are the kinds the
// window's state stores in m_nPopupKind.

namespace velkor {

enum class PopupKind : int {
  None = 0,  // the overlay only dims (the about box is shown over it)
  InstallConfirm = 5,
  Feedback = 8,
  DriverDetails = 9,
  Download = 10,
  BackupBeforeInstall = 11,
};

}  // namespace velkor
