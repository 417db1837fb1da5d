#include "core/application_state.hpp"

#include <windows.h>

#include "core/file_removal_win.hpp"
#include "core/list_store.hpp"

namespace velkor {
namespace {

// Strings of the older single-byte list form are in the system code page.
std::wstring DecodeSystemCodePage(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const char* data = reinterpret_cast<const char*>(bytes.data());
  const int units = MultiByteToWideChar(CP_ACP, 0, data, size, nullptr, 0);
  if (units <= 0) return DecodeLatin1(bytes);
  std::wstring text(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, data, size, text.data(), units);
  return text;
}

}  // namespace

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
