// velkor.exe: the driver updater's window application.

#include <windows.h>

#include "app/velkor/velkor_app.hpp"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  velkor::CVelkorApp app(instance);
  return app.InitInstance();
}
