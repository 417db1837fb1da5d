#include "app/velkorctl/engine_start.hpp"

#include "core/shell_folders.hpp"
#include "core/text_table.hpp"

namespace velkor::ctl {

std::wstring ApplicationName() {
  CTextTable texts;
  texts.SetPath(CTextTable::FilePathIn(GetProgramFilesFolder()));
  std::wstring name = texts.PeekText(L"IDS_APP_NAME");
  if (name.empty()) name = kDefaultAppName;
  return name;
}

std::unique_ptr<CApplicationState> StartEngine() { return std::make_unique<CApplicationState>(ApplicationName()); }

}  // namespace velkor::ctl
