// The measure for the reminder benchmark: reads a file from start to end in
// 64 KiB blocks and does nothing else. Its exit code is the time the reading
// took, open and close included, in microseconds (a whole run under Wine
// varies far more than that), or 0xFFFFFFFF when the file cannot be read.
//
// read_blocks FILE
#include <windows.h>

static char Block[64 * 1024];

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  HANDLE file =
      CreateFileA(commandLine, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return -1;
  DWORD read = 0;
  BOOL done;
  while ((done = ReadFile(file, Block, sizeof Block, &read, nullptr)) && read > 0) {
  }
  CloseHandle(file);
  QueryPerformanceCounter(&end);
  if (!done) return -1;
  return (int)((end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
}
