// The installer's platform calls on Windows, and its entry point.
#include <windows.h>
// The shell-link and persist-file interfaces need windows.h first.
#include <objidl.h>
#include <shlobj.h>

#include "../common/dll_search.h"
#include "modes.h"
#include "platform.h"

static_assert(sizeof(WCHAR) == sizeof(WideChar), "UTF-16 units");

// The shell-link object and its two interfaces.
static const GUID ShellLinkClass = {0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID ShellLinkInterface = {0x000214EE, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
static const GUID PersistFileInterface = {0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

template <typename Pointer>
static Pointer* As(uintptr_t handle) {
  return reinterpret_cast<Pointer*>(handle);
}

static HANDLE AsFile(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

static HKEY AsKey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

// --- Process

const char* ProcessCommandLine() { return GetCommandLineA(); }

size_t ProgramFileName(char* buffer, size_t size) {
  // Older systems leave a cut name without its zero.
  GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
  buffer[size - 1] = 0;
  return lstrlenA(buffer);
}

int ShowMessageBox(const char* text, const char* caption, unsigned type) {
  return MessageBoxA(nullptr, text, caption, type);
}

bool StartProcess(const char* commandLine, const char* currentFolder) {
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  // CreateProcessA may write into the command line, so it gets a copy.
  char writable[MAX_PATH];
  lstrcpynA(writable, commandLine, sizeof writable);
  BOOL started = CreateProcessA(nullptr, writable, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                                nullptr, currentFolder, &startup, &process);
  if (!started) return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void Pause(uint32_t milliseconds) { Sleep(milliseconds); }

void EndProgram() { ExitProcess(1); }

// --- Files and folders

FileHandle OpenFileForAppending(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER start = {};
  if (!SetFilePointerEx(file, start, nullptr, FILE_END)) {
    CloseHandle(file);
    return 0;
  }
  return reinterpret_cast<FileHandle>(file);
}

FileHandle OpenFileForReading(const char* path) {
  HANDLE file =
      CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<FileHandle>(file);
}

bool WriteToFile(FileHandle file, const char* bytes, size_t length) {
  DWORD written = 0;
  BOOL done = WriteFile(AsFile(file), bytes, static_cast<DWORD>(length), &written, nullptr);
  return done && written == length;
}

bool ReadFromFile(FileHandle file, char* buffer, size_t size, size_t& read) {
  DWORD count = 0;
  BOOL done = ReadFile(AsFile(file), buffer, static_cast<DWORD>(size), &count, nullptr);
  read = count;
  return done != FALSE;
}

bool CloseFile(FileHandle file) { return CloseHandle(AsFile(file)) != FALSE; }

bool CopyFileReplacing(const char* source, const char* destination) {
  return CopyFileA(source, destination, FALSE) != FALSE;
}

bool DeleteFileNamed(const char* path) { return DeleteFileA(path) != FALSE; }

bool MakeFolder(const char* path) { return CreateDirectoryA(path, nullptr) != FALSE; }

bool RemoveFolder(const char* path) { return RemoveDirectoryA(path) != FALSE; }

bool PathExists(const char* path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

size_t WindowsFolder(char* buffer, size_t size) {
  UINT length = GetWindowsDirectoryA(buffer, static_cast<UINT>(size));
  if (length == 0 || length >= size) {
    buffer[0] = 0;
    return 0;
  }
  return length;
}

size_t TemporaryFolder(char* buffer, size_t size) { return GetTempPathA(static_cast<DWORD>(size), buffer); }

// --- Deletion at the next start

bool ScheduleDeletion(const char* path) {
  return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != FALSE;
}

uint32_t LastErrorCode() { return GetLastError(); }

uint32_t ReadIniSection(const char* section, const char* file, char* buffer, uint32_t size) {
  return GetPrivateProfileSectionA(section, buffer, size, file);
}

bool WriteIniSection(const char* section, const char* file, const char* list) {
  return WritePrivateProfileSectionA(section, list, file) != FALSE;
}

// --- Registry

bool CreateMachineKey(const char* subkey, RegistryKey& key) {
  HKEY handle = nullptr;
  LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                &handle, nullptr);
  key = reinterpret_cast<RegistryKey>(handle);
  return result == ERROR_SUCCESS;
}

bool OpenUserKey(const char* subkey, RegistryKey& key) {
  HKEY handle = nullptr;
  LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &handle);
  key = reinterpret_cast<RegistryKey>(handle);
  return result == ERROR_SUCCESS;
}

bool SetRegistryValue(RegistryKey key, const char* name, uint32_t type, const void* data, uint32_t size) {
  return RegSetValueExA(AsKey(key), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool QueryRegistryValue(RegistryKey key, const char* name, void* data, uint32_t& size) {
  DWORD length = size;
  LONG result = RegQueryValueExA(AsKey(key), name, nullptr, nullptr, static_cast<BYTE*>(data), &length);
  size = length;
  return result == ERROR_SUCCESS;
}

void CloseRegistryKey(RegistryKey key) { RegCloseKey(AsKey(key)); }

bool DeleteMachineKey(const char* subkey) { return RegDeleteKeyA(HKEY_LOCAL_MACHINE, subkey) == ERROR_SUCCESS; }

// --- The shell-link object

int32_t InitializeCom() { return CoInitialize(nullptr); }

void UninitializeCom() { CoUninitialize(); }

int32_t CreateShellLink(ComObject& link) {
  IShellLinkA* object = nullptr;
  HRESULT result = CoCreateInstance(ShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, ShellLinkInterface,
                                    reinterpret_cast<void**>(&object));
  link = reinterpret_cast<ComObject>(object);
  return result;
}

void ShellLinkSetPath(ComObject link, const char* path) { As<IShellLinkA>(link)->SetPath(path); }

void ShellLinkSetArguments(ComObject link, const char* arguments) { As<IShellLinkA>(link)->SetArguments(arguments); }

void ShellLinkSetDescription(ComObject link, const char* description) {
  As<IShellLinkA>(link)->SetDescription(description);
}

void ShellLinkSetIconLocation(ComObject link, const char* path, int index) {
  As<IShellLinkA>(link)->SetIconLocation(path, index);
}

int32_t QueryPersistFile(ComObject link, ComObject& file) {
  IPersistFile* object = nullptr;
  HRESULT result = As<IShellLinkA>(link)->QueryInterface(PersistFileInterface, reinterpret_cast<void**>(&object));
  file = reinterpret_cast<ComObject>(object);
  return result;
}

int32_t SavePersistFile(ComObject file, const WideChar* path, bool remember) {
  return As<IPersistFile>(file)->Save(reinterpret_cast<LPCOLESTR>(path), remember ? TRUE : FALSE);
}

void ReleaseComObject(ComObject object) { As<IUnknown>(object)->Release(); }

int ConvertToWide(const char* text, WideChar* buffer, int size) {
  return MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<LPWSTR>(buffer), size);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  RunInstaller();
  return 0;
}
