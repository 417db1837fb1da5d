#pragma once
// The settings page: scan at start, download folder and backup folder, edited
// in a page-local copy that only Apply stores; Default restores the defaults.

#include "core/application_state.hpp"
#include "core/text_table.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/pages/global_ui.hpp"
#include "ui/settings_page_rules.hpp"

namespace velkor {

class CSettingsDlg : public CGlobalUI {
 public:
  CSettingsDlg(const PageFonts& fonts, CTextTable& texts, CApplicationState& state);

  // The page's current values (check box and the two fields).
  SettingsPageValues PageValues() const;

 protected:
  void OnInitPage() override;
  void OnShown(bool visible) override;
  bool OnCommand(int id, int code) override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  void Load();
  void UpdateButtons();
  void Apply();
  void RestoreDefaults();
  void Browse(int index);
  SettingsPageValues StoredValues() const;
  SettingsPageValues DefaultValues() const;
  std::wstring StoredOrCurrentFolder(int index);

  CTextTable& m_Texts;
  CApplicationState& m_State;
  CHoverButton4S m_BrowseDownload, m_BrowseBackup;
  CHoverButton4SWithText m_Apply, m_Default;
};

}  // namespace velkor
