// The smallest program that shows one message box: the measure against
// which the viewer's start-up time is compared.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  MessageBoxA(nullptr, "Ranoslov", "Ranoslov", MB_OK);
  return 0;
}
