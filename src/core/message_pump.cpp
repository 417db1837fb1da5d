#include "core/message_pump.hpp"

#include <windows.h>

namespace velkor {

void PumpPendingMessages() {
  MSG msg;
  bool quit = false;
  int quit_code = 0;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      quit_code = static_cast<int>(msg.wParam);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (quit) PostQuitMessage(quit_code);
}

void PauseWhilePumping(unsigned milliseconds) {
  PumpPendingMessages();
  Sleep(milliseconds);
  PumpPendingMessages();
}

}  // namespace velkor
