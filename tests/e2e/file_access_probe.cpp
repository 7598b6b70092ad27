// Tries to open a file for reading and, separately, for writing, while
// allowing others both, and reports the outcome in its exit code:
// (error of the read open) * 65536 + error of the write open, each 0 when
// the open succeeded. Neither open changes the file.
//
// file_access_probe FILE
#include <windows.h>

static DWORD TryOpen(const char* path, DWORD access) {
  HANDLE file = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() & 0xFFFF;
  CloseHandle(file);
  return 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (!*commandLine) return 0xFFFFFFFF;
  return (int)((TryOpen(commandLine, GENERIC_READ) << 16) | TryOpen(commandLine, GENERIC_WRITE));
}
