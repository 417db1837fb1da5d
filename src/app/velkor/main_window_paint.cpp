// Painting of the main window's frame: header, navigation band, borders, the
// application icon and name. Everything is drawn off-screen and copied in one
// piece; nothing is erased first.

#include "app/velkor/velkor_app.hpp"
#include "app/velkor/velkor_dlg.hpp"
#include "platform/gdi_handles.hpp"
#include "ui/resources/ui_resource_ids.h"

namespace velkor {

namespace {
constexpr COLORREF kFrameInside = RGB(236, 243, 249);
}

void CVelkorDlg::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(m_hWnd, &paint);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  if (IsIconic(m_hWnd)) {
    // Minimised: only the application icon, centred.
    const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, m_hIconLarge.get());
    EndPaint(m_hWnd, &paint);
    return;
  }
  {
    CMemDC1 memory(dc, client);
    HDC out = memory.dc();
    const UniqueGdiObject inside(CreateSolidBrush(kFrameInside));
    FillRect(out, &client, static_cast<HBRUSH>(inside.get()));
    DrawSkinBitmap(out, IDB_FRAME_HEADER, 0, 0);
    DrawSkinBitmap(out, IDB_FRAME_BAND, 0, 34);
    DrawSkinBitmap(out, IDB_FRAME_SIDE, 0, 0);
    DrawSkinBitmap(out, IDB_FRAME_SIDE, client.right - 9, 0);
    DrawSkinBitmap(out, IDB_FRAME_BOTTOM, 0, client.bottom - 9);
    // The header and band run over the borders' top parts.
    DrawSkinBitmap(out, IDB_FRAME_HEADER, 9, 0, 9, 0, client.right - 18, 34);
    DrawSkinBitmap(out, IDB_FRAME_BAND, 9, 34, 9, 0, client.right - 18, 81);
    const UniqueIcon icon(static_cast<HICON>(
        LoadImageW(m_App.Instance(), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 24, 24, LR_DEFAULTCOLOR)));
    if (icon) DrawIconEx(out, 9, 4, icon.get(), 24, 24, 0, nullptr, DI_NORMAL);
    RECT name{43, 6, 400, 30};
    DrawPageText(out, m_PageFonts, m_App.m_TextTable.GetAppName(), name, RGB(255, 255, 255), 3);
  }
  EndPaint(m_hWnd, &paint);
}

}  // namespace velkor
