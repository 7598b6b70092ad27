// Stands in for INSTALL.EXE when the package's starter is tested: writes the
// folder it was started in and its command line to STARTED.TXT there.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder) return 1;
  HANDLE file = CreateFileA("STARTED.TXT", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const char* commandLine = GetCommandLineA();
  DWORD written;
  BOOL done = WriteFile(file, folder, length, &written, nullptr) && WriteFile(file, "\r\n", 2, &written, nullptr) &&
              WriteFile(file, commandLine, lstrlenA(commandLine), &written, nullptr);
  CloseHandle(file);
  return done ? 0 : 1;
}
