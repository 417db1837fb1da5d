#include "core/application_state.hpp"

#include <windows.h>

#include "core/file_removal_win.hpp"
#include "core/list_store.hpp"
#include "core/system_code_page.hpp"

namespace velkor {

CApplicationState::CApplicationState(const std::wstring& app_name, const FolderSources& sources)
    : m_Settings(sources.appData) {
  // The settings exist before the folders are read, the folders before the lists.
  m_Settings.Init(false);
  static_cast<WorkingFolders&>(*this) = PrepareWorkingFolders(m_Settings, app_name, sources);
  LoadList(ListKind::Download);
  LoadList(ListKind::Backup);
}

std::wstring CApplicationState::ListPath(ListKind which) const {
  return m_strDataFolder + (which == ListKind::Download ? L"Download.dat" : L"Backup.dat");
}

// Strings of the older single-byte list form are in the system code page.
void CApplicationState::LoadList(ListKind which) {
  LoadListFile(ListPath(which), List(which), DecodeSystemCodePage, RemoveUnredirectedFile);
}

bool CApplicationState::SaveList(ListKind which) { return SaveListFile(ListPath(which), List(which)); }

void CApplicationState::BeginOperation() {
  SetCloseEnabled(false);
  InterlockedExchange(&m_bOperationInProgress, 1);
  SetNavigationEnabled(false);
}

void CApplicationState::EndOperation() {
  SetNavigationEnabled(true);
  SetCloseEnabled(true);
  InterlockedExchange(&m_bOperationInProgress, 0);
}

}  // namespace velkor
