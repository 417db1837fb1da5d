#pragma once
// The restore page: it exists from its template with its controls skinned,
// its heading and its fixed pictures, ready for its flow; and the skin of the
// work pages' action buttons.

#include <functional>

#include "core/text_table.hpp"
#include "ui/controls/picture_buttons.hpp"
#include "ui/controls/tree_x_ctrl.hpp"
#include "ui/pages/global_ui.hpp"

namespace velkor {

class CRestoreDlg : public CGlobalUI {
 public:
  CRestoreDlg(const PageFonts& fonts, CTextTable& texts);
  CTreeXCtrl m_Tree;

 protected:
  void OnInitPage() override;
  void PaintPage(HDC dc, const RECT& client) override;

 private:
  CTextTable& m_Texts;
  CHoverButton4SWithText m_Load, m_Start;
};

// Skins a four-frame caption button of a page with the common action strip.
void SkinActionButton(CHoverButton4SWithText& button, HWND page, int id);

}  // namespace velkor
