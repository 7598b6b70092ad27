#include "removal_log.h"

#include <string.h>

#include "modes.h"
#include "platform.h"
#include "short_text.h"

// The log state, one per process.
static FileHandle LogFile;
static bool LogIsOpen;
static bool UseTypeLetters;
static ShortText LogPath;  // named in the message when a write fails

static const char WriteFailure[] = "CHYBA! Nelze zapsat do souboru ";

// A failed write or close ends the program. The log is closed first, so that
// no later call finds it open.
[[noreturn]] static void EndAfterFailure(bool closeFile) {
  LogIsOpen = false;
  if (closeFile) CloseFile(LogFile);
  LogFile = 0;
  // Only the install procedure opens the log.
  EndWithFileError(InstallCaption, WriteFailure, LogPath.bytes);
}

bool OpenRemovalLog(const char* path, bool useTypeLetters) {
  CloseRemovalLog();
  Assign(LogPath, path);
  UseTypeLetters = useTypeLetters;
  LogFile = OpenFileForAppending(LogPath.bytes);
  LogIsOpen = LogFile != 0;
  return LogIsOpen;
}

// One whole line in one write: the letter, at most 255 characters and CR LF.
static void WriteLine(char letter, const char* text) {
  if (!LogIsOpen) return;
  char line[1 + ShortTextLimit + 2];
  size_t length = 0;
  if (letter) line[length++] = letter;
  size_t textLength = strlen(text);
  if (textLength > ShortTextLimit) textLength = ShortTextLimit;
  memcpy(line + length, text, textLength);
  length += textLength;
  line[length++] = '\r';
  line[length++] = '\n';
  if (!WriteToFile(LogFile, line, length)) EndAfterFailure(true);
}

void LogEntry(char letter, const char* path) { WriteLine(UseTypeLetters ? letter : 0, path); }

void WriteLogLine(const char* text) { WriteLine(0, text); }

void CloseRemovalLog() {
  if (!LogIsOpen) return;
  LogIsOpen = false;
  bool closed = CloseFile(LogFile);
  LogFile = 0;
  if (!closed) EndAfterFailure(false);
}

bool MakeFolderLogged(const char* path) {
  ShortText folder;
  Assign(folder, path);
  bool made = MakeFolder(folder.bytes);
  if (made) LogEntry('D', folder.bytes);
  return made;
}

bool CopyFileLogged(const char* source, const char* destination) {
  bool copied = CopyFileReplacing(source, destination);
  if (copied) LogEntry('F', destination);
  return copied;
}

bool MoveFileLogged(const char* source, const char* destination) {
  bool moved = CopyFileReplacing(source, destination) && DeleteFileNamed(source);
  if (moved) LogEntry('F', destination);
  return moved;
}
