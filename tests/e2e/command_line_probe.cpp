// A stand-in for another year's viewer: writes what it was started with to
// the file of its own path with ".txt" appended ("RS8.EXE.txt"), one item a
// line: the command line as the system gives it (GetCommandLineA), the
// current folder, and then each parameter as the viewers split their command
// line, "word:" before each.
#include <windows.h>

#include "../../common/command_line.h"

static void Write(HANDLE file, const char* bytes, DWORD length) {
  DWORD written;
  WriteFile(file, bytes, length, &written, nullptr);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH * 2 + 8];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH * 2);
  lstrcpyA(path + length, ".txt");
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;

  const char* commandLine = GetCommandLineA();
  Write(file, commandLine, lstrlenA(commandLine));
  Write(file, "\n", 1);
  char folder[MAX_PATH * 2];
  Write(file, folder, GetCurrentDirectoryA(sizeof folder, folder));
  Write(file, "\n", 1);
  const char* cursor = SkipProgramName(commandLine);
  Parameter word;
  while (NextParameter(cursor, word)) {
    Write(file, "word:", 5);
    Write(file, word.bytes, (DWORD)word.length);
    Write(file, "\n", 1);
  }
  CloseHandle(file);
  return 0;
}
