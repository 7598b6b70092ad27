// Every platform call the viewer makes. win32_platform.cpp implements them
// with the Win32 API; the host tests link a fake instead.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef uintptr_t WindowHandle;  // 0: no window
typedef uintptr_t FileHandle;    // 0: no file

// Message-box types and the answer the viewer looks at.
const unsigned MessageOk = 0x00;        // one OK button, no icon
const unsigned MessageWarning = 0x30;   // OK with the warning icon
const unsigned MessageQuestion = 0x24;  // Yes and No with the question icon
const int AnswerYes = 6;

struct LocalTime {
  uint16_t Year, Month, Day, Weekday;  // Weekday: 0 = Sunday .. 6 = Saturday
};

// The command line the system gives for the process.
const char* ProcessCommandLine();

// Today's date and weekday from the local clock.
LocalTime ReadLocalTime();

// The desktop shell's window (class "Progman"), or 0 when there is none.
WindowHandle FindShellWindow();

// Whether `window` names a window that exists now.
bool WindowExists(WindowHandle window);

// Shows a standard message box, waits until it is closed and returns the
// button pressed.
int ShowMessageBox(WindowHandle owner, const char* text, const char* caption, unsigned type);

// Opens "DIAR.TXT" in the current folder for reading, an existing file only,
// sharing it with readers but not with writers. Returns 0 when it can't.
FileHandle OpenReminderFile();

// Reads up to `size` bytes; `read` is 0 at the end of the file. False on a
// read error.
bool ReadFileBytes(FileHandle file, char* buffer, size_t size, size_t& read);

void CloseFile(FileHandle file);

// The full path of the running program file.
const char* OwnProgramPath();

// Starts a program by its command line, with the viewer's environment and
// current folder, without waiting for it. False when no process started.
bool StartProgram(const char* commandLine);

// Asks the shell to open a web address with its default handler, without
// waiting for it. False when the shell reports a failure.
bool OpenWebAddress(const char* address);
