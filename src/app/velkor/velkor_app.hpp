#pragma once
// CVelkorApp: the process. Its construction loads the network component,
// locates the interface text file and chooses the interface face; InitInstance
// makes sure only one instance runs and then runs the main window modally.

#include <windows.h>

#include <memory>
#include <string>

#include "core/shared_fonts.hpp"
#include "core/single_instance.hpp"
#include "core/text_table.hpp"
#include "core/update_service.hpp"
#include "platform/unique_handle.hpp"

namespace velkor {

class CVelkorDlg;

class CVelkorApp {
 public:
  explicit CVelkorApp(HINSTANCE instance);
  ~CVelkorApp();
  CVelkorApp(const CVelkorApp&) = delete;
  CVelkorApp& operator=(const CVelkorApp&) = delete;

  // The start-up sequence; returns the process exit code (1 for a second
  // instance, 0 when the main window's run has ended).
  int InitInstance();

  HINSTANCE Instance() const { return m_hInstance; }
  const std::wstring& FaceName() const { return m_strFaceName; }
  HFONT Font(int number) const { return m_Fonts.Get(number); }

  CVelkorDlg* m_pMainDlg = nullptr;
  int m_nStartMode = 0;
  CTextTable m_TextTable;
  std::wstring m_strIniPath;
  CUpdateService m_Service;
  bool m_bAlreadyRunning = false;
  std::wstring m_strMutexName = kInstanceMutexName;

 private:
  HINSTANCE m_hInstance;
  std::wstring m_strFaceName;
  std::unique_ptr<CInstanceMutex> m_Mutex;
  CSharedFonts m_Fonts;
  UniqueModule m_hRichEdit;
};

// The one application object of the process (set while it lives).
CVelkorApp* TheApp();

}  // namespace velkor
