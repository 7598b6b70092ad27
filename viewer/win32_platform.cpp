// The viewer's platform calls on Windows, and its entry point.
#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

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

FileHandle OpenReminderFile() {
  HANDLE file =
      CreateFileA("DIAR.TXT", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileHandle>(file);
}

bool ReadFileBytes(FileHandle file, char* buffer, size_t size, size_t& read) {
  DWORD count = 0;
  BOOL done = ReadFile(reinterpret_cast<HANDLE>(file), buffer, static_cast<DWORD>(size), &count, nullptr);
  read = count;
  return done != FALSE;
}

void CloseFile(FileHandle file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

const char* OwnProgramPath() {
  // A path that does not fit is cut; the year viewer's start then fails.
  static char path[1024];
  GetModuleFileNameA(nullptr, path, sizeof path);
  path[sizeof path - 1] = 0;
  return path;
}

bool StartProgram(const char* commandLine) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  // CreateProcessA may write into the command line, so it gets a copy.
  size_t length = lstrlenA(commandLine);
  char* writable = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, length + 1));
  if (!writable) return false;
  CopyMemory(writable, commandLine, length + 1);
  BOOL started = CreateProcessA(nullptr, writable, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                                nullptr, nullptr, &startup, &process);
  HeapFree(GetProcessHeap(), 0, writable);
  if (!started) return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool OpenWebAddress(const char* address) {
  HINSTANCE result = ShellExecuteA(nullptr, nullptr, address, nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  RunViewer();
  return 0;
}
