// The viewer's platform calls on Windows, and its entry point.
#include <windows.h>

#include "../common/dll_search.h"
#include "platform.h"
#include "viewer.h"

const char* ProcessCommandLine() { return GetCommandLineA(); }

LocalTime ReadLocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wDayOfWeek};
}

WindowHandle FindShellWindow() { return reinterpret_cast<WindowHandle>(FindWindowA("Progman", nullptr)); }

bool WindowExists(WindowHandle window) { return IsWindow(reinterpret_cast<HWND>(window)) != FALSE; }

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type) {
  return MessageBoxA(reinterpret_cast<HWND>(owner), text, caption, type);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  RunViewer();
  return 0;
}
