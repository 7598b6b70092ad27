// Every platform call the installer makes. win32_platform.cpp implements them
// with the Win32 API ("A" functions, Windows-1250 bytes unchanged); the host
// tests link a fake instead.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uintptr_t FileHandle;   // 0: no file
typedef uintptr_t RegistryKey;  // 0: no key
typedef uintptr_t ComObject;    // 0: no object
typedef uint16_t WideChar;      // one UTF-16 unit

// Message-box types and answers.
const unsigned MessageOk = 0x00;
const unsigned MessageYesNo = 0x04;
const unsigned MessageError = 0x10;
const unsigned MessageQuestion = 0x24;  // Yes and No with the question icon
const unsigned MessageWarning = 0x30;
const int AnswerYes = 6;

// COM result codes.
const int32_t ResultOk = 0;
const int32_t ResultFail = static_cast<int32_t>(0x80004005);

// Registry value types.
const uint32_t RegistryText = 1;    // REG_SZ
const uint32_t RegistryNumber = 4;  // REG_DWORD

const uint32_t ErrorCallNotImplemented = 120;

// --- Process

// The command line the system gives for the process.
const char* ProcessCommandLine();

// Writes the running program file's full path into `buffer` (zero-ended, cut
// to size - 1 characters) and returns its length.
size_t ProgramFileName(char* buffer, size_t size);

// A message box without owner window; returns the button pressed.
int ShowMessageBox(const char* text, const char* caption, unsigned type);

// Starts a program by its command line, not inheriting handles, in a new
// console, with this process's environment, in `currentFolder` (this
// process's own when null). Does not wait. False when no process started.
bool StartProcess(const char* commandLine, const char* currentFolder);

// Waits without using the processor.
void Pause(uint32_t milliseconds);

// Ends the process at once, with exit code 1.
[[noreturn]] void EndProgram();

// --- Files and folders

// Opens a file for writing at its end, creating it when missing; a missing
// folder is not created. Returns 0 when it can't.
FileHandle OpenFileForAppending(const char* path);

// Opens an existing file for reading only. Returns 0 when it can't.
FileHandle OpenFileForReading(const char* path);

// Writes all `length` bytes; false on any error.
bool WriteToFile(FileHandle file, const char* bytes, size_t length);

// Reads up to `size` bytes; `read` is 0 at the end of the file. False on a
// read error.
bool ReadFromFile(FileHandle file, char* buffer, size_t size, size_t& read);

// Closes the file, which puts every written byte into it; false on error.
bool CloseFile(FileHandle file);

bool CopyFileReplacing(const char* source, const char* destination);  // CopyFileA, fail-if-exists false
bool DeleteFileNamed(const char* path);                               // DeleteFileA
bool MakeFolder(const char* path);                                    // CreateDirectoryA, default security
bool RemoveFolder(const char* path);                                  // RemoveDirectoryA

// Whether a file or folder of that name exists (FindFirstFileA, FindClose).
bool PathExists(const char* path);

// The Windows directory, zero-ended in `buffer`; returns its length, 0 when
// the call fails or the path does not fit.
size_t WindowsFolder(char* buffer, size_t size);

// GetTempPathA: returns its count, which exceeds `size` when the path does not
// fit (the buffer is then not filled).
size_t TemporaryFolder(char* buffer, size_t size);

// --- Deletion at the next start

// MoveFileExA(path, no new name, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING).
bool ScheduleDeletion(const char* path);

// GetLastError.
uint32_t LastErrorCode();

// GetPrivateProfileSectionA and WritePrivateProfileSectionA; `list` is items
// "key=value", each ended by a zero byte, with one more zero byte after the last.
uint32_t ReadIniSection(const char* section, const char* file, char* buffer, uint32_t size);
bool WriteIniSection(const char* section, const char* file, const char* list);

// --- Registry

// RegCreateKeyExA under HKEY_LOCAL_MACHINE, non-volatile, KEY_WRITE.
bool CreateMachineKey(const char* subkey, RegistryKey& key);
// RegOpenKeyExA under HKEY_CURRENT_USER with KEY_READ.
bool OpenUserKey(const char* subkey, RegistryKey& key);
bool SetRegistryValue(RegistryKey key, const char* name, uint32_t type, const void* data, uint32_t size);
// RegQueryValueExA without type: `size` holds the buffer's size before and the
// data's size after the call.
bool QueryRegistryValue(RegistryKey key, const char* name, void* data, uint32_t& size);
void CloseRegistryKey(RegistryKey key);
// RegDeleteKeyA under HKEY_LOCAL_MACHINE.
bool DeleteMachineKey(const char* subkey);

// --- The shell-link object (COM)

int32_t InitializeCom();  // CoInitialize(NULL)
void UninitializeCom();   // CoUninitialize
// CoCreateInstance of the shell link (in-process server) for IShellLinkA.
int32_t CreateShellLink(ComObject& link);
void ShellLinkSetPath(ComObject link, const char* path);
void ShellLinkSetArguments(ComObject link, const char* arguments);
void ShellLinkSetDescription(ComObject link, const char* description);       // may be null
void ShellLinkSetIconLocation(ComObject link, const char* path, int index);  // path may be null
// QueryInterface for IPersistFile.
int32_t QueryPersistFile(ComObject link, ComObject& file);
int32_t SavePersistFile(ComObject file, const WideChar* path, bool remember);
void ReleaseComObject(ComObject object);

// MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, size): the count of units
// written with the zero, or 0 when the text does not fit.
int ConvertToWide(const char* text, WideChar* buffer, int size);
