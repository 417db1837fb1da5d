#include "app/velkor/velkor_app.hpp"

#include <commctrl.h>
#include <shellapi.h>

#include "app/velkor/velkor_dlg.hpp"
#include "core/shell_folders.hpp"
#include "core/start_mode.hpp"

namespace velkor {
namespace {

CVelkorApp* g_app = nullptr;

constexpr wchar_t kNetworkMissing[] =
    L"Network.dll not found. Update results will not be shown. Please reinstall to fix the issue.";

std::wstring FirstArgument() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return {};
  std::wstring first = count > 1 ? argv[1] : L"";
  LocalFree(argv);
  return first;
}

}  // namespace

CVelkorApp* TheApp() { return g_app; }

CVelkorApp::CVelkorApp(HINSTANCE instance) : m_hInstance(instance) {
  g_app = this;
  // Without the component the program still runs; scans then say what is missing.
  if (!m_Service.Load(GetProgramModuleFolder())) {
    MessageBoxW(nullptr, kNetworkMissing, m_TextTable.GetAppName().c_str(), MB_OK);
  }
  m_strIniPath = CTextTable::FilePathIn(GetProgramFilesFolder());
  m_TextTable.Locate(m_strIniPath);
  m_strFaceName = ChooseInterfaceFace(GetWindowsFolder());
}

CVelkorApp::~CVelkorApp() { g_app = nullptr; }

int CVelkorApp::InitInstance() {
  m_Mutex = std::make_unique<CInstanceMutex>(m_strMutexName.c_str());
  m_bAlreadyRunning = m_Mutex->AlreadyRunning();
  if (m_bAlreadyRunning) {
    SignalRunningInstance();
    return 1;
  }
  BringToFrontMessage();  // registered once, before any window can receive it

  m_hRichEdit.reset(LoadLibraryW(L"riched20.dll"));
  INITCOMMONCONTROLSEX controls = {sizeof(controls),
                                   ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES |
                                       ICC_INTERNET_CLASSES | ICC_PAGESCROLLER_CLASS | ICC_NATIVEFNTCTL_CLASS |
                                       ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);

  m_Fonts.Create(m_strFaceName);
  m_nStartMode = ParseStartMode(FirstArgument());

  {
    CVelkorDlg dialog(*this);
    m_pMainDlg = &dialog;
    dialog.DoModal();
    m_pMainDlg = nullptr;
  }
  return 0;
}

}  // namespace velkor
