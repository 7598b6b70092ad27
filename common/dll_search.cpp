#include "dll_search.h"

#include <windows.h>

void RestrictDllSearch() {
  typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  // Looked up at run time so that older systems still start the program.
  SetDefaultDllDirectoriesFunction setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories) setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
