#include "fake_platform.h"

FakeViewerPlatform Fake;

void ResetFake() { Fake = FakeViewerPlatform{}; }

const char* ProcessCommandLine() { return Fake.commandLine.c_str(); }

LocalTime ReadLocalTime() { return Fake.today; }

WindowHandle FindShellWindow() { return Fake.shellWindow; }

bool WindowExists(WindowHandle window) { return Fake.windows.count(window) != 0; }

int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type) {
  Fake.boxes.push_back(ShownBox{owner, caption, text, type});
  return 1;  // IDOK
}
