#pragma once
// CVelkorDlg: the main window object, which for the whole run is the
// application state. Its construction reads the settings, creates the working
// folders and loads the lists; the window runs modally from dialog template 102.

#include <windows.h>

#include <vector>

#include "core/application_state.hpp"

namespace velkor {

class CVelkorApp;

class CVelkorDlg : public CApplicationState {
 public:
  explicit CVelkorDlg(CVelkorApp& app);

  // Runs the window until it is closed; the window's result.
  INT_PTR DoModal();
  HWND Window() const { return m_hWnd; }

 protected:
  void SetCloseEnabled(bool enabled) override;
  void SetNavigationEnabled(bool enabled) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void OnInitDialog();
  void OnBringToFront(WPARAM marker);

  CVelkorApp& m_App;
  HWND m_hWnd = nullptr;
  // The header's Close button and the navigation buttons, once the window has them.
  HWND m_hCloseButton = nullptr;
  std::vector<HWND> m_NavigationButtons;
};

}  // namespace velkor
