#pragma once
// The shared state of a run that is not window code: settings, working folders,
// the persisted lists and the flags through which pages and workers coordinate.
// The main window object derives from it and adds the windows; the console front
// end uses it as it is, so both start the engine the same way.

#include <atomic>
#include <cstdint>
#include <string>

#include "core/list_file.hpp"
#include "core/operation_bracket.hpp"
#include "core/popup_kind.hpp"
#include "core/settings.hpp"
#include "core/working_folders.hpp"
#include "inventory/device_record.hpp"

namespace velkor {

enum class ListKind { Download, Backup };

class CApplicationState : public OperationHost, public WorkingFolders {
 public:
  // Reads the settings, forms and creates the working folders, then loads the
  // download list and the backup list.
  explicit CApplicationState(const std::wstring& app_name,
                             const FolderSources& sources = FolderSources::FromSystem());
  virtual ~CApplicationState() = default;
  CApplicationState(const CApplicationState&) = delete;
  CApplicationState& operator=(const CApplicationState&) = delete;

  std::wstring ListPath(ListKind which) const;
  StringMap& List(ListKind which) { return which == ListKind::Download ? m_DownloadList : m_BackupList; }
  // Reads the list's file into the list (see LoadListFile for what a missing or
  // damaged file does). No message is shown.
  void LoadList(ListKind which);
  // Writes the list's file; false when it could not be written (the previous
  // file then stays as it was).
  bool SaveList(ListKind which);

  // The operation bracket: disables closing (the header's Close button, the
  // system menu's Close) and marks the operation, then disables navigation.
  void BeginOperation() override;
  void EndOperation() override;
  bool OperationInProgress() const { return m_bOperationInProgress != 0; }

  CSettings m_Settings;
  StringMap m_DownloadList;
  StringMap m_BackupList;
  PopupKind m_nPopupKind = PopupKind::None;
  int m_nPopupArg = 0;
  bool m_bOverlayShown = false;
  bool m_bPopupShown = false;
  bool m_bShowRescan = false;
  bool m_bShowLastScan = false;
  bool m_bMessageBoxOpen = false;
  // The routes into the install: the confirmation is about one row
  // (m_bInstallSingle), and the backup goes on with the install (the
  // back-up-all flag). A download-all run with packages clears the first and
  // sets the second.
  bool m_bInstallSingle = false;
  // The back-up-all flag: the backup page's box sets it (every device of the
  // inventory is backed up); the routes into the install set it too.
  bool m_bBackupAll = false;
  // Written by a worker, read by the UI thread: a whole integer each time.
  volatile long m_bOperationInProgress = 0;

 protected:
  // Window parts of the bracket; the console front end has none.
  virtual void SetCloseEnabled(bool /*enabled*/) {}
  virtual void SetNavigationEnabled(bool /*enabled*/) {}
};

}  // namespace velkor
